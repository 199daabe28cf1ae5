#include "workspace/picture_loader.h"

#include "imaging/library/jpeg_codec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace orvanto;

namespace {

using namespace std::chrono_literals;

// A photo-sized JPEG whose decode reports many percents.
const QByteArray& LargeJpeg()
{
    static const QByteArray bytes = [] {
        QImage picture(1200, 900, QImage::Format_BGR888);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        QByteArray jpeg;
        std::string error;
        EncodeJpeg(picture, 90, jpeg, error);
        return jpeg;
    }();
    return bytes;
}

TEST(PictureLoader, HandsOverWhatTheDecodeEndedWith)
{
    const struct {
        const char* Name;
        TPictureLoader::TDecode Decode;
        bool CancelWhileRunning;
        bool Loaded, Fatal, Cancelled;
        QSize Size;
        std::string Error;
    } cases[] = {
        {"a decoded picture", [](QImage& p, std::string&, const TLoadProgress& progress) {
             progress(50);
             p = QImage(7, 5, QImage::Format_BGR888);
             return true;
         }, false, true, false, false, {7, 5}, ""},
        {"a failure with its reason", [](QImage&, std::string& e, const TLoadProgress&) {
             e = "Unknown format";
             return false;
         }, false, false, false, false, {0, 0}, "Unknown format"},
        {"an exception nobody expected", [](QImage&, std::string&, const TLoadProgress&) -> bool {
             throw std::runtime_error("broken");
         }, false, false, true, false, {0, 0}, ""},
        {"cancelled: the next report stops it", [](QImage& p, std::string&, const TLoadProgress& progress) {
             for (int i = 0; i < 100000; ++i) {
                 progress(i % 100);
                 std::this_thread::sleep_for(1ms);
             }
             p = QImage(1, 1, QImage::Format_BGR888);
             return true;
         }, true, false, false, true, {0, 0}, ""},
        {"a JPEG cancelled halfway", [](QImage& p, std::string& e, const TLoadProgress& progress) {
             return ReadJpeg(reinterpret_cast<const std::uint8_t*>(LargeJpeg().constData()),
                             std::size_t(LargeJpeg().size()), p, e, TJpegOrientation::Upright, nullptr, progress);
         }, true, false, false, true, {0, 0}, ""},
    };
    for (const auto& c : cases) {
        TPictureLoader loader;
        std::atomic<int> finished{0};
        std::atomic<int> reports{0};
        TPictureLoader* self = &loader;
        const bool cancel = c.CancelWhileRunning;
        // The cancel comes from the decode's own thread once it has reported,
        // so the case cannot end before it is cancelled.
        auto decode = [&, self, cancel](QImage& p, std::string& e, const TLoadProgress& progress) {
            return c.Decode(p, e, [&, self, cancel](int percent) {
                if (cancel && ++reports == 3)
                    self->Cancel();
                progress(percent);
            });
        };
        ASSERT_TRUE(loader.Start(decode, [&] { ++finished; })) << c.Name;
        const TPictureLoader::TResult result = loader.Take();
        EXPECT_EQ(result.Loaded, c.Loaded) << c.Name;
        EXPECT_EQ(result.Fatal, c.Fatal) << c.Name;
        EXPECT_EQ(result.Cancelled, c.Cancelled) << c.Name;
        EXPECT_EQ(result.Picture.size(), c.Size) << c.Name;
        if (!c.Error.empty()) {
            EXPECT_EQ(result.Error, c.Error) << c.Name;
        }
        if (cancel) {
            EXPECT_EQ(reports.load(), 3) << c.Name << ": no report after the cancel";
        }
        EXPECT_EQ(finished.load(), 1) << c.Name;
        EXPECT_FALSE(loader.Running()) << c.Name;
    }
}

} // namespace
