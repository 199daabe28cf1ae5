#pragma once

#include "picture_io.h"

#include <string>

namespace orvanto {

// `convert` of an X Bitmap to a raw bitmap with no transform: the bits go
// from the one file to the other as they are, without the 24-bit picture
// every other conversion goes through, for the same bytes in a fraction of
// the time and memory. False when the conversion is not such a one or the
// input does not load (nothing written); otherwise true, with succeeded and
// error telling how the writing went.
bool ConvertBilevel(const std::string& input, const std::string& output, const TToolOptions& options,
                    bool& succeeded, std::string& error);

} // namespace orvanto
