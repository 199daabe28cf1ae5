#include "imaging/open_image.h"

#include "tests/test_support.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace orvanto;

namespace {

// A source that decodes PNG through Qt, so the loading steps can be tested
// apart from the real readers. "fail-own" files fail with a message of
// their own; "throw" files throw while drawing.
class TPngSource final : public TSourceGraphic {
public:
    bool LoadFromFile(const std::string& fileName, std::string& error) override
    {
        if (ReadWholeFile(fileName) == "fail-own") {
            error = "File in use";
            return false;
        }
        FThrowOnDraw = ReadWholeFile(fileName) == "throw";
        if (FThrowOnDraw)
            return true;
        return FPicture.load(QString::fromStdString(fileName), "PNG");
    }
    int Width() const override { return FThrowOnDraw ? 2 : FPicture.width(); }
    int Height() const override { return FThrowOnDraw ? 2 : FPicture.height(); }
    void Draw(QImage& target) const override
    {
        if (FThrowOnDraw)
            throw std::runtime_error("draw");
        QPainter painter(&target);
        painter.drawImage(0, 0, FPicture);
    }

private:
    QImage FPicture;
    bool FThrowOnDraw = false;
};

const TGraphicClass PngClass{"TPng", [] { return std::make_unique<TPngSource>(); }, false};
const TGraphicClass PngOwnErrorClass{"TPng", [] { return std::make_unique<TPngSource>(); }, true};
const TGraphicClass NoReaderClass{"TNone", nullptr, false};

std::string WritePng(const std::string& folder, const std::string& name, const QImage& picture)
{
    const std::string path = folder + name;
    EXPECT_TRUE(picture.save(QString::fromStdString(path), "PNG"));
    return path;
}

// 4 x 3, left half opaque red, right half fully transparent.
QImage HalfTransparent()
{
    QImage picture(4, 3, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            picture.setPixelColor(x, y, QColor(255, 0, 0));
    return picture;
}

QImage Sentinel()
{
    QImage picture(7, 5, QImage::Format_BGR888);
    picture.fill(QColor(1, 2, 3));
    return picture;
}

} // namespace

TEST(LoadingSteps, FailuresKeepTheCallersBitmapAndNameTheStep)
{
    const std::string folder = MakeTempFolder("loading-steps");
    const std::string png = WritePng(folder, "ok.png", HalfTransparent());
    WriteWholeFile(folder + "own.png", "fail-own");
    WriteWholeFile(folder + "garbage.png", "not a picture");

    struct TCase {
        const char* Name;
        const TGraphicClass* Class;
        std::string File;
        bool WithBitmap;
        const char* Error;
    };
    const TCase cases[] = {
        {"no bitmap", &PngClass, png, false, "Index out of range"},
        {"missing file", &PngClass, folder + "missing.png", true, "File not found"},
        {"folder, not file", &PngClass, folder, true, "File not found"},
        {"no reader", &NoReaderClass, png, true, "Unknown format"},
        {"undecodable", &PngClass, folder + "garbage.png", true, "Unknown format"},
        {"own error hidden", &PngClass, folder + "own.png", true, "Unknown format"},
        {"own error shown", &PngOwnErrorClass, folder + "own.png", true, "File in use"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QImage bitmap = Sentinel();
        TImageInfoRec info;
        info.FileName = c.File;
        info.Bitmap = c.WithBitmap ? &bitmap : nullptr;
        EXPECT_FALSE(LoadWithGraphicClass(*c.Class, false, info));
        EXPECT_EQ(info.ErrorText, c.Error);
        EXPECT_EQ(bitmap, Sentinel()) << "replaced before the picture was decoded";
    }
}

TEST(LoadingSteps, DrawingFailureReportsOutOfMemory)
{
    const std::string folder = MakeTempFolder("loading-draw");
    WriteWholeFile(folder + "throw.png", "throw");
    QImage bitmap = Sentinel();
    TImageInfoRec info{folder + "throw.png", -1, "", &bitmap};
    EXPECT_FALSE(LoadWithGraphicClass(PngClass, false, info));
    EXPECT_EQ(info.ErrorText, "Out of memory");
}

TEST(LoadingSteps, TransparentPartsShowTheBackgroundOnlyWhenFilling)
{
    const std::string folder = MakeTempFolder("loading-fill");
    const std::string png = WritePng(folder, "half.png", HalfTransparent());
    struct TCase {
        bool Fill;
        std::int64_t Background;
        QColor Right;
    };
    const TCase cases[] = {
        {true, 16777215, QColor(255, 255, 255)},
        {true, 0x00FF8000, QColor(0x00, 0x80, 0xFF)}, // red in the low byte
        {true, 0, QColor(0, 0, 0)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Background);
        QImage bitmap = Sentinel();
        TImageInfoRec info{png, c.Background, "", &bitmap};
        ASSERT_TRUE(LoadWithGraphicClass(PngClass, c.Fill, info)) << info.ErrorText;
        EXPECT_EQ(bitmap.size(), QSize(4, 3));
        EXPECT_EQ(bitmap.format(), QImage::Format_BGR888);
        EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(255, 0, 0));
        EXPECT_EQ(bitmap.pixelColor(3, 2), c.Right);
    }
}

TEST(LoadingSteps, SizeLessPictureBecomesOnePixel)
{
    class TEmpty final : public TSourceGraphic {
    public:
        bool LoadFromFile(const std::string&, std::string&) override { return true; }
        int Width() const override { return -5; }
        int Height() const override { return 0; }
        void Draw(QImage&) const override {}
    };
    const TGraphicClass emptyClass{"TEmpty", [] { return std::make_unique<TEmpty>(); }, false};
    const std::string folder = MakeTempFolder("loading-empty");
    WriteWholeFile(folder + "e.x", "x");
    QImage bitmap;
    TImageInfoRec info{folder + "e.x", -1, "", &bitmap};
    ASSERT_TRUE(LoadWithGraphicClass(emptyClass, false, info));
    EXPECT_EQ(bitmap.size(), QSize(1, 1));
}

TEST(FileNameExtension, TakesTheLastDotOfTheNameOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/a/b/photo.jpg", ".jpg"}, {"/a/b/photo.tar.JPG", ".JPG"}, {"/a.b/photo", ""},
        {"/a.b/c/photo", ""},       {"photo", ""},                   {"photo.", "."},
        {"/a/.hidden", ".hidden"},  {"", ""},
    };
    for (const auto& [name, extension] : cases)
        EXPECT_EQ(FileNameExtension(name), extension) << name;
}

