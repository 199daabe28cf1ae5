#pragma once

#include "platform/clipboard.h"

#include <QImage>

#include <vector>

namespace orvanto {

// Test double: a clipboard in memory. Content is what another program put
// there (any format; it comes back over white like the real one); Puts
// records what the program put on it.
class TRecordingClipboard final : public IClipboard {
public:
    QImage Content;
    // The clipboard holds something that is not a picture (text, say).
    bool HoldsOther = false;
    // Taking the picture fails although one is announced (no memory).
    bool FailTake = false;
    bool FailPut = false;
    std::vector<QImage> Puts;
    int HasBitmapCalls = 0;

    bool HasBitmap() override
    {
        ++HasBitmapCalls;
        return !HoldsOther && !Content.isNull();
    }
    QImage Bitmap() override
    {
        if (HoldsOther || FailTake)
            return QImage();
        return PictureOverWhite(Content);
    }
    bool SetBitmap(const QImage& picture) override
    {
        if (FailPut || picture.isNull())
            return false;
        Puts.push_back(picture.copy());
        Content = Puts.back();
        HoldsOther = false;
        return true;
    }
};

} // namespace orvanto
