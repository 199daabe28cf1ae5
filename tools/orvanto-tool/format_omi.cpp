// Optimised Multiformat Image for `info` and `convert`.

#include "codec_io.h"
#include "picture_io.h"

#include "imaging/optimised_image.h"

namespace orvanto {

namespace {

bool ReadOptimised(const std::string& path, QImage& picture, std::string& error, std::string& details)
{
    TOptimisedImage codec;
    if (!LoadWithCodec(codec, path, picture, error))
        return false;
    details = codec.PayloadKind;
    return true;
}

bool WriteOptimised(const QImage& picture, const std::string& path, const TToolOptions&, std::string& error)
{
    TOptimisedImage codec;
    return SaveWithCodec(codec, picture, path, error);
}

TRegisterReader omiReader({".OMI", "Optimised Multiformat Image", &ReadOptimised});
TRegisterWriter omiWriter({".OMI", {}, &WriteOptimised});

} // namespace

} // namespace orvanto
