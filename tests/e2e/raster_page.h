#pragma once

// Reading back what a driverless printer received: the first page of a PWG
// raster ("RaS2") or Apple raster ("UNIRAST") file, 8-bit grey or colour,
// as an RGB picture of the whole sheet. Refuses (null picture) anything cut
// short, packed wrongly or of another kind, so a faulty writer shows.

#include <QByteArray>
#include <QImage>
#include <QString>

struct TRasterPage {
    QImage Image; // null when the file is no raster we read
    QString Format; // "pwg" or "urf"
    int Dpi = 0;
    int Pages = 0; // as the file's header says
    QString Error;
};

TRasterPage ReadRaster(const QByteArray& bytes);
TRasterPage ReadRasterFile(const QString& path);
