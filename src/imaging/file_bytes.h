#pragma once

// The bytes of a file, or of a device from its position on, for the readers
// that decode from memory. Files are mapped, which spares a copy of what may
// be hundreds of megabytes; what cannot be mapped is read, never more than
// the allocation ceiling allows.

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class QFile;
class QIODevice;

namespace orvanto {

// Opens path read-only into file. False with "File not found" when there is
// no such file, "File in use" when it is there but cannot be opened.
bool OpenPictureFile(QFile& file, const std::string& path, std::string& error);

using TBytesReader = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// "File not found" or "File in use" when the file cannot be opened, "Out of
// memory" when its bytes cannot be held; otherwise what read returns.
bool ReadFileBytes(const std::string& path, std::string& error, const TBytesReader& read);
// "Out of memory" when the rest of the device cannot be held.
bool ReadDeviceBytes(QIODevice& device, std::string& error, const TBytesReader& read);

using TPictureDecoder = std::function<bool(QImage& decoded)>;
// Runs decode into a picture of its own and hands that over only when decode
// succeeded, clearing error; a failed or half-done read leaves picture as it
// was. Running out of memory fails with "Out of memory".
bool DecodeWholeOrNothing(QImage& picture, std::string& error, const TPictureDecoder& decode);

} // namespace orvanto
