// The status bar in a window too narrow for every whole text: which panel
// shortens first, and which takes its whole text back when a later one has
// freed more room than the earlier ones needed.
#include "app/status_panel.h"

#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace orvanto;

namespace {

// Texts of known widths: n wide letters.
QString Wide(int n)
{
    return QString(n, QLatin1Char('W'));
}

struct TBar {
    QStatusBar Bar;
    std::vector<TStatusPanel*> Panels;

    TBar()
    {
        // As the main window builds them: page size, copies, Auto Close,
        // Auto Print, resolution, the message (stretching), the ppi last.
        for (int i = 0; i < 7; ++i) {
            auto* panel = new TStatusPanel(i == 5, &Bar);
            Bar.addWidget(panel, i == 5 ? 1 : 0);
            Panels.push_back(panel);
        }
        for (int i : {0, 1, 2, 3, 5})
            Panels[i]->SetForms({Wide(12), Wide(2)}); // each saves 10 letters
        Panels[4]->SetForms({QStringLiteral("100%")});
        Panels[6]->SetForms({Wide(6), Wide(5), Wide(1)}); // saves 1, then 5
        Bar.show();
    }

    // What every panel shows at that width, "|" between.
    std::string ShownAt(int width)
    {
        Bar.resize(width, Bar.height());
        FitStatusPanels(Bar, Panels);
        std::string shown;
        for (const TStatusPanel* panel : Panels) {
            if (!shown.empty())
                shown += '|';
            shown += std::to_string(panel->text().size());
        }
        return shown;
    }
};

TEST(StatusPanel, ShortensInItsOrderAndGivesBack)
{
    TBar bar;
    const std::string whole = "12|12|12|12|4|12|6";
    // The narrowest bar on which every whole text fits.
    int roomy = 4000;
    ASSERT_EQ(bar.ShownAt(roomy), whole);
    int tight = 0;
    while (roomy - tight > 1) {
        const int middle = (roomy + tight) / 2;
        (bar.ShownAt(middle) == whole ? roomy : tight) = middle;
    }
    const double letter = bar.Panels[0]->fontMetrics().horizontalAdvance(Wide(100)) / 100.0;
    const struct {
        const char* Shows;
        double Short; // letters missing from the roomy width
        const char* Expected; // the length of each panel's text
    } cases[] = {
        {"Auto Close gives way first", 0.5, "12|12|2|12|4|12|6"},
        {"Auto Print next", 10.5, "12|12|2|2|4|12|6"},
        {"the copies next", 26, "12|2|2|2|4|12|6"},
        {"then the ppi panel's words, its unit kept", 30.5, "12|2|2|2|4|12|5"},
        {"the page size next; the ppi panel takes its whole text back", 36, "2|2|2|2|4|12|6"},
        {"the ppi panel's shortest form with all four", 43, "2|2|2|2|4|12|1"},
        {"the message last; the ppi panel whole again", 50, "2|2|2|2|4|2|6"},

    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        EXPECT_EQ(bar.ShownAt(roomy - int(c.Short * letter)), c.Expected);
    }
    EXPECT_EQ(bar.ShownAt(roomy), whole) << "wide again: every whole text";
    bar.ShownAt(roomy - int(16 * letter));
    EXPECT_EQ(bar.Panels[3]->toolTip(), Wide(12)) << "a shortened text keeps its whole form as the tooltip";
    // A message without a shorter form ("Printed on X"), in a bar too
    // narrow for it beside the others' shortest forms: it ends in "…" and
    // the others keep their texts whole.
    bar.Panels[5]->SetForms({Wide(12)});
    for (const double narrower : {55.0, 62.0}) {
        SCOPED_TRACE(narrower);
        EXPECT_EQ(bar.ShownAt(roomy - int(narrower * letter)).substr(0, 9), "2|2|2|2|4");
        const TStatusPanel* message = bar.Panels[5];
        EXPECT_TRUE(message->text().endsWith(QChar(0x2026))) << message->text().toStdString();
        EXPECT_EQ(message->toolTip(), Wide(12));
        for (const TStatusPanel* panel : bar.Panels) {
            EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width())
                << panel->text().toStdString();
            EXPECT_LE(panel->geometry().right(), bar.Bar.contentsRect().right()) << panel->text().toStdString();
        }
    }
    EXPECT_EQ(bar.ShownAt(roomy), whole) << "wide again: the message whole";
    EXPECT_EQ(bar.Panels[5]->toolTip(), QString());
}

} // namespace
