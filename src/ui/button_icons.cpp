#include "ui/button_icons.h"

// Generated from assets/icons when the program is built.
#include "ui/button_icon_texts.h"

namespace orvanto {

static_assert(sizeof(ButtonIconTexts) / sizeof(ButtonIconTexts[0]) == ButtonIconCount,
              "one generated text per icon");
static_assert(sizeof(DoubledButtonIconTexts) / sizeof(DoubledButtonIconTexts[0]) == ButtonIconCount,
              "one doubled text per icon");

std::string ButtonIconText(TButtonIcon icon)
{
    const int index = int(icon);
    return index >= 0 && index < ButtonIconCount ? ButtonIconTexts[index] : std::string();
}

std::string DoubledButtonIconText(TButtonIcon icon)
{
    const int index = int(icon);
    return index >= 0 && index < ButtonIconCount ? DoubledButtonIconTexts[index] : std::string();
}

} // namespace orvanto
