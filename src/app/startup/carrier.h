#pragma once

// The splash picture and the help pages travel inside two carrier pictures
// built into the program (Qt resources made from assets/ at build time):
// each holds an archive in its pixel rows, padding included, so they are
// read with our own bitmap reader. The splash carrier's entry "A.BMP" is the
// splash picture; the help carrier is the help service's archive.

#include <QImage>
#include <QString>

#include <string>

namespace orvanto {

inline constexpr const char* SplashCarrierResource = ":/carriers/cri.bmp";
inline constexpr const char* HelpCarrierResource = ":/carriers/help.bmp";

// A carrier picture from the resources (or any bitmap file), read with our
// reader so that the bytes in its row padding survive. Null (error set)
// when it is not there or not a bitmap.
QImage LoadCarrier(const QString& fileName, std::string& error);

} // namespace orvanto
