#pragma once

namespace orvanto {

// The version the splash, the about box and --version show.
inline constexpr const char* ProgramVersion = "2.00.772";

} // namespace orvanto
