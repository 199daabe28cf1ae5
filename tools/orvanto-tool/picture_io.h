#pragma once

// The picture formats and transforms that `info` and `convert` know. Each
// format registers its reader and writer from a file of its own
// (format_*.cpp), each transform likewise, so adding one is adding a file.

#include <QImage>

#include <cstdint>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orvanto {

// "--name value" options of a command line, and the bare flags (value "").
class TToolOptions {
public:
    std::map<std::string, std::string> Values;

    bool Has(const std::string& name) const { return Values.count(name) != 0; }
    std::string Text(const std::string& name, const std::string& fallback) const;
    // The option as an integer in low..high, fallback when absent; false (with
    // a message in error) when present but not such a number.
    bool Integer(const std::string& name, int fallback, int low, int high, int& value,
                 std::string& error) const;
};

struct TPictureReader {
    std::string Extension;  // upper case with the dot: ".PPM"
    std::string FormatName; // what `info` prints: "Portable Pixmap"
    // Reads path into a 24-bit picture; on failure error holds the text the
    // program would show. details, when set, is printed after the format name.
    std::function<bool(const std::string& path, QImage& picture, std::string& error,
                       std::string& details)>
        Read;
};

struct TPictureWriter {
    std::string Extension;            // upper case with the dot: ".PPM"
    std::vector<std::string> Options; // the options it reads, e.g. {"--pnm-type"}
    std::function<bool(const QImage& picture, const std::string& path,
                       const TToolOptions& options, std::string& error)>
        Write;
};

// A transform named by its option ("--rotate"), applied in command-line order.
struct TPictureTransform {
    std::string Option;
    bool TakesValue = false;
    std::function<bool(QImage& picture, const std::string& value, std::string& error)> Apply;
};

struct TRegisterReader {
    explicit TRegisterReader(TPictureReader reader);
};
struct TRegisterWriter {
    explicit TRegisterWriter(TPictureWriter writer);
};
struct TRegisterTransform {
    explicit TRegisterTransform(TPictureTransform transform);
};

std::vector<TPictureReader>& PictureReaders();
std::vector<TPictureWriter>& PictureWriters();
std::vector<TPictureTransform>& PictureTransforms();

// The extension of a file name: from the last "." of its name (not of its
// folder), upper-cased; empty when the name has none.
std::string ExtensionOf(const std::string& path);

// Reads a picture as the program opens it: through the format registry,
// or a reader registered here for an extension the registry cannot decode.
bool ReadPicture(const std::string& path, QImage& picture, std::string& formatName,
                 std::string& details, std::string& error);

// What the tool's own reader for the extension says about the file's variant
// ("P6", "40-byte header, 8 bits, RLE8"); empty when it has none. Reads the
// file again, so only `info` asks.
std::string DescribePicture(const std::string& path);

// Runs write on a file beside path, then renames that over path, so a failed
// write never leaves half a file; false with error set when either fails.
// expectedBytes, when known (not -1), is about the size the file will have.
bool WriteReplacing(const std::string& path,
                    const std::function<bool(const std::string& temporary, std::string& error)>& write,
                    std::string& error, std::int64_t expectedBytes = -1);
// Writes beside path and renames, so a failed write never leaves half a file.
bool WritePicture(const QImage& picture, const std::string& path, const TToolOptions& options,
                  std::string& error);

} // namespace orvanto
