#include "app/startup/menu_entry.h"

#include "app/startup/earlier_menu_copy.h"
#include "app/startup/entry_file.h"
#include "app/startup/program_icon.h"
#include "imaging/format_mime_types.h"
#include "localisation/language.h"
#include "support/files/file_listing.h"
#include "support/files/install_location.h"
#include "support/files/paths.h"
#include "support/messages/program_name.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanto {

namespace {

// Writes the file only when its bytes differ, beside it first and renamed
// over it, so a desktop watching the folder never reads half an entry.
bool WriteWhenChanged(const std::string& fileName, const std::string& bytes, mode_t mode)
{
    if (IsFile(fileName)) {
        QFile old(QString::fromStdString(fileName));
        if (old.open(QIODevice::ReadOnly) && old.size() == qint64(bytes.size())
            && old.readAll() == QByteArray::fromStdString(bytes))
            return true;
    }
    std::string temporary = fileName.substr(0, fileName.rfind('/') + 1) + ".partXXXXXX";
    const int handle = ::mkstemp(temporary.data());
    if (handle < 0)
        return false;
    bool ok = ::fchmod(handle, mode) == 0;
    std::size_t written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = ::write(handle, bytes.data() + written, bytes.size() - written);
        ok = n > 0;
        written += ok ? std::size_t(n) : 0;
    }
    ok = ::close(handle) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), fileName.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

// The entry format's string escapes: a backslash is written twice, and
// line breaks cannot appear.
std::string EscapeEntryString(const std::string& text)
{
    std::string result;
    for (const char c : text) {
        if (c == '\\')
            result += "\\\\";
        else if (c == '\n')
            result += "\\n";
        else if (c != '\r')
            result += c;
    }
    return result;
}

constexpr const char* EntryGenericName = "Picture Printer";
constexpr const char* EntryComment = "Print one picture at a time, laid out on the page as you choose";
// The line that marks an entry the program wrote for its user.
constexpr const char* UserEntryMark = "X-Orvanto-User-Entry=true";

bool IsUserEntry(const std::string& fileName)
{
    const std::string text = ReadFileStart(fileName, EntryReadLimit);
    return text.find(std::string("\n") + UserEntryMark + "\n") != std::string::npos;
}

} // namespace

std::string QuoteExecArgument(const std::string& argument)
{
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`=%";
    std::string quoted;
    bool needsQuotes = argument.empty();
    for (const char c : argument) {
        if (reserved.find(c) != std::string::npos)
            needsQuotes = true;
        // Inside quotes these four take a backslash; a percent sign is a
        // field code unless doubled.
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return needsQuotes ? '"' + quoted + '"' : quoted;
}

std::vector<TEntryTranslation> EntryTranslations(const std::string& languageFolder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(languageFolder, error))
        if (item.path().extension() == ".llf")
            files.push_back(item.path().string());
    std::sort(files.begin(), files.end());
    std::vector<TEntryTranslation> translations;
    for (const std::string& file : files) {
        TLanguage table(TLanguage::TStart::Empty);
        if (!table.LoadFromFile(file, 0))
            continue;
        TEntryTranslation translation{std::filesystem::path(file).stem().string(), EntryGenericName,
                                      EntryComment};
        const bool named = table.LookUp(translation.GenericName);
        if (table.LookUp(translation.Comment) || named)
            translations.push_back(std::move(translation));
    }
    return translations;
}

std::string DesktopEntryText(const std::string& executable, const std::string& icon,
                             const std::vector<TEntryTranslation>& translations, bool userEntry)
{
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.4\n"
                       "Name=";
    text += std::string(ProgramName) + "\nGenericName=" + EntryGenericName + "\n";
    for (const auto& translation : translations)
        text += "GenericName[" + translation.Locale + "]=" + EscapeEntryString(translation.GenericName) + "\n";
    text += std::string("Comment=") + EntryComment + "\n";
    for (const auto& translation : translations)
        text += "Comment[" + translation.Locale + "]=" + EscapeEntryString(translation.Comment) + "\n";
    text += "TryExec=" + EscapeEntryString(executable) + "\n";
    text += "Exec=" + EscapeEntryString(QuoteExecArgument(executable)) + " %f\n";
    if (!icon.empty())
        text += "Icon=" + EscapeEntryString(icon) + "\n";
    text += "Terminal=false\n"
            "StartupNotify=true\n"
            "Categories=Graphics;2DGraphics;RasterGraphics;Viewer;\n"
            "Keywords=print;picture;photo;bitmap;\n"
            "MimeType=";
    for (const std::string& type : AllFormatMimeTypes())
        text += type + ";";
    text += "\n";
    if (userEntry)
        text += std::string(UserEntryMark) + "\n";
    return text;
}

bool InstalledEntryExists(const std::string& executable)
{
    const QString name = QString::fromLatin1(DesktopId) + QStringLiteral(".desktop");
    const QString user = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) + '/' + name;
    for (const QString& entry : QStandardPaths::locateAll(QStandardPaths::ApplicationsLocation, name))
        if (entry != user || !IsUserEntry(entry.toStdString()))
            return true;
    // Installed under a prefix the desktop does not search: the program's
    // own entry still belongs to the package, not to the user.
    const std::string data = DataFolderFor(executable);
    const std::string suffix = "/share/orvanto/";
    return data.size() > suffix.size() && data.ends_with(suffix)
        && IsFile(data.substr(0, data.size() - suffix.size()) + "/share/applications/" + name.toStdString());
}

bool InstallMenuEntry(const std::string& executable)
{
    try {
        TPaths* paths = Paths();
        if (paths == nullptr || executable.empty())
            return false;
        bool ok = RemoveEarlierMenuCopy(paths->MakerMenuFolder("Fennick", false));
        const std::string folder = paths->ProgramsFolder();
        if (folder.empty())
            return false;
        const std::string entry = folder + DesktopId + ".desktop";
        if (InstalledEntryExists(executable)) {
            if (IsUserEntry(entry))
                ok = paths->RemoveFile(entry) && ok;
            return ok;
        }
        ForceFolders(folder);
        std::string iconFile = paths->MakerDataFolder("") + "orvanto.png";
        QFile icon(IconResource(256));
        if (!icon.open(QIODevice::ReadOnly)
            || !WriteWhenChanged(iconFile, icon.readAll().toStdString(), 0644)) {
            iconFile.clear();
            ok = false;
        }
        const std::string data = DataFolderFor(executable);
        const auto translations = data.empty() ? std::vector<TEntryTranslation>()
                                               : EntryTranslations(data + "languages/");
        return WriteWhenChanged(entry, DesktopEntryText(executable, iconFile, translations, true), 0644) && ok;
    } catch (...) {
        return false;
    }
}

} // namespace orvanto
