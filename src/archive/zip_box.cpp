#include "archive/zip_box.h"

#include "support/records/component_record.h"
#include "support/records/compression.h"
#include "support/files/file_listing.h"
#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"
#include "support/services.h"
#include "support/text/text_conversion.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include <zlib.h>

namespace orvanto {

namespace {

const TRecordType& BoxItemType()
{
    static const TRecordType type{"TBoxItem",
                                  {{"pName", TPropertyKind::Text},
                                   {"pPath", TPropertyKind::Text},
                                   {"pSize", TPropertyKind::Integer},
                                   {"pSizeB", TPropertyKind::Integer},
                                   {"pM", TPropertyKind::Integer},
                                   {"pD", TPropertyKind::Text}}};
    return type;
}

bool WriteAll(int handle, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(handle, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += std::size_t(n);
    }
    return true;
}

// Writes the bytes into a new file beside fileName and only then renames it
// over the name, so a write that fails half-way (disk full) leaves the old
// file, or nothing, but never a truncated one. The rename replaces a link
// planted at the name as itself, never the file it points to.
bool WriteBeside(const std::string& fileName, const std::string& bytes, std::string& error)
{
    error = Messages::OutOfDiskSpace;
    // A short name of its own: the target's name may already be as long as
    // the file system allows.
    std::string temporary = fileName.substr(0, fileName.rfind('/') + 1) + ".partXXXXXX";
    const int handle = ::mkstemp(temporary.data());
    if (handle < 0)
        return false;
    // mkstemp makes the file private; a page is as readable as any other.
    ::fchmod(handle, 0644);
    const bool written = WriteAll(handle, bytes);
    const bool closed = ::close(handle) == 0;
    if (written && closed) {
        error = Messages::FileInUse;
        if (::rename(temporary.c_str(), fileName.c_str()) == 0)
            return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

} // namespace

// ---------------------------------------------------------------- TBoxItem

bool TBoxItem::ReadRecord(std::string_view data, std::size_t& position)
{
    return orvanto::ReadRecord(data, position, BoxItemType(), [this](std::size_t index, TPropertyValue value) {
        switch (index) {
        case 0: Name = std::get<std::string>(std::move(value)); break;
        case 1: Path = std::get<std::string>(std::move(value)); break;
        case 2: Size = std::get<std::int32_t>(value); break;
        case 3: StoredSize = std::get<std::int32_t>(value); break;
        // An 8-bit property keeps the low byte of whatever integer is stored.
        case 4: Method = std::uint8_t(std::get<std::int32_t>(value) & 0xFF); break;
        default: Data = std::get<std::string>(std::move(value)); break;
        }
    });
}

std::string TBoxItem::WriteRecord() const
{
    return orvanto::WriteRecord(BoxItemType(), {Name, Path, Size, StoredSize, std::int32_t(Method), Data});
}

std::unique_ptr<TBoxItem> PackBoxItem(const std::string& name, const std::string& path,
                                      const std::string& bytes, bool store)
{
    if (bytes.size() > std::size_t(INT32_MAX))
        return nullptr;
    try {
        auto item = std::make_unique<TBoxItem>();
        item->Name = name;
        item->Path = path;
        item->Size = std::int32_t(bytes.size());
        item->Method = TBoxItem::MethodStored;
        item->Data = bytes;
        if (!store) {
            uLongf capacity = compressBound(uLong(bytes.size()));
            std::string packed(capacity, '\0');
            if (compress2(reinterpret_cast<Bytef*>(packed.data()), &capacity,
                          reinterpret_cast<const Bytef*>(bytes.data()), uLong(bytes.size()), 1)
                != Z_OK)
                return nullptr;
            if (capacity < bytes.size()) {
                packed.resize(capacity);
                item->Data.swap(packed);
                item->Method = TBoxItem::MethodZlib;
            }
        }
        item->StoredSize = std::int32_t(item->Data.size());
        return item;
    } catch (...) {
        return nullptr;
    }
}

// ----------------------------------------------------------------- TZipBox

TZipBox::TZipBox(QObject* owner) : QObject(owner) {}

TZipBox::~TZipBox() = default;

bool TZipBox::LoadFromStream(QIODevice& stream, bool append)
{
    try {
        FLastError = Messages::OutOfMemory;
        const qint64 start = stream.pos();
        if (!append)
            Clear();
        // A memory stream is read in place; any other device is read once.
        QByteArray copy;
        std::string_view data;
        if (auto* buffer = qobject_cast<QBuffer*>(&stream)) {
            const QByteArray& all = buffer->buffer();
            if (start >= 0 && start <= all.size())
                data = std::string_view(all.constData() + start, std::size_t(all.size() - start));
        } else {
            copy = stream.readAll();
            data = std::string_view(copy.constData(), std::size_t(copy.size()));
        }
        bool retried = false;
        std::size_t position = 0;
        bool loaded = LoadFrom(data, position, retried);
        if (!loaded && !retried) {
            retried = true;
            position = CarrierOffset;
            loaded = LoadFrom(data, position, retried);
        }
        // Leave the stream after the last record read.
        stream.seek(start + qint64(std::min(position, data.size())));
        return loaded;
    } catch (...) {
        return false;
    }
}

// One attempt: reads records from position until one cannot be read.
bool TZipBox::LoadFrom(std::string_view data, std::size_t& position, bool& retried)
{
    FLastError = Messages::UnknownFormat;
    int loaded = 0;
    for (;;) {
        auto item = std::make_unique<TBoxItem>();
        std::size_t next = position;
        if (!item->ReadRecord(data, next))
            break;
        position = next;
        if (!Add(item)) {
            loaded = 0;
            retried = true;
            break;
        }
        ++loaded;
    }
    return loaded > 0;
}

TBoxItem* TZipBox::Item(int index) const
{
    if (FItems.empty())
        return nullptr;
    return FItems[std::size_t(Clamp(index, 0, Count() - 1))].get();
}

int TZipBox::Find(const std::string& name, const std::string& path) const
{
    const bool anyPath = path == "*";
    const char first = name.empty() ? 0 : UpperAsciiChar(name[0]);
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        const TBoxItem& item = *FItems[i];
        // The cheap first-character test rules out most entries.
        if (!name.empty() && !item.Name.empty() && UpperAsciiChar(item.Name[0]) != first)
            continue;
        if (EqualsIgnoringAsciiCase(item.Name, name)
            && (anyPath || EqualsIgnoringAsciiCase(item.Path, path)))
            return int(i);
    }
    return -1;
}

int TZipBox::IndexOf(const TBoxItem* item) const
{
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == item)
            return int(i);
    return -1;
}

bool TZipBox::Add(std::unique_ptr<TBoxItem>& item)
{
    try {
        FLastError = Messages::UnexpectedError;
        if (!item || IndexOf(item.get()) >= 0)
            return false;
        const int existing = Find(item->Name, item->Path);
        if (existing >= 0)
            FItems.erase(FItems.begin() + existing);
        FLastError = Messages::CapacityReached;
        if (Count() >= Capacity)
            return false;
        FItems.push_back(std::move(item));
        return true;
    } catch (...) {
        return false;
    }
}

bool TZipBox::Remove(const TBoxItem* item)
{
    FLastError = Messages::UnexpectedError;
    const int index = IndexOf(item);
    if (index >= 0)
        FItems.erase(FItems.begin() + index);
    return true;
}

void TZipBox::Clear()
{
    FItems.clear();
}

bool TZipBox::ExtractToBytes(const TBoxItem* item, std::string& bytes)
{
    try {
        FLastError = Messages::UnexpectedError;
        if (item == nullptr)
            return false;
        FLastError = Messages::OutOfMemory;
        std::string data = item->Data;
        if (item->Method == TBoxItem::MethodZlib) {
            TZipHandler* handler = ZipHandler();
            std::string error = FLastError;
            if (handler == nullptr || !handler->Inflate(data, error)) {
                FLastError = error;
                return false;
            }
        } else if (item->Method != TBoxItem::MethodStored) {
            FLastError = Messages::UnsupportedEncoding;
            return false;
        }
        FLastError = Messages::OutOfMemory;
        bytes.swap(data);
        return true;
    } catch (...) {
        return false;
    }
}

bool TZipBox::ExtractToStream(const TBoxItem* item, QIODevice& target)
{
    try {
        std::string bytes;
        if (!ExtractToBytes(item, bytes))
            return false;
        FLastError = Messages::OutOfMemory;
        return target.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
    } catch (...) {
        return false;
    }
}

bool TZipBox::ExtractToFile(const TBoxItem* item, const std::string& fileName, bool overwrite)
{
    try {
        if (!overwrite && IsFile(fileName))
            return true;
        FLastError = Messages::OutOfMemory;
        std::string bytes;
        if (!ExtractToBytes(item, bytes))
            return false;
        std::string error;
        const bool written = WriteBeside(fileName, bytes, error);
        FLastError = error;
        return written;
    } catch (...) {
        return false;
    }
}

bool TZipBox::SafeFileName(const std::string& folder, const std::string& entryName,
                           std::string& fileName)
{
    FLastError = Messages::UnexpectedError;
    fileName.clear();
    static const std::string forbidden("/\\\0", 3);
    if (folder.empty() || entryName.empty() || entryName == "." || entryName == ".."
        || entryName.find_first_of(forbidden) != std::string::npos)
        return false;
    fileName = folder;
    if (fileName.back() != '/')
        fileName += '/';
    fileName += entryName;
    return true;
}

// ------------------------------------------------------------- TZipHandler

bool TZipHandler::Inflate(std::string& bytes, std::string& errorText)
{
    errorText = Messages::OutOfMemory;
    FLastError = errorText;
    std::string output;
    if (!InflateBounded(bytes.data(), bytes.size(), output))
        return false;
    bytes.swap(output);
    return true;
}

using TZipHandlerSlot = TServiceSlot<TZipHandler, TService::ZipHandler>;

TZipHandler* ZipHandler() { return TZipHandlerSlot::Get(); }
void FreeZipHandler() { TZipHandlerSlot::Free(); }

} // namespace orvanto
