#include "imaging/format_mime_types.h"
#include "imaging/open_image.h"
#include "localisation/language.h"

#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

const char* const Extensions[] = {".BMP", ".DIB", ".RLE", ".JPG", ".JIF", ".ICO", ".WMF", ".EMF",
                                  ".PPM", ".PGM", ".PBM", ".XBM", ".TEP", ".OMI", ".PNG", ".GIF",
                                  ".TIF", ".TIFF", ".WEBP", ".HEIC", ".HEIF", ".AVIF", ".JPEG",
                                  ".JPE"};
constexpr int FormatCount = 24;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// ".Bmp": every other letter lowered.
std::string Mixed(std::string text)
{
    for (std::size_t i = 2; i < text.size(); i += 2)
        text[i] = char(std::tolower(static_cast<unsigned char>(text[i])));
    return text;
}

const std::string AllPatterns =
    "*.BMP;*.DIB;*.RLE;*.JPG;*.JIF;*.ICO;*.WMF;*.EMF;*.PPM;*.PGM;*.PBM;*.XBM;*.TEP;*.OMI;"
    "*.PNG;*.GIF;*.TIF;*.TIFF;*.WEBP;*.HEIC;*.HEIF;*.AVIF;*.JPEG;*.JPE;";
const std::string EachFormat =
    "Bitmap (*.bmp)|*.BMP;|Device Independant Bitmap (*.dib)|*.DIB;|Windows RLE (*.rle)|*.RLE;|"
    "Jpeg (*.jpg)|*.JPG;|Jpeg (*.jif)|*.JIF;|Icon (*.ico)|*.ICO;|"
    "Windows Metafile (*.wmf)|*.WMF;|Enhanced Windows Metafile (*.emf)|*.EMF;|"
    "Portable Pixelmaxp (*.ppm)|*.PPM;|Portable Graymap (*.pgm)|*.PGM;|"
    "Portable Bitmap (Monochrome) (*.pbm)|*.PBM;|X Bitmap (Monochrome) (*.xbm)|*.XBM;|"
    "Text Picture (*.tep)|*.TEP;|Optimised Multiformat Image (*.omi)|*.OMI;|"
    "PNG Picture (*.png)|*.PNG;|GIF Picture (*.gif)|*.GIF;|TIFF Picture (*.tif)|*.TIF;|"
    "TIFF Picture (*.tiff)|*.TIFF;|WebP Picture (*.webp)|*.WEBP;|HEIC/HEIF Picture (*.heic)|*.HEIC;|"
    "HEIC/HEIF Picture (*.heif)|*.HEIF;|AVIF Picture (*.avif)|*.AVIF;|"
    "Jpeg (*.jpeg)|*.JPEG;|Jpeg (*.jpe)|*.JPE;|";

} // namespace

TEST(FormatRegistry, FindsEveryExtensionInAnyCase)
{
    const TOpenImage registry;
    ASSERT_EQ(registry.Formats().Count(), FormatCount);
    for (int i = 0; i < FormatCount; ++i) {
        const std::string extension = Extensions[i];
        EXPECT_EQ(registry.Formats().Item(i).Extension, extension);
        for (const std::string& written : {extension, Lower(extension), Mixed(extension)}) {
            SCOPED_TRACE(written);
            EXPECT_EQ(registry.Formats().FindByExtension(written), i);
            EXPECT_EQ(registry.Formats().FindByFileName("/some.folder/picture" + written), i);
        }
    }
    EXPECT_EQ(registry.Formats().FindByExtension("BMP"), -1);
    EXPECT_EQ(registry.Formats().FindByExtension(".jfif"), -1);
    EXPECT_EQ(registry.Formats().FindByExtension(""), -1);
}

// The desktop entry offers the program for these types: a registered format
// without one is never handed to it by "Open With".
TEST(FormatRegistry, EveryFormatHasItsMediaTypes)
{
    const TOpenImage registry;
    for (int i = 0; i < registry.Formats().Count(); ++i)
        EXPECT_FALSE(MimeTypesOfExtension(registry.Formats().Item(i).Extension).empty())
            << registry.Formats().Item(i).Extension;
    const struct {
        const char* Extension;
        const char* First;
    } cases[] = {{".tep", "image/x-orvanto-text-picture"}, {".OMI", "image/x-orvanto-multiformat-image"},
                 {".Jpg", "image/jpeg"}, {".BMP", "image/bmp"}, {".png", "image/png"},
                 {".jpeg", "image/jpeg"}, {".JPE", "image/jpeg"}};
    for (const auto& c : cases) {
        const auto types = MimeTypesOfExtension(c.Extension);
        ASSERT_FALSE(types.empty()) << c.Extension;
        EXPECT_EQ(types[0], c.First) << c.Extension;
    }
    EXPECT_TRUE(MimeTypesOfExtension(".txt").empty());
}

