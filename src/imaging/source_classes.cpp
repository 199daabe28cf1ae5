#include "imaging/source_classes.h"

#include "imaging/bitmap_reader.h"
#include "imaging/codecs/portable_pixelmap.h"
#include "imaging/codecs/text_picture.h"
#include "imaging/codecs/x_bitmap.h"
#include "imaging/icon_reader.h"
#include "imaging/jpeg_codec.h"
#include "imaging/metafile.h"
#include "imaging/optimised_image.h"

#include <QPainter>

namespace orvanto {

// Each class is built once, on first use.

namespace {

// An opaque picture of the target's size and format is taken over as it is
// (Qt shares the pixels); anything else is painted over what the target holds.
void DrawPicture(const QImage& picture, QImage& target)
{
    if (picture.isNull())
        return;
    if (picture.size() == target.size() && picture.format() == target.format()
        && !picture.hasAlphaChannel()) {
        target = picture;
        return;
    }
    QPainter painter(&target);
    painter.drawImage(0, 0, picture);
}

// A reader that decodes a whole file into a picture at once.
class TDecodedSource : public TSourceGraphic {
public:
    int Width() const override { return Picture_.width(); }
    int Height() const override { return Picture_.height(); }
    void Draw(QImage& target) const override { DrawPicture(Picture_, target); }
    QImage WholePicture() const override { return Picture_; }

protected:
    QImage Picture_;
};

class TBitmapSource final : public TDecodedSource {
public:
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        return ReadBitmapFile(fileName, Picture_, error);
    }
};

class TJpegSource final : public TDecodedSource {
public:
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        return ReadJpegFile(fileName, Picture_, error);
    }
};

// The icon reader lays the icon over the background itself, so the colour
// has to be known before decoding.
class TIconSource final : public TDecodedSource {
public:
    void SetBackground(std::int64_t colour) override { Background_ = colour; }
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        return ReadIconFile(fileName, Background_, Picture_, error);
    }

private:
    std::int64_t Background_ = NoBackground;
};

// Metafiles are played at the screen's resolution straight onto the target.
class TMetafileSource final : public TSourceGraphic {
public:
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        if (Metafile_.LoadFromFile(fileName))
            return true;
        error = Metafile_.LastError();
        return false;
    }
    int Width() const override { return Metafile_.Width(); }
    int Height() const override { return Metafile_.Height(); }
    void Draw(QImage& target) const override { Metafile_.Draw(target); }

private:
    TMetafile Metafile_;
};

// One of our own codecs, loaded with TryLoadFromFile.
template <typename TCodec>
class TCodecSource final : public TSourceGraphic {
public:
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        if (Codec_.TryLoadFromFile(fileName))
            return true;
        error = Codec_.LastError;
        return false;
    }
    int Width() const override { return Codec_.GetWidth(); }
    int Height() const override { return Codec_.GetHeight(); }
    void Draw(QImage& target) const override { DrawPicture(Codec_.Picture, target); }
    QImage WholePicture() const override { return Codec_.Picture; }

private:
    TCodec Codec_;
};

template <typename TSource>
std::function<std::unique_ptr<TSourceGraphic>()> Maker()
{
    return [] { return std::unique_ptr<TSourceGraphic>(new TSource()); };
}

} // namespace

const TGraphicClass& BitmapGraphicClass()
{
    static const TGraphicClass graphicClass{"TBitmap", Maker<TBitmapSource>(), false};
    return graphicClass;
}

const TGraphicClass& JpegGraphicClass()
{
    static const TGraphicClass graphicClass{"TJPEGImage", Maker<TJpegSource>(), false};
    return graphicClass;
}

const TGraphicClass& IconGraphicClass()
{
    static const TGraphicClass graphicClass{"TIcon", Maker<TIconSource>(), false};
    return graphicClass;
}

const TGraphicClass& MetafileGraphicClass()
{
    static const TGraphicClass graphicClass{"TMetafile", Maker<TMetafileSource>(), false};
    return graphicClass;
}

const TGraphicClass& PortablePixelmapGraphicClass()
{
    static const TGraphicClass graphicClass{"TPortablePixelmap",
                                            Maker<TCodecSource<TPortablePixelmap>>(), false};
    return graphicClass;
}

const TGraphicClass& XBitmapGraphicClass()
{
    static const TGraphicClass graphicClass{"TXBitmap", Maker<TCodecSource<TXBitmap>>(), false};
    return graphicClass;
}

const TGraphicClass& TextPictureGraphicClass()
{
    static const TGraphicClass graphicClass{"TTextPicture", Maker<TCodecSource<TTextPicture>>(),
                                            true};
    return graphicClass;
}

const TGraphicClass& OptimisedImageGraphicClass()
{
    static const TGraphicClass graphicClass{
        "TOptimisedImage", Maker<TCodecSource<TOptimisedImage>>(), false};
    return graphicClass;
}

} // namespace orvanto
