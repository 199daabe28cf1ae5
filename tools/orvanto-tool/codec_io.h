#pragma once

// Reading and writing files with one of Orvanto's own codecs, as `info` and
// `convert` do for every format that has one. Failures carry the codec's own
// messages.

#include "imaging/codecs/codec_graphic.h"

#include <QImage>

#include <string>

namespace orvanto {

bool LoadWithCodec(TCodecGraphic& codec, const std::string& path, QImage& picture, std::string& error);

// The codec's settings are the caller's; the picture is assigned here.
bool SaveWithCodec(TCodecGraphic& codec, const QImage& picture, const std::string& path,
                   std::string& error);

} // namespace orvanto
