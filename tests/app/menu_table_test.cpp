#include "app/menu_table.h"

#include "localisation/language.h"

#include <QKeySequence>

#include <gtest/gtest.h>

#include <set>

using namespace orvanto;

namespace {

// A shortcut that two items share, or that Qt cannot read, would run the
// wrong command or none.
TEST(MenuTable, ShortcutsAreReadableAndUnique)
{
    std::set<int> seen;
    int count = 0;
    for (const TMenuEntry& entry : MenuEntries()) {
        if (!*entry.Shortcut)
            continue;
        SCOPED_TRACE(entry.Name);
        const QKeySequence key = QKeySequence::fromString(QString::fromLatin1(entry.Shortcut));
        ASSERT_EQ(key.count(), 1);
        EXPECT_TRUE(seen.insert(key[0].toCombined()).second) << "shared shortcut " << entry.Shortcut;
        ++count;
    }
    EXPECT_EQ(count, 31);
}

TEST(MenuTable, EntriesDispatchTheirCommands)
{
    const struct {
        const char* Name;
        const char* Parent; // "" for a top-level menu
        TCommand Command;
        int Argument;
    } cases[] = {
        {"File1", "", TCommand::None, 0},
        {"N901", "Rotate1", TCommand::Rotate, 90},
        {"N2702", "RotateLeft1", TCommand::Rotate, -270},
        {"N3002", "Decrease1", TCommand::AddScaling, -300},
        {"N251", "Increase1", TCommand::AddScaling, 25},
        {"N8001", "Ratio1", TCommand::SetScaling, 800},
        {"Normal1", "Ratio2", TCommand::SetScaling, 0},
        {"Bottom1", "Toolbar1", TCommand::PanelBottom, 0},
        {"VisitQuendalEnterprises1", "Help1", TCommand::WebPage, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const int index = FindMenuEntry(c.Name);
        ASSERT_GE(index, 0);
        const int parent = ParentEntry(index);
        EXPECT_EQ(parent < 0 ? std::string() : std::string(MenuEntries()[parent].Name), c.Parent);
        EXPECT_EQ(MenuEntries()[index].Command, c.Command);
        EXPECT_EQ(MenuEntries()[index].Argument, c.Argument);
    }
    EXPECT_EQ(FindMenuEntry("Nothing1"), -1);
}

// The addresses are kept concealed; each must reveal to a web address.
TEST(MenuTable, ConcealedWebPagesReveal)
{
    ASSERT_EQ(WebPageCount(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(WebPageAddress(i).rfind("https://", 0), 0u) << i;
    EXPECT_EQ(WebPageAddress(4), "");
}

} // namespace
