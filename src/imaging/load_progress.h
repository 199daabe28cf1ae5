#pragma once

// How a decoder tells its caller how far a load has come: percent done,
// 0..100. Decoders call it at whole-percent steps at most, so a listener
// may repaint on every call; an empty function means nobody listens and
// costs the decoder nothing.

#include <functional>

namespace orvanto {

using TLoadProgress = std::function<void(int percent)>;

} // namespace orvanto
