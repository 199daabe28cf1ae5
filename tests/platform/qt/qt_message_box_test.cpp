#include "platform/qt/qt_message_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvanto;
using namespace std::chrono_literals;

namespace {

// What a person would have seen in the box, and whether the box had to be
// closed from outside (it waited for a click).
struct TSeen {
    bool Shown = false;
    QString Text, Title;
    bool ClosedFromOutside = false;
    qint64 OpenMs = 0;
};

// Shows one box with its window really on screen (offscreen platform).
// clickAfterMs: when a person presses OK; the watchdog closes the box after
// 5 seconds in any case, so a box that waits for ever fails the test
// instead of hanging it.
TSeen ShowAndWatch(TQtMessageBox& box, const std::string& text, int clickAfterMs, std::string& err)
{
    TSeen seen;
    QTimer look;
    look.setInterval(5);
    QObject::connect(&look, &QTimer::timeout, [&seen] {
        if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen.Shown = true;
            seen.Text = shown->textFormat() == Qt::PlainText ? shown->text() : QStringLiteral("<not plain text>");
            seen.Title = shown->windowTitle();
        }
    });
    look.start();
    const auto close = [&seen](bool fromOutside) {
        if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen.ClosedFromOutside = fromOutside;
            shown->done(QMessageBox::Ok);
        }
    };
    if (clickAfterMs >= 0)
        QTimer::singleShot(clickAfterMs, [&] { close(false); });
    QTimer::singleShot(5000, [&] { close(true); });
    QElapsedTimer clock;
    clock.start();
    testing::internal::CaptureStderr();
    box.ShowError(text, "Error");
    err = testing::internal::GetCapturedStderr();
    // The offscreen platform's own note when a dialog shows; not ours.
    const std::string note = "This plugin does not support propagateSizeHints()\n";
    for (std::size_t at; (at = err.find(note)) != std::string::npos;)
        err.erase(at, note.size());
    seen.OpenMs = clock.elapsed();
    return seen;
}

} // namespace

TEST(QtMessageBox, NamesAndLinesAppearExactlyAsWrittenInTheBoxAndOnStandardError)
{
    const struct {
        const char* Name;
        std::string Text;
        QString Shown;     // in the box
        std::string Err;   // on standard error, for an unattended run
    } cases[] = {
        {"ampersand", "File in use\r\nTom & Jerry.jpg", "File in use\nTom & Jerry.jpg",
         "Error: File in use\nTom & Jerry.jpg\n"},
        {"markup is no markup", "Unknown format\r\n<b>bold</b>.png", "Unknown format\n<b>bold</b>.png",
         "Error: Unknown format\n<b>bold</b>.png\n"},
        {"a lone CR", "Out of memory\rbig.tif", "Out of memory\nbig.tif", "Error: Out of memory\nbig.tif\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TQtMessageBox box(true, 2000ms);
        box.ShowOnAnyPlatform();
        std::string err;
        const TSeen seen = ShowAndWatch(box, c.Text, 100, err);
        EXPECT_TRUE(seen.Shown);
        EXPECT_EQ(seen.Text.toStdString(), c.Shown.toStdString());
        EXPECT_EQ(seen.Title.toStdString(), "Error");
        EXPECT_EQ(err, c.Err);
    }
}

TEST(QtMessageBox, AnUnattendedBoxClosesItselfAndAWindowsBoxWaitsForTheClick)
{
    const struct {
        const char* Name;
        bool Unattended;
        int ClickAfterMs;
        bool ClosedFromOutside;
        const char* Err;
    } cases[] = {
        {"unattended, nobody there: closes itself", true, -1, false, "Error: File not found\n"},
        {"the window's box waits for the person", false, 400, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TQtMessageBox box(c.Unattended, 100ms);
        box.ShowOnAnyPlatform();
        std::string err;
        const TSeen seen = ShowAndWatch(box, "File not found", c.ClickAfterMs, err);
        EXPECT_TRUE(seen.Shown);
        EXPECT_EQ(seen.ClosedFromOutside, c.ClosedFromOutside);
        EXPECT_EQ(err, c.Err);
        if (!c.Unattended) {
            EXPECT_GE(seen.OpenMs, 350) << "the box closed before the click";
        }
    }
}

// Nobody could press a button on the offscreen platform: the text goes to
// standard error and the call returns at once, unattended or not.
TEST(QtMessageBox, OffscreenWritesToStandardErrorAndReturns)
{
    for (const bool unattended : {false, true}) {
        TQtMessageBox box(unattended);
        std::string err;
        const TSeen seen = ShowAndWatch(box, "Printing failed\r\nplan.bmp", -1, err);
        EXPECT_FALSE(seen.Shown);
        EXPECT_EQ(err, "Error: Printing failed\nplan.bmp\n");
    }
}