TEST(FormatRegistry, DescriptionsAndClassesFollowTheTable)
{
    const TOpenImage registry;
    const std::pair<const char*, const char*> expected[] = {
        {"Bitmap", "TBitmap"},
        {"Device Independant Bitmap", "TBitmap"},
        {"Windows RLE", "TBitmap"},
        {"Jpeg", "TJPEGImage"},
        {"Jpeg", "TJPEGImage"},
        {"Icon", "TIcon"},
        {"Windows Metafile", "TMetafile"},
        {"Enhanced Windows Metafile", "TMetafile"},
        {"Portable Pixelmaxp", "TPortablePixelmap"},
        {"Portable Graymap", "TPortablePixelmap"},
        {"Portable Bitmap (Monochrome)", "TPortablePixelmap"},
        {"X Bitmap (Monochrome)", "TXBitmap"},
        {"Text Picture", "TTextPicture"},
        {"Optimised Multiformat Image", "TOptimisedImage"},
        {"PNG Picture", "TPngImage"},
        {"GIF Picture", "TGIFImage"},
        {"TIFF Picture", "TTiffImage"},
        {"TIFF Picture", "TTiffImage"},
        {"WebP Picture", "TWebPImage"},
        {"HEIC/HEIF Picture", "THeifImage"},
        {"HEIC/HEIF Picture", "THeifImage"},
        {"AVIF Picture", "THeifImage"},
        {"Jpeg", "TJPEGImage"},
        {"Jpeg", "TJPEGImage"},
    };
    for (int i = 0; i < FormatCount; ++i) {
        const TOpenImageEventHandler& entry = registry.Formats().Item(i);
        EXPECT_EQ(entry.Description, expected[i].first) << i;
        ASSERT_NE(entry.GraphicClass, nullptr) << i;
        EXPECT_EQ(entry.GraphicClass->Name, expected[i].second) << i;
    }
}

TEST(FormatRegistry, OpenFailuresNameTheCause)
{
    const std::string folder = MakeTempFolder("open-failures");
    // A folder with a dot in its name, holding files without extension.
    const std::string dotted = MakeTempFolder("open-failures.PPM");
    WriteWholeFile(folder + "x.jfif", "not looked at");
    WriteWholeFile(dotted + "plain", "P3 1 1 1 0 0 0");

    struct TCase {
        std::string File;
        const char* Error;
    };
    std::vector<TCase> cases = {
        {folder + "x.jfif", "Index out of range"},
        {dotted + "plain", "Index out of range"},
        {folder + "noextension", "Index out of range"},
        {folder + "trailing.", "Index out of range"},
    };
    for (const char* extension : Extensions) {
        cases.push_back({folder + "missing" + extension, "File not found"});
        cases.push_back({folder + "missing" + Lower(extension), "File not found"});
    }
    const TOpenImage registry;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        QImage bitmap(3, 3, QImage::Format_BGR888);
        bitmap.fill(Qt::green);
        TImageInfoRec info{c.File, 16777215, "", &bitmap};
        EXPECT_FALSE(registry.Open(info));
        EXPECT_EQ(info.ErrorText, c.Error);
        EXPECT_EQ(bitmap.pixelColor(1, 1), QColor(Qt::green));
    }
}

TEST(FormatRegistry, AddFormatReplacesByExtensionAndRefusesTheHundredFirst)
{
    TOpenImage registry;
    TOpenImageEventCollection& formats = registry.Formats();
    bool called = false;
    TOpenImageEventHandler bmp{".bmp", "Mine", [&called](TImageInfoRec&) {
                                   called = true;
                                   return true;
                               },
                               nullptr};
    EXPECT_EQ(formats.AddFormat(bmp), 0);
    EXPECT_EQ(formats.Count(), FormatCount);
    EXPECT_EQ(formats.Item(0).Extension, ".BMP");
    EXPECT_EQ(formats.Item(0).Description, "Mine");
    QImage bitmap;
    TImageInfoRec info{"/nowhere/x.Bmp", -1, "", &bitmap};
    EXPECT_TRUE(registry.Open(info));
    EXPECT_TRUE(called);

    for (int i = formats.Count(); i < 100; ++i)
        ASSERT_EQ(formats.AddFormat({".X" + std::to_string(i), "Extra", nullptr, nullptr}), i);
    EXPECT_EQ(formats.Count(), 100);
    EXPECT_EQ(formats.AddFormat({".ONE01", "One too many", nullptr, nullptr}), -1);
    EXPECT_EQ(formats.Count(), 100);
    EXPECT_EQ(formats.FindByExtension(".ONE01"), -1);
    // Replacing still works in a full table.
    EXPECT_EQ(formats.AddFormat({".x50", "Again", nullptr, nullptr}), 50);
    EXPECT_EQ(formats.Item(50).Description, "Again");

    // An entry without a loader fails the open instead of crashing.
    TImageInfoRec extra{"/nowhere/a.x20", -1, "", &bitmap};
    EXPECT_FALSE(registry.Open(extra));
    EXPECT_EQ(extra.ErrorText, "Index out of range");

    EXPECT_FALSE(formats.IsValidIndex(100));
    EXPECT_FALSE(formats.IsValidIndex(-1));
    EXPECT_TRUE(formats.IsValidIndex(99));
    formats.Clear();
    EXPECT_EQ(formats.Count(), 0);
    EXPECT_FALSE(formats.IsValidIndex(0));
    EXPECT_EQ(formats.FindByExtension(".BMP"), -1);
}

