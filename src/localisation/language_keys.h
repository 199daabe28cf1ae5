#pragma once

namespace orvanto {

// The fixed keys of the language file. The reader and orvanto-tool, which
// writes the files, must use the same values: a file written with other keys
// reads as gibberish.
namespace LanguageKeys {

// Protects entry key X in the file (43 printable characters).
inline constexpr char FixedA[] = "YLzcGy9UYz}a[r$r/R@Bzqm,lSzd2}Q*Jy`Zk*F%Y7n";
// Protects entry key Y in the file (85 printable characters).
inline constexpr char FixedB[] =
    "1kO;.$lr-WNl0o}LI'N+[B1,@xhldr0uyr/Vom[NX>4Si5Cu(K7fgoVmM7)u&0Mio6gaHA^l@_?YgT.tPh&{~";
// Entry keys of a file that does not carry its own (54 and 51 characters).
inline constexpr char DefaultX[] = "&PS)?jUS@,3UH9_|6QhL:T&pzx-fH>v.0]9*JWnxX*rO(7T,5`7jXm";
inline constexpr char DefaultY[] = "|'Oz#,hMs`YR@febeGK5}4N*0h6m@~9V)?+?}!0LWSv-vaBpT2[";

static_assert(sizeof(FixedA) - 1 == 43);
static_assert(sizeof(FixedB) - 1 == 85);
static_assert(sizeof(DefaultX) - 1 == 54);
static_assert(sizeof(DefaultY) - 1 == 51);

} // namespace LanguageKeys

} // namespace orvanto
