#pragma once

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

// One file inside an archive. The fields are stored, in this order, as the
// properties of a "TBoxItem" component record.
class TBoxItem {
public:
    static constexpr std::uint8_t MethodStored = 0;
    static constexpr std::uint8_t MethodZlib = 1;

    std::string pName;      // file name, compared ignoring ASCII case
    std::string pPath;      // folder inside the archive, "\" at the top level
    std::int32_t pSize = 0; // unpacked size; informative only
    std::int32_t pSizeB = 0; // stored size; informative only
    std::uint8_t pM = 0;    // storage method
    std::string pD;         // the stored bytes

    // Reads one record at position and moves position past it. False (the
    // item then holds whatever was read so far) when no record can be read.
    bool ReadRecord(std::string_view data, std::size_t& position);
    std::string WriteRecord() const;
};

// Makes an entry for a file's bytes: zlib-packed (level 1) unless store is
// set or packing would not make it smaller, with both sizes filled in.
// Null when the bytes do not fit the 32-bit size fields or packing fails.
std::unique_ptr<TBoxItem> PackBoxItem(const std::string& name, const std::string& path,
                                      const std::string& bytes, bool store);

// An ordered list of archive entries that the box owns. An archive is just
// the entries' records back to back; the box reads them from memory, finds
// entries by name and unpacks them. No operation throws: failures are
// reported by the result, with the cause in LastError().
class TZipBox : public QObject {
public:
    static constexpr int Capacity = 10002;
    // Where a carrier picture's archive starts: the bitmap headers (54 bytes)
    // and 100 filler bytes come first.
    static constexpr int CarrierOffset = 154;

    explicit TZipBox(QObject* owner = nullptr);
    ~TZipBox() override;

    // Reads the records from the stream's position on; when none is found
    // there, tries once more 154 bytes further, where a carrier picture's
    // file image holds its archive. Clears the box first unless appending.
    bool LoadFromStream(QIODevice& stream, bool append);

    int Count() const { return int(FItems.size()); }
    // The index is clamped into the list; null only for an empty box.
    TBoxItem* Item(int index) const;
    // The first entry with this name and path (ASCII case ignored); the path
    // "*" matches any path. -1 when there is none.
    int Find(const std::string& name, const std::string& path) const;
    int IndexOf(const TBoxItem* item) const;
    // Appends the item, replacing an entry of equal name and path. On
    // success the box owns it and item is left empty; on failure the caller
    // keeps it.
    bool Add(std::unique_ptr<TBoxItem>& item);
    // Takes the item out of the box and frees it, when it is there.
    bool Remove(const TBoxItem* item);
    void Clear();

    // Writes the unpacked bytes at the target's current position.
    bool ExtractToStream(const TBoxItem* item, QIODevice& target);
    // Writes the unpacked bytes as the file fileName. Without overwrite an
    // existing file is kept and the result is true. The bytes go into a new
    // file beside it that is renamed over the name only when complete, so a
    // failed write leaves the old file (or none), never a truncated one.
    bool ExtractToFile(const TBoxItem* item, const std::string& fileName, bool overwrite);
    // The unpacked bytes, for callers that want them in memory.
    bool ExtractToBytes(const TBoxItem* item, std::string& bytes);

    // The file inside folder that an entry of this name may be written to.
    // Entry names come from outside: a name holding a folder separator, a
    // zero byte, or equal to "", "." or ".." would land outside the folder or
    // on it, and is refused with "Unexpected error".
    bool SafeFileName(const std::string& folder, const std::string& entryName,
                      std::string& fileName);

    const std::string& LastError() const { return FLastError; }

private:
    bool LoadFrom(std::string_view data, std::size_t& position, bool& retried);

    std::vector<std::unique_ptr<TBoxItem>> FItems;
    std::string FLastError;
};

// Unpacks zlib data for every box; one instance per process.
class TZipHandler : public QObject {
public:
    // Replaces bytes (the content of an in-memory stream) by the bytes its
    // zlib stream unpacks to. Damaged data, and output beyond the allocation
    // ceiling, fail with "Out of memory" and leave bytes as they were.
    bool Inflate(std::string& bytes, std::string& errorText);

    const std::string& LastError() const { return FLastError; }

private:
    std::string FLastError;
};

// The process-wide handler, created on first use; null when that fails.
TZipHandler* ZipHandler();
// Frees the handler; the next ZipHandler() creates a new one.
void FreeZipHandler();
