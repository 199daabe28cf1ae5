#include "imaging/file_bytes.h"

#include "support/files/file_listing.h"
#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"

#include <QFile>

#include <new>
#include <sys/stat.h>

namespace orvanto {

bool ReadDeviceBytes(QIODevice& device, std::string& error, const TBytesReader& read)
{
    const qint64 available = device.isSequential() ? -1 : device.size() - device.pos();
    if (available > AllocationCeiling()) {
        error = Messages::OutOfMemory;
        return false;
    }
    QByteArray bytes;
    try {
        bytes = available >= 0 ? device.read(available) : device.read(AllocationCeiling() + 1);
    } catch (const std::bad_alloc&) {
        error = Messages::OutOfMemory;
        return false;
    }
    if (bytes.size() > AllocationCeiling()) {
        error = Messages::OutOfMemory;
        return false;
    }
    return read(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
}

bool OpenPictureFile(QFile& file, const std::string& path, std::string& error)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        error = Messages::FileNotFound;
        return false;
    }
    if (!OpenReadOnly(file, path)) {
        error = Messages::FileInUse;
        return false;
    }
    return true;
}

bool ReadFileBytes(const std::string& path, std::string& error, const TBytesReader& read)
{
    QFile file;
    if (!OpenPictureFile(file, path, error))
        return false;
    if (file.size() > 0)
        if (const uchar* mapped = file.map(0, file.size()))
            return read(mapped, std::size_t(file.size()));
    return ReadDeviceBytes(file, error, read);
}

bool DecodeWholeOrNothing(QImage& picture, std::string& error, const TPictureDecoder& decode)
{
    QImage decoded;
    try {
        if (!decode(decoded))
            return false;
    } catch (const std::bad_alloc&) {
        error = Messages::OutOfMemory;
        return false;
    }
    picture = std::move(decoded);
    error.clear();
    return true;
}

} // namespace orvanto
