#include "imaging/open_image.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/source_classes.h"
#include "localisation/language.h"
#include "support/files/file_listing.h"
#include "support/messages/messages.h"
#include "support/services.h"
#include "support/text/text_conversion.h"

#include <QColor>

#include <algorithm>

namespace orvanto {

std::string FileNameExtension(const std::string& fileName)
{
    // Only the name counts: "/photos.2024/scan" has no extension.
    const auto slash = fileName.rfind('/');
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    return fileName.substr(dot);
}

int TOpenImageEventCollection::AddFormat(const TOpenImageEventHandler& entry)
{
    TOpenImageEventHandler stored = entry;
    stored.Extension = UpperAscii(entry.Extension);
    int index = FindByExtension(stored.Extension);
    if (index < 0) {
        if (FHandlers.Count >= TOpenImageEventHandlers::Capacity)
            return -1;
        index = FHandlers.Count++;
    }
    FHandlers.Items[index] = std::move(stored);
    return index;
}

int TOpenImageEventCollection::FindByExtension(const std::string& extension) const
{
    const std::string wanted = UpperAscii(extension);
    for (int i = 0; i < FHandlers.Count; ++i)
        if (FHandlers.Items[i].Extension == wanted)
            return i;
    return -1;
}

int TOpenImageEventCollection::FindByFileName(const std::string& fileName) const
{
    return FindByExtension(FileNameExtension(fileName));
}

bool TOpenImageEventCollection::Load(int index, TImageInfoRec& info) const
{
    info.ErrorText = Messages::IndexOutOfRange;
    if (!IsValidIndex(index) || !FHandlers.Items[index].OnOpen)
        return false;
    try {
        return FHandlers.Items[index].OnOpen(info);
    } catch (...) {
        return false;
    }
}

std::string TOpenImageEventCollection::BuildFilter(int index, bool patternsOnly) const
{
    auto pattern = [this](int i) { return "*" + FHandlers.Items[i].Extension; };
    std::string text;
    switch (index) {
    case -1:
        if (!patternsOnly)
            text = Translate("All Pictures") + "|";
        for (int i = 0; i < FHandlers.Count; ++i)
            text += pattern(i) + ";";
        if (!patternsOnly)
            text += "|";
        return text;
    case -3:
        for (int i = 0; i < FHandlers.Count; ++i) {
            if (patternsOnly)
                text += pattern(i) + ";";
            else
                text += FHandlers.Items[i].Description + " (*"
                    + LowerAscii(FHandlers.Items[i].Extension) + ")|" + pattern(i) + ";|";
        }
        return text;
    case -2:
        return BuildFilter(-1, patternsOnly) + BuildFilter(-3, patternsOnly);
    default:
        if (!IsValidIndex(index))
            return std::string();
        if (patternsOnly)
            return pattern(index);
        return FHandlers.Items[index].Description + " (" + pattern(index) + ")|" + pattern(index)
            + "|";
    }
}

bool LoadWithGraphicClass(const TGraphicClass& graphicClass, bool fillBackground,
                          TImageInfoRec& info)
{
    info.Partial = false;
    info.ErrorText = Messages::IndexOutOfRange;
    if (!info.Bitmap)
        return false;
    info.ErrorText = Messages::FileNotFound;
    if (!IsFile(info.FileName))
        return false;
    try {
        info.ErrorText = Messages::OutOfMemory;
        std::unique_ptr<TSourceGraphic> source;
        if (graphicClass.Create)
            source = graphicClass.Create();

        info.ErrorText = Messages::UnknownFormat;
        std::string codecError;
        // The caller sees each percent once and never a step back, however
        // the reader counts (a progressive JPEG learns its passes as it goes).
        int lastPercent = -1;
        TLoadProgress report;
        if (info.OnProgress)
            report = [&info, &lastPercent](int percent) {
                percent = std::clamp(percent, 0, 100);
                if (percent > lastPercent) {
                    lastPercent = percent;
                    info.OnProgress(percent);
                }
            };
        if (source && fillBackground)
            source->SetBackground(info.BackgroundColor);
        if (source && report)
            source->SetProgress(report);
        if (!source || !source->LoadFromFile(info.FileName, codecError)) {
            if (graphicClass.ReportsOwnError && !codecError.empty())
                info.ErrorText = codecError;
            return false;
        }

        info.ErrorText = Messages::OutOfMemory;
        // A picture without pixels still gets one, so the caller never holds
        // an empty bitmap after a successful open.
        const int width = source->Width() < 1 ? 1 : source->Width();
        const int height = source->Height() < 1 ? 1 : source->Height();
        *info.Bitmap = QImage();
        QImage picture = source->WholePicture();
        // A 24-bit picture covers the whole target opaquely, so a background
        // fill under it could never show.
        if (picture.isNull() || picture.size() != QSize(width, height)
            || picture.format() != QImage::Format_BGR888) {
            picture = AllocatePicture(width, height);
            if (picture.isNull())
                return false;
            if (fillBackground && info.BackgroundColor != -1) {
                const auto colour = std::uint32_t(info.BackgroundColor);
                picture.fill(QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF),
                                    int((colour >> 16) & 0xFF)));
            }
            source->Draw(picture);
        }
        *info.Bitmap = std::move(picture);
        info.Partial = source->Partial();
        if (report)
            report(100);
        return true;
    } catch (...) {
        return false;
    }
}

