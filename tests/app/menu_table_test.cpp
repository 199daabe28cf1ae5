#include "app/menu_table.h"

#include <QKeySequence>
#include <QList>

#include <gtest/gtest.h>

#include <set>

using namespace orvanto;

namespace {

// A shortcut that two items share, or that Qt cannot read, would run the
// wrong command or none; a concealed address that does not reveal opens
// nothing.
TEST(MenuTable, ShortcutsAreUniqueAndWebPagesReveal)
{
    std::set<int> seen;
    for (const TMenuEntry& entry : MenuEntries()) {
        if (!*entry.Shortcut)
            continue;
        for (const QKeySequence& key : QKeySequence::listFromString(QString::fromLatin1(entry.Shortcut))) {
            ASSERT_EQ(key.count(), 1) << entry.Name;
            EXPECT_TRUE(seen.insert(key[0].toCombined()).second) << "shared shortcut " << entry.Shortcut;
        }
    }
    EXPECT_EQ(seen.size(), 33u) << "Print has F3 and Ctrl+P";
    ASSERT_EQ(WebPageCount(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(WebPageAddress(i).rfind("https://", 0), 0u) << i;
}

} // namespace
