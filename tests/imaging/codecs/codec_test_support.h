#pragma once

#include "imaging/codecs/codec_graphic.h"
#include "imaging/codecs/general_error.h"

#include <QBuffer>
#include <QImage>

#include <string>
#include <vector>

namespace orvanto {

// Loads bytes with a codec; Message is empty on success, the raised text otherwise.
struct TLoadResult {
    QImage Picture;
    std::string Message;
    std::string LastError;
};

template <typename Codec>
TLoadResult LoadBytes(const std::string& bytes, Codec& codec)
{
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TLoadResult result;
    try {
        codec.LoadFromStream(buffer);
    } catch (const EGeneralError& error) {
        result.Message = error.Message;
    }
    result.Picture = codec.Picture;
    result.LastError = codec.LastError;
    return result;
}

template <typename Codec>
TLoadResult LoadBytes(const std::string& bytes)
{
    Codec codec;
    return LoadBytes(bytes, codec);
}

template <typename Codec>
std::string SaveBytes(Codec& codec)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadWrite);
    codec.SaveToStream(buffer);
    return std::string(data.constData(), std::size_t(data.size()));
}

// A picture from rows of pixels given as 0xRRGGBB.
inline QImage MakePicture(const std::vector<std::vector<unsigned>>& rows)
{
    QImage picture(rows.empty() ? 0 : int(rows[0].size()), int(rows.size()), QImage::Format_BGR888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, 0xff000000u | rows[std::size_t(y)][std::size_t(x)]);
    return picture;
}

// The picture's pixels as 0xRRGGBB rows, for readable comparisons.
inline std::vector<std::vector<unsigned>> PixelsOf(const QImage& picture)
{
    std::vector<std::vector<unsigned>> rows(std::size_t(picture.height()));
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            rows[std::size_t(y)].push_back(picture.pixel(x, y) & 0xffffffu);
    return rows;
}

constexpr unsigned W = 0xffffff;
constexpr unsigned K = 0x000000;

} // namespace orvanto
