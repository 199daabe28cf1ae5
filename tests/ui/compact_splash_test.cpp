#include "ui/compact_splash.h"

#include "platform/platform.h"
#include "platform/recording_shell.h"
#include "support/text/concealment.h"
#include "support/messages/general.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

QLabel* Label(const TCompactSplash& splash, const char* kind, int row)
{
    return splash.Form()->findChild<QLabel*>(QStringLiteral("%1%2").arg(kind).arg(row));
}

TCompactSplash* Configured(int year, const std::string& version, bool showTitle)
{
    auto* splash = new TCompactSplash(nullptr, year);
    splash->SetPicture(QImage(510, 310, QImage::Format_BGR888));
    splash->SetTextFont(QFont(QStringLiteral("DejaVu Sans"), 8, QFont::Bold), Qt::black);
    splash->SetMargins(10, 10);
    splash->SetTitleText(HideText("Orvanto"));
    splash->SetVersionText(HideText(version));
    splash->SetShowTitle(showTitle);
    return splash;
}

TEST(CompactSplash, RowsStackFromTheBottom)
{
    const struct {
        const char* Case;
        int Year;
        const char* Version;
        bool ShowTitle;
        std::vector<int> Rows; // visible rows, top to bottom
        const char* YearShown;
    } cases[] = {
        {"usual splash", 2026, "2.00.772", false, {1, 4, 5}, "2026"},
        {"clock set back", 2001, "2.00.772", false, {1, 4, 5}, "2002"},
        {"far future", 2030, "2.00.772", true, {0, 1, 4, 5}, "2030"},
        {"no version: the title moves down", 2026, "", true, {0, 4, 5}, "2026"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<TCompactSplash> splash(Configured(c.Year, c.Version, c.ShowTitle));
        splash->ShowSplash();
        ASSERT_TRUE(splash->Visible()) << c.Case;
        EXPECT_EQ(splash->Form()->size(), QSize(510, 310)) << c.Case;
        std::vector<int> shown;
        for (int row = 0; row < TCompactSplash::RowCount; ++row)
            if (Label(*splash, "value", row)->isVisible())
                shown.push_back(row);
        EXPECT_EQ(shown, c.Rows) << c.Case;
        // Each visible row sits on the next; the last one on the margin.
        int bottom = 310 - 10;
        for (auto row = shown.rbegin(); row != shown.rend(); ++row) {
            const QLabel* caption = Label(*splash, "caption", *row);
            const QLabel* value = Label(*splash, "value", *row);
            EXPECT_EQ(caption->geometry().left(), 10) << c.Case << " row " << *row;
            EXPECT_EQ(value->y() + value->height(), bottom) << c.Case << " row " << *row;
            EXPECT_EQ(value->x(), caption->x() + caption->width()) << c.Case << " row " << *row;
            bottom = value->y();
        }
        EXPECT_TRUE(Label(*splash, "caption", 4)->text().contains(QString::fromLatin1(c.YearShown)))
            << c.Case;
        EXPECT_EQ(Label(*splash, "value", 1)->text().toStdString(), c.Version) << c.Case;
        splash->CloseAfter(0);
        EXPECT_FALSE(splash->Visible()) << c.Case;
    }
}

TEST(CompactSplash, EscAndTheCloseButtonCloseOnlyTheAboutBox)
{
    std::unique_ptr<TCompactSplash> splash(Configured(2026, "2.00.772", false));
    splash->ShowSplash();
    QTest::keyClick(splash->Form(), Qt::Key_Escape);
    EXPECT_TRUE(splash->Visible());
    EXPECT_FALSE(splash->CloseButton()->isVisible()) << "the splash has no button";
    splash->CloseAfter(0);

    for (const bool byButton : {false, true}) {
        SCOPED_TRACE(byButton ? "button" : "Esc");
        bool modalWhileOpen = false;
        QTimer::singleShot(0, [&] {
            modalWhileOpen = splash->Form()->isModal() && splash->Visible();
            EXPECT_EQ(splash->Form()->windowTitle(), QStringLiteral("About Orvanto"));
            const QRect button = splash->CloseButton()->geometry();
            EXPECT_TRUE(splash->CloseButton()->isVisible());
            EXPECT_TRUE(splash->Form()->rect().contains(button)) << "the button sits on the picture";
            if (byButton)
                QTest::mouseClick(splash->CloseButton(), Qt::LeftButton);
            else
                QTest::keyClick(splash->Form(), Qt::Key_Escape);
        });
        splash->ShowAbout();
        EXPECT_TRUE(modalWhileOpen);
        EXPECT_FALSE(splash->Visible());
    }
}

TEST(CompactSplash, LinkOpensOnceForTwoQuickClicks)
{
    auto shell = std::make_unique<TRecordingShell>();
    TRecordingShell* requests = shell.get();
    auto previous = Platform().SetShell(std::move(shell));
    std::unique_ptr<TCompactSplash> splash(Configured(2026, "2.00.772", false));
    splash->ShowSplash();
    QLabel* link = Label(*splash, "value", 5);
    for (int click = 0; click < 2; ++click)
        QCoreApplication::postEvent(link, new QMouseEvent(QEvent::MouseButtonPress, QPointF(2, 2),
                                                          QPointF(2, 2), Qt::LeftButton,
                                                          Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::processEvents();
    ASSERT_EQ(requests->Requests.size(), 1u);
    EXPECT_EQ(requests->Requests[0].Target, link->text().toStdString());
    EXPECT_TRUE(link->text().startsWith(QStringLiteral("https://")));
    // Once handled, the link can be clicked again.
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(requests->Requests.size(), 2u);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::black));
    Platform().SetShell(std::move(previous));
}

} // namespace
