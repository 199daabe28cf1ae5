#pragma once

#include "imaging/codecs/codec_graphic.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvanto {

// Orvanto's container that stores one picture either as a JPEG file or as a
// zlib-compressed 24-bit Windows bitmap, whichever the writer finds better:
//   "OMIV1.0" 0, then length-prefixed blocks: three extra texts, the kind
//   ("JPG" or "BMP"), the payload.
// It lives beside the bitmap and JPEG readers it is made of, not among the
// lower-level codecs.
class TOptimisedImage : public TCodecGraphic {
public:
    TOptimisedImage();

    std::string PayloadKind; // "JPG" or "BMP" after a load; empty otherwise
    std::string ExtraText1, ExtraText2, ExtraText3;

    // Reads a whole file held in text. Any failure leaves a 300 x 300 white
    // picture, empty kind and texts, and LastError naming the cause.
    bool Decode(const std::string& text);
    // The whole file for the current picture; false (text empty) on failure.
    bool Encode(std::string& text);

    // The payload rule: JPEG qualities 20, 30, ... 90 are tried until the
    // JPEG has grown more than 12000 bytes over the quality-20 one, or the
    // compressed bitmap is no longer than one of them; the last JPEG made is
    // the candidate, kept when it is not longer than the bitmap.
    struct TChoice {
        bool UseJpeg = false;
        int Quality = 0;          // of the last JPEG made
        std::vector<int> Tried;   // qualities in the order tried
    };
    // jpegLength encodes at a quality and gives the length, or -1 on failure.
    static bool ChoosePayload(std::int64_t bitmapLength,
                              const std::function<std::int64_t(int quality)>& jpegLength,
                              TChoice& choice);

protected:
    void LoadSteps(QIODevice& stream, std::string& message) override;
    void SaveSteps(QIODevice& stream, std::string& message) override;
    void AssignSettings(const TCodecGraphic& source) override;
    bool SameClass(const TGraphic& other) const override;

private:
    bool DecodePayload(const std::string& kind, std::string payload);
    void ResetToBlank();
};

} // namespace orvanto
