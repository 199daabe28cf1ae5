#include "archive_file.h"
#include "command_registry.h"

#include "archive/zip_box.h"
#include "support/files/paths.h"
#include "support/text/text_conversion.h"

#include <QBuffer>

#include <cstdio>
#include <set>

namespace orvanto {

namespace {

const char* const Usage =
    "Usage: orvanto-tool archive create OUT FILE... [--path P] [--store]\n"
    "       orvanto-tool archive list ARCHIVE\n"
    "       orvanto-tool archive extract ARCHIVE FOLDER";

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Create(const std::vector<std::string>& arguments)
{
    std::vector<std::string> positional;
    std::string path = "\\";
    bool store = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--store") {
            store = true;
        } else if (arguments[i] == "--path") {
            if (++i == arguments.size())
                return Fail(Usage);
            path = arguments[i];
            // Folder paths inside an archive end with a backslash.
            if (path.empty() || path.back() != '\\')
                path += '\\';
        } else {
            positional.push_back(arguments[i]);
        }
    }
    if (positional.size() < 2)
        return Fail(Usage);
    std::string archive, error;
    std::set<std::string> names; // as the reader compares them
    for (std::size_t i = 1; i < positional.size(); ++i) {
        const std::string name = BaseName(positional[i]);
        // The reader would keep only the last of two equal names.
        if (!names.insert(UpperAscii(name)).second)
            return Fail("Two files are named \"" + name + "\" (names ignore case)");
        std::string bytes;
        if (!ReadToolFile(positional[i], bytes, error))
            return Fail(error);
        const auto item = PackBoxItem(name, path, bytes, store);
        if (!item)
            return Fail("Out of memory: cannot pack " + positional[i]);
        archive += item->WriteRecord();
    }
    return WriteToolFile(positional[0], archive, error) ? 0 : Fail(error);
}

// Loads an archive file, or a carrier picture holding one, as the program does.
bool LoadArchive(const std::string& fileName, TZipBox& box, std::string& error)
{
    std::string bytes;
    if (!ReadToolFile(fileName, bytes, error))
        return false;
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer stream(&data);
    stream.open(QIODevice::ReadOnly);
    if (box.LoadFromStream(stream, false))
        return true;
    error = box.LastError() + ": " + fileName;
    return false;
}

int List(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return Fail(Usage);
    TZipBox box;
    std::string error;
    if (!LoadArchive(arguments[0], box, error))
        return Fail(error);
    for (int i = 0; i < box.Count(); ++i) {
        const TBoxItem& item = *box.Item(i);
        std::printf("%s\t%s\t%d\t%d\t%d\n", item.Name.c_str(), item.Path.c_str(), int(item.Method),
                    int(item.Size), int(item.StoredSize));
    }
    return 0;
}

int Extract(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 2)
        return Fail(Usage);
    TZipBox box;
    std::string error;
    if (!LoadArchive(arguments[0], box, error))
        return Fail(error);
    const std::string& folder = arguments[1];
    if (!FolderExists(folder))
        ForceFolders(folder);
    if (!FolderExists(folder))
        return Fail("Cannot create the folder " + folder);
    int status = 0;
    for (int i = 0; i < box.Count(); ++i) {
        const TBoxItem* item = box.Item(i);
        std::string fileName;
        // Every entry lands in the folder itself whatever its archive path,
        // as the program unpacks them.
        if (!box.SafeFileName(folder, item->Name, fileName)) {
            status = Fail(box.LastError() + ": entry \"" + item->Name + "\" is not a plain file name");
            continue;
        }
        if (!box.ExtractToFile(item, fileName, true))
            status = Fail(box.LastError() + ": " + fileName);
    }
    return status;
}

int RunArchive(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return Fail(Usage);
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (arguments[0] == "create")
        return Create(rest);
    if (arguments[0] == "list")
        return List(rest);
    if (arguments[0] == "extract")
        return Extract(rest);
    return Fail(Usage);
}

TRegisterCommand registration{
    {"archive", "archive create|list|extract ...",
     "makes an archive of files, lists an archive or carrier picture, unpacks one into a folder",
     &RunArchive, false}};

} // namespace

} // namespace orvanto
