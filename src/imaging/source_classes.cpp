#include "imaging/source_classes.h"

#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/codecs/portable_pixelmap.h"
#include "imaging/codecs/text_picture.h"
#include "imaging/codecs/x_bitmap.h"
#include "imaging/bitmap/icon_reader.h"
#include "imaging/library/jpeg_codec.h"
#include "imaging/metafile/metafile.h"
#include "imaging/library/heif_reader.h"
#include "imaging/optimised_image.h"
#include "imaging/library/qt_picture_reader.h"
#include "imaging/library/tiff_reader.h"
#include "imaging/library/webp_reader.h"

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
    int Width() const override { return FPicture.width(); }
    int Height() const override { return FPicture.height(); }
    void Draw(QImage& target) const override { DrawPicture(FPicture, target); }
    QImage WholePicture() const override { return FPicture; }

protected:
    QImage FPicture;
};

class TBitmapSource final : public TDecodedSource {
public:
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        return ReadBitmapFile(fileName, FPicture, error);
    }
};

class TJpegSource final : public TDecodedSource {
public:
    void SetProgress(TLoadProgress progress) override { FProgress = std::move(progress); }
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        return ReadJpegFile(fileName, FPicture, error, nullptr, FProgress, &FPartial);
    }
    bool Partial() const override { return FPartial; }

private:
    TLoadProgress FProgress;
    bool FPartial = false;
};

// PNG and GIF through Qt's readers, which cannot tell how far they are.
template <TQtPictureFormat Format>
class TQtPictureSource final : public TDecodedSource {
public:
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        return ReadQtPictureFile(fileName, Format, FPicture, error);
    }
};

// A reader of the form ReadXFile(path, picture, error, progress).
template <bool (*Read)(const std::string&, QImage&, std::string&, const TLoadProgress&)>
class TLibrarySource final : public TDecodedSource {
public:
    void SetProgress(TLoadProgress progress) override { FProgress = std::move(progress); }
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        return Read(fileName, FPicture, error, FProgress);
    }

private:
    TLoadProgress FProgress;
};

// The icon reader lays the icon over the background itself, so the colour
// has to be known before decoding.
class TIconSource final : public TDecodedSource {
public:
    void SetBackground(std::int64_t colour) override { FBackground = colour; }
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        return ReadIconFile(fileName, FBackground, FPicture, error);
    }

private:
    std::int64_t FBackground = NoBackground;
};

// Metafiles are played at the screen's resolution straight onto the target.
class TMetafileSource final : public TSourceGraphic {
public:
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        if (FMetafile.LoadFromFile(fileName))
            return true;
        error = FMetafile.LastError();
        return false;
    }
    int Width() const override { return FMetafile.Width(); }
    int Height() const override { return FMetafile.Height(); }
    void Draw(QImage& target) const override { FMetafile.Draw(target); }

private:
    TMetafile FMetafile;
};

// One of our own codecs, loaded with TryLoadFromFile.
template <typename TCodec>
class TCodecSource final : public TSourceGraphic {
public:
    // The codec's own reports, at most one each 250 ms after a start at 0.
    // Its closing report comes even when the load failed, so the 100 is left
    // to the caller, who knows whether the picture is complete.
    void SetProgress(TLoadProgress progress) override
    {
        FCodec.OnProgress = nullptr;
        if (progress)
            FCodec.OnProgress = [progress = std::move(progress)](const TGraphic&, TProgressStage stage, int percent,
                                                                 bool, const QRect&, const std::string&) {
                if (stage != TProgressStage::Ending)
                    progress(percent);
            };
    }
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        if (FCodec.TryLoadFromFile(fileName))
            return true;
        error = FCodec.LastError;
        return false;
    }
    int Width() const override { return FCodec.GetWidth(); }
    int Height() const override { return FCodec.GetHeight(); }
    void Draw(QImage& target) const override { DrawPicture(FCodec.Picture, target); }
    QImage WholePicture() const override { return FCodec.Picture; }
    bool Partial() const override
    {
        if constexpr (requires { FCodec.Partial(); })
            return FCodec.Partial();
        return false;
    }

private:
    TCodec FCodec;
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
    static const TGraphicClass graphicClass{"TJPEGImage", Maker<TJpegSource>(), false, ReadJpegPreviewFile};
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

const TGraphicClass& PngGraphicClass()
{
    static const TGraphicClass graphicClass{"TPngImage", Maker<TQtPictureSource<TQtPictureFormat::Png>>(), true};
    return graphicClass;
}

const TGraphicClass& GifGraphicClass()
{
    static const TGraphicClass graphicClass{"TGIFImage", Maker<TQtPictureSource<TQtPictureFormat::Gif>>(), true};
    return graphicClass;
}

const TGraphicClass& TiffGraphicClass()
{
    static const TGraphicClass graphicClass{"TTiffImage", Maker<TLibrarySource<&ReadTiffFile>>(), true};
    return graphicClass;
}

const TGraphicClass& WebpGraphicClass()
{
    static const TGraphicClass graphicClass{"TWebPImage", Maker<TLibrarySource<&ReadWebpFile>>(), true,
                                            ReadWebpPreviewFile};
    return graphicClass;
}

const TGraphicClass& HeifGraphicClass()
{
    static const TGraphicClass graphicClass{"THeifImage", Maker<TLibrarySource<&ReadHeifFile>>(), true,
                                            ReadHeifPreviewFile};
    return graphicClass;
}

} // namespace orvanto
