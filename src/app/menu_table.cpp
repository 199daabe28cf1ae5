#include "app/menu_table.h"

#include "support/text/concealment.h"
#include "support/messages/general.h"
#include "support/messages/translation_hook.h"

#include <cstring>

namespace orvanto {

namespace {

using C = TCommand;
using E = TEnabledRule;
using K = TCheckRule;

constexpr TMenuEntry Entries[] = {
    {0, "File1", EnglishText("&File"), ""},
    {1, "NewInstance1", EnglishText("New &Instance"), "", C::NewInstance},
    {1, "N2", "-", ""},
    {1, "Open1", EnglishText("&Open..."), "Ctrl+O", C::Open},
    {1, "OpenfromStartButton1", EnglishText("Open from Li&brary..."), "", C::OpenFromLibrary},
    {1, "Print1", EnglishText("&Print"), "F3; Ctrl+P", C::Print, 0, E::CanPrint},
    {1, "PrinterSetup1", EnglishText("Printer &Setup..."), "", C::PrinterSetup, 0, E::PrinterPresentOrAwaited},
    {1, "N5", "-", ""},
    {1, "AdditionalResources1", EnglishText("Additional Resources..."), "", C::WebPage, 0},
    {1, "N3", "-", ""},
    {1, "Exit1", EnglishText("E&xit"), "", C::Exit},

    {0, "Edit1", EnglishText("&Edit"), ""},
    {1, "Copy1", EnglishText("&Copy"), "Ctrl+C", C::Copy, 0, E::CanCopy},
    {1, "Paste1", EnglishText("&Paste"), "Ctrl+V", C::Paste, 0, E::CanPaste},

    {0, "Image2", EnglishText("&Image"), ""},
    {1, "Undo1", EnglishText("&Undo"), "Ctrl+Z", C::Undo, 0, E::CanUndo},
    {1, "N9", "-", ""},
    {1, "Mirror1", EnglishText("&Mirror"), "", C::Mirror, 0, E::CanMirror},
    {1, "Flip1", EnglishText("&Flip"), "", C::Flip, 0, E::CanFlip},
    {1, "Rotate1", EnglishText("Rotate &Right"), "", C::None, 0, E::CanRotate},
    {2, "N901", "&90", "F7", C::Rotate, 90},
    {2, "N1801", "&180", "", C::Rotate, 180},
    {2, "N2701", "&270", "", C::Rotate, 270},
    {1, "RotateLeft1", EnglishText("Rotate &Left"), "", C::None, 0, E::CanRotate},
    {2, "N902", "&90", "", C::Rotate, -90},
    {2, "N1802", "&180", "", C::Rotate, -180},
    {2, "N2702", "&270", "", C::Rotate, -270},
    {1, "Invert1", EnglishText("&Invert"), "", C::Invert, 0, E::CanInvert},

    {0, "Ratio2", EnglishText("&Scaling"), ""},
    {1, "Normal1", EnglishText("&Clear"), "F8", C::SetScaling, 0, E::CanClearZoom},
    {1, "N4", "-", ""},
    {1, "Decrease1", EnglishText("&Decrease"), "", C::None, 0, E::CanZoom},
    {2, "N252", "25%", "F9", C::AddScaling, -25},
    {2, "N502", "50%", "Ctrl+F1", C::AddScaling, -50},
    {2, "N752", "75%", "Ctrl+F2", C::AddScaling, -75},
    {2, "N1002", "100%", "Ctrl+F3", C::AddScaling, -100},
    {2, "N2003", "200%", "Ctrl+F4", C::AddScaling, -200},
    {2, "N3002", "300%", "Ctrl+F5", C::AddScaling, -300},
    {1, "Increase1", EnglishText("&Increase"), "", C::None, 0, E::CanZoom},
    {2, "N251", "25%", "F10", C::AddScaling, 25},
    {2, "N501", "50%", "Ctrl+F6", C::AddScaling, 50},
    {2, "N751", "75%", "Ctrl+F7", C::AddScaling, 75},
    {2, "N1001", "100%", "Ctrl+F8", C::AddScaling, 100},
    {2, "N2002", "200%", "Ctrl+F9", C::AddScaling, 200},
    {2, "N3001", "300%", "Ctrl+F10", C::AddScaling, 300},
    {1, "Ratio1", EnglishText("&Fixed"), "", C::None, 0, E::CanZoom},
    {2, "N253", "25%", "Shift+F1", C::SetScaling, 25},
    {2, "N503", "50%", "Shift+F2", C::SetScaling, 50},
    {2, "N753", "75%", "Shift+F3", C::SetScaling, 75},
    {2, "N1003", "100%", "Shift+F4", C::SetScaling, 100},
    {2, "N1501", "150%", "Shift+F5", C::SetScaling, 150},
    {2, "N2001", "200%", "Shift+F6", C::SetScaling, 200},
    {2, "N3003", "300%", "Shift+F7", C::SetScaling, 300},
    {2, "N4001", "400%", "Shift+F8", C::SetScaling, 400},
    {2, "N6001", "600%", "Shift+F9", C::SetScaling, 600},
    {2, "N8001", "800%", "Shift+F10", C::SetScaling, 800},

    {0, "Options1", EnglishText("&Options"), ""},
    {1, "AutoClose1", EnglishText("&Auto Close"), "", C::AutoClose, 0, E::Always, K::AutoClose},
    {1, "AutoPrint1", EnglishText("Auto &Print"), "", C::AutoPrint, 0, E::Always, K::AutoPrint},
    {1, "Poster1", EnglishText("P&oster"), "", C::Poster, 0, E::Always, K::Poster},
    {1, "Center1", EnglishText("&Center"), "", C::Center, 0, E::CanCenter},

    {0, "View1", EnglishText("&View"), ""},
    {1, "ButtonBar1", EnglishText("&Button Bar"), "", C::ButtonBar, 0, E::Always, K::ButtonBar},
    {1, "Toolbar1", EnglishText("&Toolbar"), ""},
    {2, "Top1", EnglishText("&Top"), "", C::PanelTop, 0, E::Always, K::PanelTop, true},
    {2, "Bottom1", EnglishText("&Bottom"), "", C::PanelBottom, 0, E::Always, K::PanelBottom, true},
    {1, "N8", "-", ""},
    {1, "Overall1", EnglishText("&Overall"), "", C::Overall, 0, E::Always, K::Overall, true},
    {1, "CloseUp1", EnglishText("&Close Up"), "", C::CloseUp, 0, E::Always, K::CloseUp, true},
    {1, "BackgroundColor1", EnglishText("Back&ground Color..."), "F4", C::BackgroundColor},
    {1, "U1", EnglishText("&Use Background Color"), "F5", C::UseBackgroundColor, 0, E::Always, K::UseBackground},

    {0, "Help1", EnglishText("&Help"), ""},
    {1, "OnlineHelp1", EnglishText("&Help"), "F1", C::Help},
    {1, "About1", EnglishText("&About..."), "", C::About},
    {1, "N1", "-", ""},
    {1, "OrvantoHomepage1", EnglishText("&Orvanto Homepage"), "", C::WebPage, 1},
    {1, "FreeSoftwareHomepage1", EnglishText("&Free Software Homepage"), "", C::WebPage, 2},
    {1, "VisitQuendalEnterprises1", EnglishText("Visit &Quendal Enterprises"), "", C::WebPage, 3},
};

// Icons by their TButtonIcon values: Print 0 ... Help 12.
constexpr TBarEntry Bar[] = {
    {EnglishText("Print"), 0, "Print1", ""},
    {EnglishText("Printer Setup..."), 1, "PrinterSetup1", ""},
    {EnglishText("Open..."), 2, "Open1", ""},
    {"", -1, "", ""},
    {EnglishText("Undo"), 3, "Undo1", ""},
    {EnglishText("Copy"), 4, "Copy1", ""},
    {EnglishText("Paste"), 5, "Paste1", ""},
    {"", -1, "", ""},
    {EnglishText("Mirror"), 6, "Mirror1", ""},
    {EnglishText("Flip"), 7, "Flip1", ""},
    {EnglishText("Rotate 90"), 8, "N901", ""},
    {EnglishText("Increase Scaling"), 9, "N251", " 25%"},
    {EnglishText("Decrease Scaling"), 10, "N252", " 25%"},
    {EnglishText("Center"), 11, "Center1", ""},
    {"", -1, "", ""},
    {EnglishText("Help"), 12, "OnlineHelp1", ""},
};

// Made with HideText; the order follows the WebPage arguments above:
// additional resources, the product's page, free software, the maker.
constexpr const char* WebPages[] = {
    "@\263\237\273*\344\025\305\345\262\331\310A\357\313\341\355\352\300\300\266\034\314\303"
    "\301\306\277\270\021\301\374\262\022\370\364\3734\301\340\316(\325\236R\352\236G:"
    "\277\367$\245\232\233\341\264\215TX\224\257\234\323\232\254\240\237\236\237\207\245\310"
    "\266\235r\244\253\243e\251\273\244\321\253\227\256\275\252z",
    "\031\347\240\024\324\373\363\327\343\271\315-\331\233\346\231\313yfV\233\243\363\322"
    "\225\346\230\206\244\257\210\231\241\351\326U\341\233\277n",
    ",\234\314\272&\312\330\360\373\371\301\354\371$\374/\354\335\343\352\3026\272\326"
    "\301\267\371\314R\363\374\216\307\232\335\232^\177n\333\227\300\231\301\335\340\236\221"
    "\302\261\261\342\244\260r\225\345\267\246\317\310\213\270S\340\226\212\304\266\315\227\257"
    "g",
    "9\255\237\272+\363\354\326\024\371\340\331L\351\353\326\240''\276\322\2456\276"
    "\302\264\275\321\351\373\263\343\351\311\021\037\325\364\361\337\344\372\261\252\367\237\232\232"
    "\342\303rey\335\271\234\353\212\271\222R\315\235\231\224\342\250\234e\233\275\324"
    "]",
};

} // namespace

std::span<const TMenuEntry> MenuEntries()
{
    return Entries;
}

int ParentEntry(int index)
{
    if (index < 0 || index >= int(std::size(Entries)))
        return -1;
    for (int i = index - 1; i >= 0; --i)
        if (Entries[i].Level < Entries[index].Level)
            return i;
    return -1;
}

int FindMenuEntry(const std::string& name)
{
    for (std::size_t i = 0; i < std::size(Entries); ++i)
        if (name == Entries[i].Name)
            return int(i);
    return -1;
}

bool IsSeparator(const TMenuEntry& entry)
{
    return std::strcmp(entry.Caption, "-") == 0;
}

std::span<const TBarEntry> BarEntries()
{
    return Bar;
}

std::size_t WebPageCount()
{
    return std::size(WebPages);
}

std::string WebPageAddress(int index)
{
    if (index < 0 || index >= int(std::size(WebPages)))
        return {};
    return RevealText(WebPages[index]);
}

} // namespace orvanto
