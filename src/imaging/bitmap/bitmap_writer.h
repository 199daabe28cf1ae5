#pragma once

// Complete 24-bit Windows bitmap files: the 14-byte file header, the 40-byte
// information header (pixels at offset 54), then the rows bottom-up, each
// padded to 4 bytes. Archives carried inside pictures rely on exactly this
// layout, and on the padding bytes of a 24-bit picture being written as the
// picture holds them.

#include <QByteArray>
#include <QImage>

#include <string>

class QIODevice;

namespace orvanto {

// The file's bytes; empty (with "Out of memory" in error) when the picture is
// null or memory runs out.
QByteArray BitmapFileBytes(const QImage& picture, std::string& error);

// Writes at the device's position; "Out of disk space" when a write fails.
bool SaveBitmapFile(const QImage& picture, QIODevice& device, std::string& error);
bool SaveBitmapFile(const QImage& picture, const std::string& path, std::string& error);

} // namespace orvanto
