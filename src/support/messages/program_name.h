#pragma once

namespace orvanto {

// The program's name wherever the user meets it: window and job titles, the
// splash and help, the settings file.
inline constexpr char ProgramName[] = "Orvanto";

} // namespace orvanto
