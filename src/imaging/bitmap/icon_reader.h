#pragma once

// Windows icon files (.ICO) into a 24-bit blue-green-red picture.
//
// Of the images an icon holds, the one a user wants on paper is read: the
// largest, and of equal sizes the deepest. Its BMP form (colour rows over a
// 1-bit AND mask, 1 to 32 bits, 32-bit alpha) or PNG form is laid over the
// background colour. Damaged directories, entries pointing past the end and
// zero sizes fail with "Unknown format".

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanto {

// A colour value with red in the lowest byte, green in the second and blue
// in the third; NoBackground leaves transparent parts as the icon's colour
// data over black, as drawing onto a fresh picture does.
constexpr std::int64_t NoBackground = -1;

bool ReadIcon(const std::uint8_t* data, std::size_t size, std::int64_t backgroundColor, QImage& picture,
              std::string& error, std::string* details = nullptr);
bool ReadIcon(const QByteArray& bytes, std::int64_t backgroundColor, QImage& picture, std::string& error);
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadIconFile(const std::string& path, std::int64_t backgroundColor, QImage& picture, std::string& error,
                  std::string* details = nullptr);

} // namespace orvanto
