#include "app/startup/splash.h"

#include "app/startup/version.h"
#include "archive/zip_box.h"
#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/bitmap/bitmap_writer.h"
#include "localisation/language.h"
#include "support/geometry/range.h"
#include "support/messages/messages.h"
#include "support/messages/program_name.h"
#include "support/text/concealment.h"
#include "support/text/text_conversion.h"
#include "ui/compact_splash.h"

#include <QBuffer>
#include <QPainter>

namespace orvanto {

namespace {

constexpr int SplashPictureTop = 21;
constexpr int SplashTextInset = 8; // the text rows' distance from the artwork's edges

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

} // namespace orvanto