TEST(FormatRegistry, LoadChecksTheIndex)
{
    const TOpenImage registry;
    QImage bitmap;
    for (int index : {-1, FormatCount, 1000}) {
        TImageInfoRec info{"/nowhere/x.bmp", -1, "stale", &bitmap};
        EXPECT_FALSE(registry.Formats().Load(index, info));
        EXPECT_EQ(info.ErrorText, "Index out of range");
    }
}

TEST(FormatRegistry, BuildFilterForEveryIndexForm)
{
    const TOpenImage registry;
    struct TCase {
        int Index;
        bool PatternsOnly;
        std::string Filter;
    };
    const TCase cases[] = {
        {-1, false, "All Pictures|" + AllPatterns + "|"},
        {-1, true, AllPatterns},
        {-3, false, EachFormat},
        {-3, true, AllPatterns},
        {-2, false, "All Pictures|" + AllPatterns + "|" + EachFormat},
        {-2, true, AllPatterns + AllPatterns},
        {0, false, "Bitmap (*.BMP)|*.BMP|"},
        {1, false, "Device Independant Bitmap (*.DIB)|*.DIB|"},
        {1, true, "*.DIB"},
        {13, true, "*.OMI"},
        {10, false, "Portable Bitmap (Monochrome) (*.PBM)|*.PBM|"},
        {14, false, "PNG Picture (*.PNG)|*.PNG|"},
        {17, true, "*.TIFF"},
        {22, false, "Jpeg (*.JPEG)|*.JPEG|"},
        {23, true, "*.JPE"},
        {FormatCount, false, ""},
        {FormatCount, true, ""},
        {-4, false, ""},
        {-4, true, ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(registry.Formats().BuildFilter(c.Index, c.PatternsOnly), c.Filter)
            << c.Index << (c.PatternsOnly ? " patterns only" : "");
    EXPECT_EQ(registry.Formats().BuildFilter(-2, false).rfind("All Pictures|*.BMP;*.DIB;*.RLE;", 0),
              0u);
}

TEST(FormatRegistry, AccessorKeepsOneInstance)
{
    TOpenImage* first = OpenImage();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(OpenImage(), first);
    EXPECT_EQ(first->Formats().Count(), FormatCount);
    FreeOpenImage();
    ASSERT_NE(OpenImage(), nullptr);
    EXPECT_EQ(OpenImage()->Formats().Count(), FormatCount);
}

TEST(FormatRegistry, DescriptionsAreTranslatedWhenTheTableIsBuilt)
{
    TLanguage* language = Language();
    ASSERT_NE(language, nullptr);
    ASSERT_TRUE(language->AddEntry("Bitmap", "Rasterbild"));
    ASSERT_TRUE(language->AddEntry("Portable Bitmap", "Portables Bitmap"));
    ASSERT_TRUE(language->AddEntry("Monochrome", "Einfarbig"));
    ASSERT_TRUE(language->AddEntry("All Pictures", "Alle Bilder"));
    const TOpenImage registry;
    FreeLanguage();
    EXPECT_EQ(registry.Formats().Item(0).Description, "Rasterbild");
    EXPECT_EQ(registry.Formats().Item(1).Description, "Device Independant Bitmap");
    EXPECT_EQ(registry.Formats().Item(10).Description, "Portables Bitmap (Einfarbig)");
    EXPECT_EQ(registry.Formats().Item(11).Description, "X Bitmap (Einfarbig)");
    // Built once: the language going away later changes nothing.
    EXPECT_EQ(registry.Formats().BuildFilter(0, false), "Rasterbild (*.BMP)|*.BMP|");
    EXPECT_EQ(registry.Formats().BuildFilter(-1, false).rfind("All Pictures|", 0), 0u)
        << "the filter's own text is translated when the filter is built";
}
