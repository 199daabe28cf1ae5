// The printed-size row on its own: what typing into its boxes does.
#include "workspace/qt/size_row.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TEST(SizeRow, TypedSizesAreTakenRefusedOrClampedAtTheBox)
{
    const struct {
        const char* Name;
        TSizeUnit Unit;
        const char* Box;
        const char* Typed;
        std::int32_t Stored;  // hundredths of a mm afterwards
        const char* Shown;    // the box's text afterwards
        bool Reported;
        const char* Note;
    } cases[] = {
        {"millimetres", TSizeUnit::Millimetre, "SizeWidthBox", "150", 15000, "150.0", true, ""},
        {"tenths of a millimetre", TSizeUnit::Millimetre, "SizeHeightBox", "123.45", 12345, "123.5", true, ""},
        {"inches", TSizeUnit::Inch, "SizeWidthBox", "4", 10160, "4.00", true, ""},
        {"zero: the old value stays", TSizeUnit::Millimetre, "SizeWidthBox", "0", 10000, "100.0", false,
         "Type a size larger than zero"},
        {"negative", TSizeUnit::Inch, "SizeHeightBox", "-2", 15000, "5.91", false, "Type a size larger than zero"},
        {"not a number", TSizeUnit::Millimetre, "SizeWidthBox", "ten", 10000, "100.0", false,
         "Type a size larger than zero"},
        {"over 10 m: clamped", TSizeUnit::Millimetre, "SizeWidthBox", "12000", 1000000, "10000.0", true,
         "The largest size is 10 m"},
        {"no overlap is allowed", TSizeUnit::Millimetre, "OverlapBox", "0", 0, "0.0", true, ""},
        {"an overlap in inches", TSizeUnit::Inch, "OverlapBox", "0.5", 1270, "0.50", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSizeRow row;
        row.SetUnit(c.Unit);
        row.SetSize(10000, 15000);
        row.SetPoster(true, 1000);
        row.ShowSizeControls(true);
        row.show();
        QSignalSpy reported(&row, &TSizeRow::ControlChanged);
        auto* box = row.findChild<QLineEdit*>(c.Box);
        ASSERT_NE(box, nullptr);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, c.Typed);
        QTest::keyClick(box, Qt::Key_Return);
        const std::string name = c.Box;
        const std::int32_t stored = name == "SizeWidthBox" ? row.Width()
            : name == "SizeHeightBox"                      ? row.Height()
                                                           : row.Overlap();
        EXPECT_EQ(stored, c.Stored);
        EXPECT_EQ(box->text().toStdString(), c.Shown);
        EXPECT_EQ(reported.count() > 0, c.Reported);
        EXPECT_EQ(row.LastNote().toStdString(), c.Note);
    }
}

TEST(SizeRow, SettingFromCodeIsSilentAndFlowsIntoTheWidth)
{
    TSizeRow row;
    QSignalSpy reported(&row, &TSizeRow::ControlChanged);
    row.SetSize(25400, 12700);
    row.SetUnit(TSizeUnit::Inch);
    row.SetLock(false);
    row.SetFill(true);
    row.SetPoster(true, 2540);
    EXPECT_EQ(reported.count(), 0);
    EXPECT_EQ(row.findChild<QLineEdit*>("SizeWidthBox")->text().toStdString(), "10.00");
    EXPECT_EQ(row.findChild<QLineEdit*>("OverlapBox")->text().toStdString(), "1.00");
    EXPECT_FALSE(row.Locked());
    EXPECT_TRUE(row.Fill());
    EXPECT_TRUE(row.Poster());
    row.ShowSizeControls(true);
    row.Arrange(10000);
    const int oneLine = row.height();
    row.Arrange(row.NarrowestWidth());
    EXPECT_GT(row.height(), oneLine);
    EXPECT_LE(row.width(), row.NarrowestWidth());
}

} // namespace
