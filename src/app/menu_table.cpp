#include "app/menu_table.h"

#include "support/general.h"
#include "support/translation_hook.h"

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
    {1, "Print1", EnglishText("&Print"), "F3", C::Print, 0, E::CanPrint},
    {1, "PrinterSetup1", EnglishText("Printer &Setup..."), "", C::PrinterSetup, 0, E::PrinterPresent},
    {1, "N5", "-", ""},
    {1, "AdditionalResources1", EnglishText("Additional Resources..."), "", C::WebPage, 0},
    {1, "N3", "-", ""},
    {1, "Exit1", EnglishText("E&xit"), "", C::Exit},

    {0, "Edit1", EnglishText("&Edit"), ""},
    {1, "Copy1", EnglishText("&Copy"), "Ctrl+C", C::Copy, 0, E::CanCopy},
    {1, "Paste1", EnglishText("&Paste"), "Ctrl+V", C::Paste, 0, E::CanPaste},

    {0, "Image2", EnglishText("&Image"), ""},
    {1, "Undo1", EnglishText("&Undo"), "", C::Undo, 0, E::CanUndo},
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
    "''\257\257\271\320\314\025\306\350\345\330\316\371:\0215\261\373\027\020\352\335\377"
    "\336\265\026\241\252\231\225\234\215U[\311\261\221\246\315\321\343c\257\350\311\331\227"
    "\351\270g\346\253\254\206\223\235\302U\236\275\257\233\255\333\323\334\250y",
    "6\311\240\374\331\031\032\314\345\303\376\034\366N\320+\344\352\031\321\266\333\301\261"
    "\323\315\334\250\027\354\324\262\306\350!\341>\303\345\3328\273\233\334\236\333\222["
    "X\247\327\321\243\341\236\331\226\236\352\230\245\225\253\213\205\253\310\242\235\320\242\240"
    "S",
    "3\267\314\313+\311\354\0367\304\302\031\362\350\336\355\242\025\300\310\243\027\314\261"
    "\321\021\370\276\363\325&\327\320\371N*M\266\251\307\253\342\231r\237\234\250\233"
    "\316\237\211\254\251T\273\237\217\222\303\266\213\203\330\344\247\213x\345\305\224\253\350"
    "\315\343\221p",
    "9\234\303\024&\317\351\026\362\330\034\331\016\357\343&\243\325\300\300\347\034\247\307"
    "\372\371\370\2523\277\336\247\372\350T*\377\325\327\305\344\355\351#\216\276\346\335"
    "\237o\227e\274\347\234\255\220\261\324U\211\237\207\326\310\221\241\254",
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
