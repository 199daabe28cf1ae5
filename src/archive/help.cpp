#include "archive/help.h"

#include "imaging/bitmap/bitmap_writer.h"
#include "support/text/concealment.h"
#include "support/files/file_listing.h"
#include "support/messages/general.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"
#include "support/text/text_conversion.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <unistd.h>

namespace orvanto {

namespace {

// The fixed texts are kept concealed in the program file.
const char* const DefaultTitleText = // "Orvanto Help"
    "3\xAB""\xB2""\xDE""*\xDA""\x15""\xC6""\x14""\xCA""\x1B""\x18""\"\xFF""\xD2""\xDC""\xA8""1\xBF""\xD1""\xB4""&\xD6""\x16""\xA3""\xE9""\xBE""\xB2""+\x0F""\xDE""\xF1""#\xF8""I\x12""\xFF""\xB6""\x84""\xAB""\xC0""\xD2""\xA5""\xC7""\x95""j\x85""\xD6""\xD4""\xC3""";
const char* const MarkerText = // "unpacked.done"
    "9\xB7""\xBD""\x14""\xCF""#4\xD7""\xE1""\xFE""\xF2""\xD9""\xF6"")\xD7""\xD6""\xA8""\x15""$\xD6""\xB5""\xF3""\xEF""\xE3""\xEE""\x11""\xF8""\xEE""G\xF1""&\xFE""\xCE""B\x1F""0Y\xC6""\xCC""\xCA""\xEF""\xF1""\xEC""\xF7""\xB6""\xB2""\xE2""\x85""\xD5""\xDD""\x9C""\x89""\x9F""\xBA""\xA6""\xA3""\xBD""";
const char* const FileMaskText = // "*"
    "\x19""\xDD""\x9F""\xC0""\xE7""\xE0""\x15""\x1A""\xED""\xB9""\x1D""\xD9""\x91""";

bool WriteMarker(const std::string& fileName)
{
    QFile file(QString::fromStdString(fileName));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("1", 1) == 1
           && file.flush();
}

} // namespace

const std::string& THelp::MarkerName()
{
    static const std::string name = RevealText(MarkerText);
    return name;
}

THelp::THelp(const std::string& title, QImage* carrier)
{
    try {
        FTitle = title.empty() ? RevealText(DefaultTitleText) : title;
        for (const char* unsafe : {"*", "?", " ", "/", "\\"})
            ReplaceAll(FTitle, unsafe, "_");
        LoadFromPicture(carrier);
    } catch (...) {
        FBox.Clear();
    }
}

THelp::~THelp()
{
    try {
        CleanUp();
    } catch (...) {
    }
}

bool THelp::LoadFromPicture(QImage* picture)
{
    FLastError = Messages::OutOfMemory;
    FBox.Clear();
    if (picture == nullptr || picture->isNull())
        return false;
    std::string error;
    QByteArray image = BitmapFileBytes(*picture, error);
    if (image.isEmpty())
        return false;
    QBuffer stream(&image);
    stream.open(QIODevice::ReadOnly);
    if (!FBox.LoadFromStream(stream, false)) {
        FLastError = FBox.LastError();
        return false;
    }
    *picture = picture->scaled(1, 1);
    return true;
}

std::string THelp::HelpFolder()
{
    if (FHelpFolder.empty()) {
        TPaths* paths = Paths();
        if (paths == nullptr)
            return {};
        const std::string help = paths->MakerDataFolder("Help");
        if (!help.empty())
            FHelpFolder = paths->AddSlash(help + FTitle);
    }
    return FHelpFolder;
}

std::string THelp::PagePath(const std::string& page)
{
    return HelpFolder() + page;
}

bool THelp::Unpack()
{
    FLastError = Messages::FileInUse;
    const std::string folder = HelpFolder();
    TPaths* paths = Paths();
    if (folder.empty() || paths == nullptr)
        return false;
    const std::string folderAsFile = folder.substr(0, folder.size() - 1);
    if (IsFile(folderAsFile) && !paths->RemoveFile(folderAsFile))
        return false;
    ForceFolders(folder);
    FLastError = Messages::OutOfDiskSpace;
    if (!FolderExists(folder))
        return false;
    const std::string marker = folder + MarkerName();
    if (IsFile(marker))
        return true;
    // An empty box (a missing or damaged archive) has nothing to complete.
    if (FBox.Count() == 0)
        return true;
    for (int i = 0; i < FBox.Count(); ++i) {
        const TBoxItem* item = FBox.Item(i);
        std::string fileName;
        // An entry whose name would leave the folder is never written, and
        // the archive cannot mark the folder complete by itself.
        if (!FBox.SafeFileName(folder, item->Name, fileName) || fileName == marker)
            continue;
        if (!FBox.ExtractToFile(item, fileName, false)) {
            FLastError = FBox.LastError();
            return false;
        }
    }
    FLastError = Messages::OutOfDiskSpace;
    return WriteMarker(marker);
}

bool THelp::ShowPage(const std::string& page)
{
    try {
        FLastError = Messages::OutOfMemory;
        if (!Unpack())
            return false;
        FLastError = Messages::FileNotFound;
        std::string fileName;
        TZipBox names;
        if (!names.SafeFileName(HelpFolder(), page, fileName) || !IsFile(fileName))
            return false;
        TPaths* paths = Paths();
        return paths != nullptr && paths->OpenDocument(fileName, "");
    } catch (...) {
        return false;
    }
}

void THelp::ShowLastError() const
{
    ShowError(FLastError);
}

void THelp::CleanUp()
{
    if (FHelpFolder.empty() || !FolderExists(FHelpFolder))
        return;
    TPaths* paths = Paths();
    if (paths == nullptr)
        return;
    const std::string names = ListFiles(FHelpFolder + RevealText(FileMaskText), false);
    std::size_t start = 0;
    while (start < names.size()) {
        std::size_t end = names.find("\r\n", start);
        if (end == std::string::npos)
            end = names.size();
        if (end > start)
            paths->RemoveFile(FHelpFolder + names.substr(start, end - start));
        start = end + 2;
    }
    // Fails while something else is left in it; the "Help" folder stays.
    ::rmdir(FHelpFolder.c_str());
}

} // namespace orvanto
