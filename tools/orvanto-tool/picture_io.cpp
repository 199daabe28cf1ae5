#include "picture_io.h"

#include "command_registry.h"
#include "write_behind.h"

#include "imaging/open_image.h"
#include "support/text/text_conversion.h"

#include <QFile>

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace orvanto {

std::vector<TPictureReader>& PictureReaders()
{
    static std::vector<TPictureReader> readers;
    return readers;
}

std::vector<TPictureWriter>& PictureWriters()
{
    static std::vector<TPictureWriter> writers;
    return writers;
}

std::vector<TPictureTransform>& PictureTransforms()
{
    static std::vector<TPictureTransform> transforms;
    return transforms;
}

TRegisterReader::TRegisterReader(TPictureReader reader)
{
    PictureReaders().push_back(std::move(reader));
}

TRegisterWriter::TRegisterWriter(TPictureWriter writer)
{
    PictureWriters().push_back(std::move(writer));
}

TRegisterTransform::TRegisterTransform(TPictureTransform transform)
{
    PictureTransforms().push_back(std::move(transform));
}

std::string TToolOptions::Text(const std::string& name, const std::string& fallback) const
{
    const auto found = Values.find(name);
    return found == Values.end() ? fallback : found->second;
}

bool TToolOptions::Integer(const std::string& name, int fallback, int low, int high, int& value,
                           std::string& error) const
{
    value = fallback;
    const auto found = Values.find(name);
    if (found == Values.end())
        return true;
    try {
        std::size_t used = 0;
        const long number = std::stol(found->second, &used);
        if (used == found->second.size() && number >= low && number <= high) {
            value = int(number);
            return true;
        }
    } catch (...) {
    }
    error = name + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    return false;
}

std::string ExtensionOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : UpperAscii(name.substr(dot));
}

namespace {

const TPictureReader* ToolReader(const std::string& extension)
{
    for (const auto& reader : PictureReaders())
        if (reader.Extension == extension)
            return &reader;
    return nullptr;
}

// True when the registry entry has a reader built in, so opening through it
// decodes rather than failing as an undecodable file.
bool RegistryDecodes(const TOpenImageEventHandler& entry)
{
    return entry.GraphicClass == nullptr || bool(entry.GraphicClass->Create);
}

} // namespace

bool ReadPicture(const std::string& path, QImage& picture, std::string& formatName,
                 std::string& details, std::string& error)
{
    // The program opens every file through the format registry, so the tool
    // does too. A reader registered here only serves an extension the
    // registry cannot decode yet.
    TOpenImage* registry = OpenImage();
    if (!registry) {
        error = "Out of memory";
        return false;
    }
    // Metafiles draw their text with Qt's fonts.
    const std::string extension = ExtensionOf(path);
    if (extension == ".WMF" || extension == ".EMF")
        EnsureGuiApplication();
    const int index = registry->Formats().FindByFileName(path);
    const TPictureReader* reader = ToolReader(extension);
    if (reader && (index < 0 || !RegistryDecodes(registry->Formats().Item(index)))) {
        formatName = reader->FormatName;
        return reader->Read(path, picture, error, details);
    }
    TImageInfoRec request;
    request.FileName = path;
    request.BackgroundColor = 16777215; // white, as the program opens pictures
    request.Bitmap = &picture;
    if (!registry->Open(request)) {
        error = request.ErrorText;
        return false;
    }
    formatName = registry->Formats().Item(index).Description;
    details.clear();
    return true;
}

std::string DescribePicture(const std::string& path)
{
    const TPictureReader* reader = ToolReader(ExtensionOf(path));
    if (!reader)
        return std::string();
    QImage scratch;
    std::string error, details;
    return reader->Read(path, scratch, error, details) ? details : std::string();
}

bool WriteReplacing(const std::string& path,
                    const std::function<bool(const std::string& temporary, std::string& error)>& write,
                    std::string& error, std::int64_t expectedBytes)
{
    const std::string temporary = path + ".part-" + std::to_string(::getpid());
    bool written = false;
    {
        // Only a replaced file makes the rename below wait for its bytes.
        std::optional<TWriteBehind> behind;
        if (TWriteBehind::Helps(expectedBytes) && QFile::exists(QString::fromStdString(path)))
            behind.emplace(temporary);
        written = write(temporary, error);
    }
    if (!written) {
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "Out of disk space";
        return false;
    }
    return true;
}

bool WritePicture(const QImage& picture, const std::string& path, const TToolOptions& options,
                  std::string& error)
{
    const std::string extension = ExtensionOf(path);
    for (const auto& writer : PictureWriters()) {
        if (writer.Extension != extension)
            continue;
        return WriteReplacing(
            path,
            [&](const std::string& temporary, std::string& failure) {
                return writer.Write(picture, temporary, options, failure);
            },
            error);
    }
    error = "Cannot write " + (extension.empty() ? std::string("files without extension") : extension + " files");
    return false;
}

} // namespace orvanto
