#include "app/startup_extras.h"

#include "archive/help.h"
#include "archive/zip_box.h"
#include "imaging/bitmap_reader.h"
#include "imaging/bitmap_writer.h"
#include "imaging/format_mime_types.h"
#include "localisation/language.h"
#include "support/concealment.h"
#include "support/file_listing.h"
#include "support/general.h"
#include "support/install_location.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/program_name.h"
#include "support/range.h"
#include "support/text_conversion.h"
#include "ui/compact_splash.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanto {

namespace {

constexpr int SplashPictureTop = 21;
constexpr int SplashTextInset = 8; // the text rows' distance from the artwork's edges
const int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString IconResource(int size)
{
    return QStringLiteral(":/icons/orvanto-%1.png").arg(size);
}

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

// At most the first LIMIT bytes of a file; "" when it cannot be read.
std::string ReadFileStart(const std::string& fileName, std::size_t limit)
{
    std::ifstream file(fileName, std::ios::binary);
    std::string bytes(limit, '\0');
    file.read(bytes.data(), std::streamsize(limit));
    bytes.resize(file ? limit : std::size_t(std::max<std::streamsize>(file.gcount(), 0)));
    return bytes;
}

// Desktop entries are small; a larger file is not one of ours.
constexpr std::size_t EntryReadLimit = 64 * 1024;

bool IsUserEntry(const std::string& fileName)
{
    const std::string text = ReadFileStart(fileName, EntryReadLimit);
    return text.find(std::string("\n") + UserEntryMark + "\n") != std::string::npos;
}

// The value of KEY= in an entry's text, "" when it has none.
std::string EntryValue(const std::string& text, const std::string& key)
{
    const std::string line = "\n" + key + "=";
    const std::size_t at = text.find(line);
    if (at == std::string::npos)
        return {};
    const std::size_t from = at + line.size();
    return text.substr(from, text.find('\n', from) - from);
}

// Earlier versions copied the program into the menu area's "Fennick"
// folder as "Orvanto.EXE", with an entry and an icon beside it. Only those
// files go, and only when they are ours: the copy a program file of this
// user, the entry one that starts that copy, the icon the one it names.
bool RemoveEarlierMenuCopy(const std::string& folder)
{
    const std::string copy = folder + ProgramName + ".EXE";
    const std::string entry = folder + "orvanto.desktop";
    const std::string entryText = ReadFileStart(entry, EntryReadLimit);
    bool ok = true;
    struct stat info {};
    if (::lstat(copy.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid()
        && ReadFileStart(copy, 4) == "\x7f" "ELF")
        ok = ::unlink(copy.c_str()) == 0;
    if (!entryText.empty() && EntryValue(entryText, "TryExec") == copy) {
        const std::string icon = EntryValue(entryText, "Icon");
        if (icon == folder + "orvanto.png")
            ::unlink(icon.c_str());
        ok = ::unlink(entry.c_str()) == 0 && ok;
    }
    // Removes the folders only when nothing else is left in them.
    if (::rmdir(folder.c_str()) == 0)
        ::rmdir(folder.substr(0, folder.rfind('/', folder.size() - 2) + 1).c_str());
    return ok;
}

// The artwork leaves room for the tagline under the program's name; it is
// written here, in the user's language, rather than drawn into the artwork.
constexpr int TaglineLeft = 32;
constexpr int TaglineBaseline = 124;
constexpr int TaglinePixels = 15;
constexpr int TaglineWidth = 244; // up to the printer motif on the right
constexpr QRgb TaglineColour = 0x3F646A;

void DrawTagline(QPainter& painter, const QPoint& artwork)
{
    const QString tagline = QString::fromStdString(Translate("One picture, printed just right."));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(TaglinePixels);
    // A longer translation gets a smaller type, never the motif's space.
    while (font.pixelSize() > 9 && QFontMetrics(font).horizontalAdvance(tagline) > TaglineWidth)
        font.setPixelSize(font.pixelSize() - 1);
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(font);
    painter.setPen(QColor(TaglineColour));
    painter.drawText(artwork + QPoint(TaglineLeft, TaglineBaseline), tagline);
    painter.restore();
}

} // namespace

QImage LoadCarrier(const QString& fileName, std::string& error)
{
    error = Messages::FileNotFound;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImage picture;
    if (!ReadBitmap(file, picture, error))
        return {};
    return picture;
}

std::unique_ptr<TCompactSplash> CreateSplash()
{
    auto splash = std::make_unique<TCompactSplash>();
    splash->SetTitleText(HideText(ProgramName));
    splash->SetVersionText(HideText(ProgramVersion));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    font.setBold(true);
    splash->SetTextFont(font, Qt::black);
    splash->SetMargins(10, 10);
    return splash;
}

QImage FrameSplashPicture(const QImage& picture)
{
    QImage framed(SplashWidth, SplashHeight, QImage::Format_BGR888);
    if (framed.isNull())
        return {};
    framed.fill(Qt::white);
    QPainter painter(&framed);
    const int left = (SplashWidth - picture.width()) / 2;
    painter.drawImage(left, SplashPictureTop, picture);
    DrawTagline(painter, QPoint(left, SplashPictureTop));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, SplashWidth - 1, SplashHeight - 1);
    return framed;
}