TEST(LoadingSteps, WholePicturesAreTakenOnlyWhenTheyCoverTheTarget)
{
    // A source offering a ready picture: taken as it is when it is 24-bit
    // and of the reported size, else the source is drawn over the filled target.
    class TReady final : public TSourceGraphic {
    public:
        TReady(QImage picture, QSize reported) : FPicture(std::move(picture)), FReported(reported) {}
        bool LoadFromFile(const std::string&, std::string&) override { return true; }
        int Width() const override { return FReported.width(); }
        int Height() const override { return FReported.height(); }
        void Draw(QImage& target) const override
        {
            QPainter painter(&target);
            painter.drawImage(0, 0, FPicture);
        }
        QImage WholePicture() const override { return FPicture; }

    private:
        QImage FPicture;
        QSize FReported;
    };
    QImage solid(3, 2, QImage::Format_BGR888);
    solid.fill(QColor(9, 8, 7));
    QImage clear(3, 2, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    struct TCase {
        const char* Name;
        QImage Picture;
        QSize Reported;
        QSize Size;
        QPoint Probe;
        QColor Colour; // at Probe
        bool Shared;
    };
    const TCase cases[] = {
        {"ready", solid, {3, 2}, {3, 2}, {2, 1}, QColor(9, 8, 7), true},
        {"larger than reported", solid, {2, 1}, {2, 1}, {1, 0}, QColor(9, 8, 7), false},
        {"smaller than reported", solid, {4, 3}, {4, 3}, {3, 2}, QColor(0, 0, 255), false},
        {"with alpha", clear, {3, 2}, {3, 2}, {2, 1}, QColor(0, 0, 255), false},
    };
    const std::string folder = MakeTempFolder("loading-whole");
    WriteWholeFile(folder + "w.x", "x");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TCase* current = &c;
        const TGraphicClass readyClass{
            "TReady", [current] { return std::make_unique<TReady>(current->Picture, current->Reported); },
            false};
        QImage bitmap;
        TImageInfoRec info{folder + "w.x", 0x00FF0000, "", &bitmap}; // blue background
        ASSERT_TRUE(LoadWithGraphicClass(readyClass, true, info)) << info.ErrorText;
        EXPECT_EQ(bitmap.size(), c.Size);
        EXPECT_EQ(bitmap.format(), QImage::Format_BGR888);
        EXPECT_EQ(bitmap.pixelColor(c.Probe), c.Colour);
        EXPECT_EQ(bitmap.constBits() == c.Picture.constBits(), c.Shared);
    }
}
