#include "imaging/codecs/codec_graphic.h"

#include "imaging/codecs/picture_allocation.h"
#include "support/files/file_listing.h"
#include "support/messages/messages.h"

#include <QBuffer>
#include <QFile>

#include <chrono>

namespace orvanto {

TCodecGraphic::TCodecGraphic(const TCodecTexts& texts) : FTexts(texts) {}

std::int64_t TCodecGraphic::TickCount()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TCodecGraphic::MakeTrueColor()
{
    if (!Picture.isNull() && Picture.format() != QImage::Format_BGR888)
        Picture = Picture.convertToFormat(QImage::Format_BGR888);
}

void TCodecGraphic::Report(TProgressStage stage, int percent, const std::string& message)
{
    LastProgressTime = TickCount();
    if (OnProgress)
        OnProgress(*this, stage, percent, false, QRect(0, 0, Picture.width(), Picture.height()), message);
}

void TCodecGraphic::RunningProgress(std::int64_t percent)
{
    if (TickCount() - LastProgressTime < 250)
        return;
    Report(TProgressStage::Running, int(percent < 0 ? 0 : percent > 100 ? 100 : percent), FActivity);
}

template <typename Steps>
void TCodecGraphic::RunSkeleton(const char* what, Steps steps)
{
    std::string message = FTexts.OutOfMemory;
    FActivity = what;
    Report(TProgressStage::Starting, 0, what);
    try {
        MakeTrueColor();
        steps(message);
    } catch (...) {
        // The message names the step that failed.
    }
    Report(TProgressStage::Ending, 100, what);
    if (!message.empty()) {
        LastError = message;
        throw EGeneralError(message);
    }
}

void TCodecGraphic::LoadFromStream(QIODevice& stream)
{
    RunSkeleton("Loading", [&](std::string& message) { LoadSteps(stream, message); });
}

void TCodecGraphic::SaveToStream(QIODevice& stream)
{
    RunSkeleton("Saving", [&](std::string& message) { SaveSteps(stream, message); });
}

bool TCodecGraphic::TryLoadFromFile(const std::string& path)
{
    try {
        LastError = FTexts.NotFound;
        if (!IsFile(path))
            return false;
        LastError = FTexts.InUse;
        QFile file;
        if (!OpenReadOnly(file, path))
            return false;
        // A file of up to WholeFileBytes is read into memory at once: the
        // byte stream's window then reloads with a copy from memory instead
        // of a seek and a read of the device's whole buffer each time, which
        // the text formats' scanning back over a line makes often. Larger
        // files are read as they are, so that the picture is the only large
        // thing in memory.
        constexpr qint64 WholeFileBytes = qint64(16) << 20;
        const qint64 size = file.size();
        if (size > 0 && size <= WholeFileBytes) {
            QByteArray bytes = file.read(size);
            if (bytes.size() == size) {
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::ReadOnly);
                LoadFromStream(buffer);
                return true;
            }
            file.seek(0); // changed while read: read it as it is now
        }
        LoadFromStream(file);
        return true;
    } catch (...) {
        return false;
    }
}

void TCodecGraphic::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (SameClass(source)) {
        const auto& codec = static_cast<const TCodecGraphic&>(source);
        Picture = codec.Picture.copy();
        AssignSettings(codec);
        MakeTrueColor();
        return;
    }
    QImage copy = AllocatePicture(source.GetWidth(), source.GetHeight());
    if (!copy.isNull()) {
        QPainter painter(&copy);
        source.Draw(painter, QRect(0, 0, copy.width(), copy.height()));
    }
    Picture = copy;
    MakeTrueColor();
}

void TCodecGraphic::AssignBitmap(const QImage& source)
{
    Picture = source;
    MakeTrueColor();
}

void TCodecGraphic::Draw(QPainter& canvas, const QRect& rect) const
{
    if (!GetEmpty())
        canvas.drawImage(rect, Picture);
}

void TCodecGraphic::SetHeight(int height)
{
    QImage resized = AllocatePicture(Picture.width(), height);
    if (!resized.isNull() && !Picture.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, Picture);
    }
    Picture = resized;
    MakeTrueColor();
}

void TCodecGraphic::SetWidth(int width)
{
    QImage resized = AllocatePicture(width, Picture.height());
    if (!resized.isNull() && !Picture.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, Picture);
    }
    Picture = resized;
    MakeTrueColor();
}

void TCodecGraphic::LoadFromClipboardFormat(const QImage& data)
{
    AssignBitmap(data);
}

void TCodecGraphic::SaveToClipboardFormat(QImage& data) const
{
    data = Picture;
}

bool TCodecGraphic::BeginPicture(bool headerRead, std::int64_t width, std::int64_t height, TPictureFill fill,
                                 TByteImage& image, std::string& message)
{
    if (!headerRead) {
        message = Sentences::UnknownFormat;
        return false;
    }
    if (width < 1 || height < 1) {
        message = Sentences::InvalidDimensions;
        return false;
    }
    Picture = AllocatePicture(width, height, fill);
    if (Picture.isNull())
        return false; // the pending message: out of memory
    image.SetBitmap(&Picture);
    return true;
}

} // namespace orvanto
