#include "ui/button_icons.h"

// Generated from assets/icons when the program is built.
#include "ui/button_icon_texts.h"

namespace orvanto {

static_assert(sizeof(ButtonIconTexts) / sizeof(ButtonIconTexts[0]) == ButtonIconCount,
              "one generated text per icon");

std::string ButtonIconText(TButtonIcon icon)
{
    const int index = int(icon);
    return index >= 0 && index < ButtonIconCount ? ButtonIconTexts[index] : std::string();
}

} // namespace orvanto
