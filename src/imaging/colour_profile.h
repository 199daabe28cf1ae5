#pragma once

// Colour management at load: a picture that carries an ICC profile is turned
// into sRGB once, so that the preview and the printed page show the same
// colours. A picture without a profile is taken as sRGB already.
//
// A profile that cannot be parsed or used is ignored: the picture keeps its
// samples as read, exactly as if the file had carried no profile.

#include <QByteArray>
#include <QImage>

namespace orvanto {

// Converts picture (QImage::Format_BGR888) from the colours profile
// describes to sRGB, in place. False, with the picture untouched, when the
// profile is empty, damaged, or not one an RGB or grey picture can use.
bool ConvertToSrgb(QImage& picture, const QByteArray& profile);

} // namespace orvanto
