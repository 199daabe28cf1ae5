#pragma once

#include "imaging/codecs/byte_image.h"
#include "imaging/codecs/byte_stream.h"
#include "imaging/codecs/general_error.h"
#include "imaging/codecs/graphic.h"
#include "imaging/codecs/picture_allocation.h"

#include <cstdint>
#include <functional>
#include <string>

namespace orvanto {

enum class TProgressStage { Starting = 0, Running = 1, Ending = 2 };

// sender, stage, percent done 0..100, redraw now, the picture's rectangle, "Loading"/"Saving"
using TProgressEvent = std::function<void(const class TGraphic& sender, TProgressStage stage, int percent,
                                          bool redrawNow, const QRect& rect, const std::string& message)>;

// The texts a codec fails with; two of our formats end them with a full stop.
struct TCodecTexts {
    const char* OutOfMemory;
    const char* NotFound;
    const char* InUse;
};

// What every codec of ours shares: the owned 24-bit picture, progress reports,
// the load and save skeleton, LastError, and loading a file without raising.
class TCodecGraphic : public TGraphic {
public:
    explicit TCodecGraphic(const TCodecTexts& texts);

    TProgressEvent OnProgress;
    QImage Picture; // always Format_BGR888 (or null while empty)
    std::int64_t LastProgressTime = 0;
    std::string LastError;

    void Assign(const TGraphic& source) override;
    // A plain bitmap: copied as it is, then made 24-bit.
    void AssignBitmap(const QImage& source);
    void Draw(QPainter& canvas, const QRect& rect) const override;
    bool GetEmpty() const override { return Picture.isNull() || Picture.width() == 0 || Picture.height() == 0; }
    int GetHeight() const override { return Picture.height(); }
    int GetWidth() const override { return Picture.width(); }
    void SetHeight(int height) override;
    void SetWidth(int width) override;
    // Raise EGeneralError with the failure's message, also kept in LastError.
    void LoadFromStream(QIODevice& stream) override;
    void SaveToStream(QIODevice& stream) override;
    void LoadFromClipboardFormat(const QImage& data) override;
    void SaveToClipboardFormat(QImage& data) const override;

    // Loads a file; false with LastError naming the cause instead of raising.
    bool TryLoadFromFile(const std::string& path);

    static std::int64_t TickCount();
    // The codec's own out-of-memory, not-found and in-use texts.
    const TCodecTexts& Texts() const { return FTexts; }

protected:
    // The format's steps. Each failing check sets message to its text and
    // returns; full success clears message. Exceptions leave message as it stood.
    virtual void LoadSteps(QIODevice& stream, std::string& message) = 0;
    virtual void SaveSteps(QIODevice& stream, std::string& message) = 0;
    // Copies the format's own settings from a graphic of the same class.
    virtual void AssignSettings(const TCodecGraphic& source) { (void)source; }
    virtual bool SameClass(const TGraphic& other) const = 0;

    // A running report, made only when someone listens and 250 ms passed.
    void RequestProgress(std::int64_t percent)
    {
        if (OnProgress)
            RunningProgress(percent);
    }
    void MakeTrueColor();

    // The first steps every reader takes once it has read its header: false
    // with message "Unknown format." when the header was not read, or
    // "Invalid dimensions." when a side is below 1; false with the pending
    // out-of-memory message when Picture cannot be allocated. On success
    // image addresses the new Picture.
    bool BeginPicture(bool headerRead, std::int64_t width, std::int64_t height, TPictureFill fill,
                      TByteImage& image, std::string& message);
    // The same with the header read first, from the device's position;
    // fillFor(header) picks how the picture starts.
    template <typename THeader, typename TFillFor>
    bool BeginPicture(QIODevice& device, TByteStream& stream, THeader& header,
                      bool (*readHeader)(TByteStream&, std::int64_t, THeader&), TFillFor fillFor,
                      TByteImage& image, std::string& message)
    {
        stream.SetStream(&device);
        const bool headerRead = readHeader(stream, device.pos(), header);
        return BeginPicture(headerRead, header.Width, header.Height, fillFor(header), image, message);
    }

private:
    void Report(TProgressStage stage, int percent, const std::string& message);
    void RunningProgress(std::int64_t percent);
    template <typename Steps>
    void RunSkeleton(const char* what, Steps steps);

    TCodecTexts FTexts;
    const char* FActivity = "Loading";
};

} // namespace orvanto