bool PrepareSplashPicture(QImage& carrier, TCompactSplash& splash, bool hasArgument,
                          std::string& lastError)
{
    try {
        lastError = Messages::OutOfMemory;
        std::string error;
        QByteArray image = carrier.isNull() ? QByteArray() : BitmapFileBytes(carrier, error);
        carrier = carrier.isNull() ? carrier : carrier.scaled(1, 1);
        QBuffer stream(&image);
        stream.open(QIODevice::ReadOnly);
        TZipBox box;
        if (image.isEmpty() || !box.LoadFromStream(stream, false))
            return true;
        for (int i = 0; i < box.Count(); ++i) {
            const TBoxItem* item = box.Item(i);
            if (UpperAscii(item->Name) != "A.BMP")
                continue;
            QByteArray bytes;
            QBuffer extracted(&bytes);
            extracted.open(QIODevice::WriteOnly);
            if (!box.ExtractToStream(item, extracted)) {
                lastError = box.LastError();
                return false;
            }
            QImage picture;
            if (!ReadBitmap(bytes, picture, error)) {
                lastError = error;
                return false;
            }
            lastError = Messages::OutOfMemory;
            const QImage framed = FrameSplashPicture(picture);
            if (framed.isNull())
                return false;
            splash.SetPicture(framed);
            // The text rows stand on the artwork, clear of the white band
            // under it and of its left edge.
            const int band = Max(0, SplashHeight - SplashPictureTop - picture.height());
            splash.SetMargins(Max(0, (SplashWidth - picture.width()) / 2) + SplashTextInset,
                              band + SplashTextInset);
            if (!hasArgument)
                splash.ShowSplash();
            return true;
        }
        return true;
    } catch (...) {
        return false;
    }
}

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

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : IconSizes)
        icon.addFile(IconResource(size), QSize(size, size));
    return icon;
}

// ------------------------------------------------------------ TStartupExtras

TStartupExtras::TStartupExtras() = default;

TStartupExtras::~TStartupExtras()
{
    Shutdown();
}

bool TStartupExtras::PrepareSplash(bool hasArgument)
{
    try {
        FLastError = Messages::OutOfMemory;
        FSplash = CreateSplash();
        std::string error;
        QImage carrier = LoadCarrier(QString::fromLatin1(SplashCarrierResource), error);
        if (PrepareSplashPicture(carrier, *FSplash, hasArgument, FLastError))
            return true;
    } catch (...) {
        // The caller shows this message and ends the start.
        FLastError = CaughtFailureMessage();
    }
    FSplash.reset();
    return false;
}

void TStartupExtras::CreateHelp()
{
    try {
        std::string error;
        QImage carrier = LoadCarrier(QString::fromLatin1(HelpCarrierResource), error);
        FHelp = std::make_unique<THelp>(ProgramName, &carrier);
    } catch (...) {
        // The start goes on without help; asking for it shows why.
        FHelp.reset();
        FHelpError = CaughtFailureMessage();
    }
}

void TStartupExtras::FinishSplash()
{
    if (FSplash && FSplash->Visible())
        FSplash->CloseAfter(1);
}

bool TStartupExtras::ShowHelp()
{
    if (!FHelp) {
        ShowError(FHelpError);
        return false;
    }
    // A language file names the start page of the help in its language;
    // without one, or when the help has no such page, the English one opens.
    const std::string page = Translate("index.html");
    if (page != "index.html" && FHelp->ShowPage(page))
        return true;
    if (FHelp->ShowPage("index.html"))
        return true;
    FHelp->ShowLastError();
    return false;
}

void TStartupExtras::ShowAbout()
{
    if (FSplash)
        FSplash->ShowAbout();
}

void TStartupExtras::Shutdown()
{
    FSplash.reset();
    FHelp.reset();
}

} // namespace orvanto
