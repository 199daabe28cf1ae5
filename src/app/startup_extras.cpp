#include "app/startup_extras.h"

#include "archive/help.h"
#include "archive/zip_box.h"
#include "imaging/bitmap_reader.h"
#include "imaging/bitmap_writer.h"
#include "localisation/language.h"
#include "support/concealment.h"
#include "support/file_listing.h"
#include "support/general.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/program_name.h"
#include "support/range.h"
#include "support/text_conversion.h"
#include "ui/compact_splash.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>

#include <cstdlib>
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

std::string DesktopEntryText(const std::string& executable, const std::string& iconFile)
{
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.4\n"
                       "Name=Orvanto\n"
                       "GenericName=Picture Printer\n"
                       "Comment=Print one picture at a time, laid out on the page as you choose\n";
    text += "TryExec=" + EscapeEntryString(executable) + "\n";
    text += "Exec=" + EscapeEntryString(QuoteExecArgument(executable)) + " %f\n";
    if (!iconFile.empty())
        text += "Icon=" + EscapeEntryString(iconFile) + "\n";
    text += "Terminal=false\n"
            "Categories=Graphics;Viewer;Printing;\n"
            "Keywords=print;picture;photo;bitmap;\n"
            "MimeType=image/bmp;image/x-bmp;image/x-ms-bmp;image/jpeg;image/pjpeg;"
            "image/vnd.microsoft.icon;image/x-icon;image/wmf;image/x-wmf;image/emf;image/x-emf;"
            "image/x-portable-pixmap;image/x-portable-graymap;image/x-portable-bitmap;"
            "image/x-portable-anymap;image/x-xbitmap;image/x-orvanto-text-picture;"
            "image/x-orvanto-multiformat-image;\n";
    return text;
}

bool InstallMenuEntry(const std::string& executable)
{
    try {
        TPaths* paths = Paths();
        if (paths == nullptr || executable.empty())
            return false;
        const std::string folder = paths->MakerMenuFolder("Fennick", true);
        const std::string copy = folder + ProgramName + ".EXE";
        bool ok = paths->CopyFileOver(executable, copy);
        std::string iconFile = folder + "orvanto.png";
        QFile icon(IconResource(256));
        if (!icon.open(QIODevice::ReadOnly)
            || !WriteWhenChanged(iconFile, icon.readAll().toStdString(), 0644)) {
            iconFile.clear();
            ok = false;
        }
        return WriteWhenChanged(folder + "orvanto.desktop", DesktopEntryText(copy, iconFile), 0644) && ok;
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
    }
}

void TStartupExtras::FinishSplash()
{
    if (FSplash && FSplash->Visible())
        FSplash->CloseAfter(1);
}

bool TStartupExtras::ShowHelp()
{
    if (!FHelp)
        return false;
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
