#pragma once

namespace orvanto {

// The version the splash, the about box and --version show. The one version
// number lives in the top CMakeLists.txt (project VERSION); the help pages
// and the package take it from there too.
inline constexpr const char* ProgramVersion = ORVANTO_VERSION;

} // namespace orvanto
