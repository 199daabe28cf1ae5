#pragma once

// Reading back what a driverless printer received: one page of a PWG
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
    qsizetype End = 0; // where the page's rows end in the file
    QString Error;
};

// index: the page, from 0; past the last page the reading fails.
TRasterPage ReadRaster(const QByteArray& bytes, int index = 0);
TRasterPage ReadRasterFile(const QString& path);
