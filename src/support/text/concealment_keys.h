#pragma once

namespace orvanto {

// The two fixed texts behind HideText and RevealText. Every concealed text
// the program carries was made with exactly these; changing either makes
// those texts unreadable.
namespace ConcealmentKeys {

// 97 printable characters.
inline constexpr char Master[] =
    "|y^GO>R6eVP1/_BvAYXt<pgualv%hLqP0#B$h]Y:my!.z*9u'OOG@spyh*2f3{oiC$x{D&WBp_#DOeg$EHV|~K5XXylPTK@0+";
// 53 printable characters; random keys draw from the first 50.
inline constexpr char Alphabet[] = "8D,h7)sw,?K,S<&5X8,$'%B&=JArrb6P7qm}T'lp9%rVg1&.i<]J$";
inline constexpr int AlphabetDrawn = 50;

static_assert(sizeof(Master) - 1 == 97);
static_assert(sizeof(Alphabet) - 1 == 53);

} // namespace ConcealmentKeys

} // namespace orvanto