namespace {

struct TBuiltInFormat {
    const char* Extension;
    const char* Description;
    const char* Qualifier; // translated apart and put in parentheses
    const TGraphicClass& (*GraphicClass)();
    bool FillBackground;
};

const TBuiltInFormat BuiltInFormats[] = {
    {".BMP", "Bitmap", nullptr, &BitmapGraphicClass, false},
    {".DIB", "Device Independant Bitmap", nullptr, &BitmapGraphicClass, false},
    {".RLE", "Windows RLE", nullptr, &BitmapGraphicClass, false},
    {".JPG", "Jpeg", nullptr, &JpegGraphicClass, false},
    {".JIF", "Jpeg", nullptr, &JpegGraphicClass, false},
    {".ICO", "Icon", nullptr, &IconGraphicClass, true},
    {".WMF", "Windows Metafile", nullptr, &MetafileGraphicClass, false},
    {".EMF", "Enhanced Windows Metafile", nullptr, &MetafileGraphicClass, false},
    {".PPM", "Portable Pixelmaxp", nullptr, &PortablePixelmapGraphicClass, false},
    {".PGM", "Portable Graymap", nullptr, &PortablePixelmapGraphicClass, false},
    {".PBM", "Portable Bitmap", "Monochrome", &PortablePixelmapGraphicClass, false},
    {".XBM", "X Bitmap", "Monochrome", &XBitmapGraphicClass, false},
    {".TEP", "Text Picture", nullptr, &TextPictureGraphicClass, false},
    {".OMI", "Optimised Multiformat Image", nullptr, &OptimisedImageGraphicClass, false},
    {".PNG", "PNG Picture", nullptr, &PngGraphicClass, false},
    {".GIF", "GIF Picture", nullptr, &GifGraphicClass, false},
    {".TIF", "TIFF Picture", nullptr, &TiffGraphicClass, false},
    {".TIFF", "TIFF Picture", nullptr, &TiffGraphicClass, false},
    {".WEBP", "WebP Picture", nullptr, &WebpGraphicClass, false},
    {".HEIC", "HEIC/HEIF Picture", nullptr, &HeifGraphicClass, false},
    {".HEIF", "HEIC/HEIF Picture", nullptr, &HeifGraphicClass, false},
    {".AVIF", "AVIF Picture", nullptr, &HeifGraphicClass, false},
    // Cameras and phones write these spellings too.
    {".JPEG", "Jpeg", nullptr, &JpegGraphicClass, false},
    {".JPE", "Jpeg", nullptr, &JpegGraphicClass, false},
};

} // namespace

const TGraphicClass* BuiltInGraphicClass(const std::string& fileName)
{
    const std::string extension = UpperAscii(FileNameExtension(fileName));
    for (const TBuiltInFormat& format : BuiltInFormats)
        if (extension == format.Extension)
            return &format.GraphicClass();
    return nullptr;
}

TOpenImage::TOpenImage()
{
    for (const TBuiltInFormat& format : BuiltInFormats) {
        TOpenImageEventHandler entry;
        entry.Extension = format.Extension;
        entry.Description = Translate(format.Description);
        if (format.Qualifier)
            entry.Description += " (" + Translate(format.Qualifier) + ")";
        const TGraphicClass* graphicClass = &format.GraphicClass();
        const bool fill = format.FillBackground;
        entry.GraphicClass = graphicClass;
        entry.OnOpen = [graphicClass, fill](TImageInfoRec& info) {
            return LoadWithGraphicClass(*graphicClass, fill, info);
        };
        FFormats.AddFormat(entry);
    }
}

bool TOpenImage::Open(TImageInfoRec& info) const
{
    return FFormats.Load(FFormats.FindByFileName(info.FileName), info);
}

bool TOpenImage::OpenPreview(const std::string& fileName, const TPreviewNeed& need, QImage& preview,
                             QSize& fullSize) const
{
    const int index = FFormats.FindByFileName(fileName);
    if (!FFormats.IsValidIndex(index))
        return false;
    const TGraphicClass* graphicClass = FFormats.Item(index).GraphicClass;
    try {
        return graphicClass && graphicClass->Preview && graphicClass->Preview(fileName, need, preview, fullSize);
    } catch (...) {
        preview = QImage();
        return false;
    }
}

using TOpenImageSlot = TServiceSlot<TOpenImage, TService::OpenImage>;

TOpenImage* OpenImage() { return TOpenImageSlot::Get(); }
void FreeOpenImage() { TOpenImageSlot::Free(); }

} // namespace orvanto
