#include "imaging/optimised_image.h"

#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/bitmap/bitmap_writer.h"
#include "imaging/codecs/picture_allocation.h"
#include "imaging/library/jpeg_codec.h"
#include "support/records/compression.h"
#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"

namespace orvanto {

namespace {

const TCodecTexts OptimisedTexts{Messages::OutOfMemory, Messages::FileNotFound, Messages::FileInUse};
const std::string Magic = "OMIV1.0";

} // namespace

TOptimisedImage::TOptimisedImage() : TCodecGraphic(OptimisedTexts)
{
    Picture = QImage(0, 0, QImage::Format_BGR888);
}

bool TOptimisedImage::SameClass(const TGraphic& other) const
{
    return dynamic_cast<const TOptimisedImage*>(&other) != nullptr;
}

void TOptimisedImage::AssignSettings(const TCodecGraphic& source)
{
    PayloadKind = static_cast<const TOptimisedImage&>(source).PayloadKind;
}

void TOptimisedImage::ResetToBlank()
{
    Picture = AllocatePicture(300, 300);
    PayloadKind.clear();
    ExtraText1.clear();
    ExtraText2.clear();
    ExtraText3.clear();
}

bool TOptimisedImage::DecodePayload(const std::string& kind, std::string payload)
{
    QImage decoded;
    std::string error;
    bool ok = false;
    if (kind == "BMP") {
        if (!DecompressText(payload, error)) {
            LastError = error;
            return false;
        }
        LastError = Messages::UnknownFormat;
        ok = ReadBitmap(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size(), decoded, error);
    } else {
        ok = ReadJpeg(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size(), decoded, error,
                      TJpegOrientation::Stored);
    }
    if (!ok) {
        // The readers of bytes in memory fail for memory or for damage, and
        // their text says which.
        LastError = error;
        return false;
    }
    Picture = decoded;
    MakeTrueColor();
    return true;
}

bool TOptimisedImage::Decode(const std::string& text)
{
    LastError = Messages::OutOfMemory;
    try {
        MakeTrueColor();
        const auto zero = text.find('\0');
        const std::string magic = zero == std::string::npos ? std::string() : text.substr(0, zero);
        const std::string rest = zero == std::string::npos ? std::string() : text.substr(zero + 1);
        LastError = Messages::UnknownFormat;
        if (magic != Magic) {
            ResetToBlank();
            return false;
        }
        std::size_t position = 1;
        std::string extra1, extra2, extra3, kind, payload;
        if (!UnpackBlock(position, rest, extra1) || !UnpackBlock(position, rest, extra2)
            || !UnpackBlock(position, rest, extra3) || !UnpackBlock(position, rest, kind)
            || !UnpackBlock(position, rest, payload) || (kind != "JPG" && kind != "BMP")
            || !DecodePayload(kind, std::move(payload))) {
            ResetToBlank();
            return false;
        }
        PayloadKind = kind;
        ExtraText1 = extra1;
        ExtraText2 = extra2;
        ExtraText3 = extra3;
        return true;
    } catch (...) {
        ResetToBlank();
        return false;
    }
}

bool TOptimisedImage::ChoosePayload(std::int64_t bitmapLength,
                                    const std::function<std::int64_t(int quality)>& jpegLength,
                                    TChoice& choice)
{
    choice = TChoice();
    std::int64_t first = 0;
    std::int64_t length = 0;
    for (int quality = 20;; quality = Clamp(quality + 10, 20, 90)) {
        length = jpegLength(Clamp(quality, 1, 100));
        if (length < 0)
            return false;
        choice.Tried.push_back(quality);
        choice.Quality = quality;
        if (quality == 20)
            first = length;
        if ((quality > 20 && length - first > 12000) || quality >= 90 || bitmapLength <= first
            || bitmapLength <= length)
            break;
    }
    choice.UseJpeg = bitmapLength >= length;
    return true;
}

bool TOptimisedImage::Encode(std::string& text)
{
    text.clear();
    LastError = Messages::OutOfMemory;
    try {
        if (GetEmpty())
            return false;
        std::string error;
        const QByteArray bitmapFile = BitmapFileBytes(Picture, error);
        if (bitmapFile.isEmpty())
            return false;
        std::string bitmap = bitmapFile.toStdString();
        if (!CompressText(bitmap, error))
            return false;

        QByteArray jpeg;
        TChoice choice;
        const bool chosen = ChoosePayload(std::int64_t(bitmap.size()), [&](int quality) -> std::int64_t {
            return EncodeJpeg(Picture, quality, jpeg, error) ? std::int64_t(jpeg.size()) : -1;
        }, choice);
        if (!chosen)
            return false;

        std::string file = Magic;
        file += '\0';
        PackBlock(file, ExtraText1);
        PackBlock(file, ExtraText2);
        PackBlock(file, ExtraText3);
        PackBlock(file, choice.UseJpeg ? "JPG" : "BMP");
        PackBlock(file, choice.UseJpeg ? jpeg.toStdString() : bitmap);
        text.swap(file);
        return true;
    } catch (...) {
        text.clear();
        return false;
    }
}

void TOptimisedImage::LoadSteps(QIODevice& stream, std::string& message)
{
    const qint64 available = stream.size() - stream.pos();
    if (available > AllocationCeiling())
        return; // pending: out of memory
    const QByteArray bytes = stream.read(available > 0 ? available : 0);
    if (Decode(std::string(bytes.constData(), std::size_t(bytes.size()))))
        message.clear();
    else
        message = LastError;
}

void TOptimisedImage::SaveSteps(QIODevice& stream, std::string& message)
{
    std::string text;
    if (!Encode(text)) {
        message = LastError;
        return;
    }
    message = Messages::OutOfDiskSpace;
    if (stream.write(text.data(), qint64(text.size())) != qint64(text.size()))
        return;
    message.clear();
}

} // namespace orvanto
