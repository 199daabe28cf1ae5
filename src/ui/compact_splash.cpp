#include "ui/compact_splash.h"

#include "localisation/language.h"
#include "support/text/concealment.h"
#include "support/messages/general.h"
#include "support/files/paths.h"
#include "support/geometry/window_centring.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <chrono>
#include <thread>

namespace orvanto {

namespace {

// The fixed texts are kept concealed in the program file.
const char* const VersionWord = // "Version"
    "!\xAE""\xB6""\xC0"")\x1A""\xF0""\xCE""\x0E""\x18""\xC8""\x19""\xEA""C\xFB""\xD6""\xB3""0\xE4""\xBF""\x8E""\xA2""\x9E""\xE3""\xD2""\xAB""\x9C""";
const char* const AboutWord = // "About"
    "\x1E""\xAF""\x9D""\xCA""!\xC7""\xF0""\xC7""\xF2""\xC5""\x1A""-@\x1C""\xB8""\x14""\xCF""z\x86""\xA5""\xDD""\x98""";
const char* const LinkWord = // "Web"
    "\x1A""\xD8""\xA0""\xCD""\xE8""\x1A""\xF3""\xE1""\xE2""\xC4""\xC3""''A\xB9""\x8C""\x9B""";
const char* const YearLineStart = // "Copyright"
    "-\xF3""\x9D""\x15""!#\xDA""\xD7""\xF3""\xB1""\xD4""\xED""\xF6""D\xEB""\xFA""\xA2"",\xDB""\x19""\xE6""\xEF""\xBE""\xBC""\xB5""\xC7""\xBC""\xBE""H\xC3""\xF1""\xAD""\xC0""\x93""\xE3""\xE1""\xE4""\x8F""\x9E""\x9F""\x98""";
const char* const YearLineSign = // " (C) "
    "9\xCA""\xB2""\x0F""\xE3""\xCA""9\x10""\xE5""\xCA""\xDE""\xC9""A\xE8""\xBF""0\xB2""\x13""\xC5""\x1A""\xB6""\x18""\xA6""\xB1""\xC8""\xC9""\xDA""\xB2""\x1A""\xB0""\xD2""\xB8""\xC7""\xFE""\x1F""\xD4"" \xBF""\xBC""\xC0""\x1E""\xBE""\xA5""Rta\xB0""aG";
const char* const YearLineMaker = // " Quendal Enterprises. "
    ">\xB3""\xE0""\xCA""\xD7""\"\xFF""\xD9""\xE8""\xB2""\xCA""\xC7""\xE8""\xFB""\x12""\xD5""\xA2""\xF0""\xE3""\x1A""\xB6""\xF8""\xAB""\xFB""\xF4""\xF8""\xF7""\xD0""\xF9""\xB3""\xE3""\xD4""\xD9""B\x1E""\xDE""\x11""\xB1""\xD4""\x0E""\xF7""\xEE""\xC9""\x17""\xFC""\xE1""):\xEA""]\xB8""\xAB""\x91""\xDF""\xAF""\x9A""\x98""Es\x93""\x9B""\x9D""\xE3""\x95""\x98""\xA8""\xBD""\xD7""\xAB""pI";
const char* const YearLineEnd = // "All rights reserved."
    "5\xF3""\xA5""\xBB""*\xE4""$\x1F""\x1D""\xFA""''''#C\x13""+\xA0""\xDD""$\xEA""\xE0""&\xA8""\x10""\xED""\xFA""\xBE""\xB1""\x13""\xC3""\x1C""\xAD""\xFA""\xFB""\x13""\x16""\x18""\x15""\xCC""\xD6""\xBE""\x98""\x93""\x91""\xB3""\xCB""\xD8""\xBB""\xE1""\xF0""\x97""\xC6""\xD7""\xE5""\xD2""\x96""\xA2""\xE2""\xB4""\x90""";
const char* const LinkAddress = // "https://orvanto.example.org/"
    "7\x9C""\xA2""\xBA""\xF5""\xDF""\xDD""\x1F""\xF2""\xB9""\x1B""\xED""8\xEF""\xBC"";\xE4""\xD5""\xC5""\xD2""\xD6""\xEE""\xEA""\xFD""\xE6""\xCA""\xB4""\xBD""=\xEC""\xDE""\xF2""\xCE""830N\xCB""\xC1""\xD1""\xDC""\xAC""\x8E""\x9D""\x9A""\xBA""\xAF""c\xA0""e\x9B""\xE3""\xC1""\xCA""\x9A""\x9D""\xEC""\x96""\x89""\xA4""\x99""\xC5""\xA8""\xD4""\xD7""\x97""\xA8""\xA0""\xA8""\x91""";

QString Shown(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

// The window: draws the picture under the labels and hands keys and clicks
// on the row labels to the splash.
class TSplashForm final : public QDialog {
public:
    explicit TSplashForm(TCompactSplash& owner) : FOwner(owner) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, FOwner.FPicture);
    }
    void keyPressEvent(QKeyEvent* event) override { FOwner.KeyPressed(event->key()); }
    // The window closes only through CloseAfter, never by itself.
    void reject() override
    {
        if (FOwner.FMode == 1)
            QDialog::reject();
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            if (auto* label = qobject_cast<QLabel*>(watched)) {
                FOwner.LinkClicked(label);
                return true;
            }
        return QDialog::eventFilter(watched, event);
    }

private:
    TCompactSplash& FOwner;
};

TCompactSplash::TCompactSplash(QObject* owner, int calendarYear) : QObject(owner)
{
    FForm = std::make_unique<TSplashForm>(*this);
    FTextFont = QFont(QStringLiteral("Arial"));
    FTextFont.setPointSize(7);
    FTextFont.setBold(true);
    FTextColour = Qt::white;
    for (int i = 0; i < RowCount; ++i) {
        FCaptions[std::size_t(i)] = new QLabel(FForm.get());
        FValues[std::size_t(i)] = new QLabel(FForm.get());
        FCaptions[std::size_t(i)]->setObjectName(QStringLiteral("caption%1").arg(i));
        FValues[std::size_t(i)]->setObjectName(QStringLiteral("value%1").arg(i));
        FCaptions[std::size_t(i)]->installEventFilter(FForm.get());
        FValues[std::size_t(i)]->installEventFilter(FForm.get());
        FCaptions[std::size_t(i)]->hide();
        FValues[std::size_t(i)]->hide();
    }
    // The about box closes with a button as well as with Esc; the splash
    // never shows it.
    FCloseButton = new QPushButton(FForm.get());
    FCloseButton->setObjectName(QStringLiteral("closeButton"));
    FCloseButton->hide();
    connect(FCloseButton, &QPushButton::clicked, this, [this] { CloseAfter(0); });
    const int year = calendarYear > 0 ? calendarYear : QDate::currentDate().year();
    FYearLine = HideText(Translate(RevealText(YearLineStart)) + RevealText(YearLineSign)
                         + std::to_string(Max(year, FirstYear)) + RevealText(YearLineMaker)
                         + Translate(RevealText(YearLineEnd)));
}

TCompactSplash::~TCompactSplash() = default;

void TCompactSplash::SetPicture(const QImage& picture)
{
    FPicture = picture;
}

void TCompactSplash::SetTextFont(const QFont& font, const QColor& colour)
{
    FTextFont = font;
    FTextColour = colour;
}

void TCompactSplash::SetMargins(int left, int bottom)
{
    FMarginLeft = left;
    FMarginBottom = bottom;
}

QDialog* TCompactSplash::Form() const
{
    return FForm.get();
}

bool TCompactSplash::Visible() const
{
    return FForm->isVisible();
}

void TCompactSplash::ShowSplash()
{
    Display(0);
}

void TCompactSplash::ShowAbout()
{
    Display(1);
}

void TCompactSplash::Display(int mode)
{
    try {
        FMode = Clamp(mode, 0, 1);
        if (FMode == 0) {
            FForm->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
            FForm->setWindowTitle(QString());
        } else {
            FForm->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                                  | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
            FForm->setWindowTitle(Shown(Translate(RevealText(AboutWord)) + " " + RevealText(FTitleText)));
        }
        FForm->setFixedSize(Max(FPicture.width(), 1), Max(FPicture.height(), 1));
        FillRows();
        LayoutRows();
        PlaceCloseButton();
        int left = 0;
        int top = 0;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            CenteredPosition(FForm->width(), FForm->height(), screen->geometry().width(),
                                       screen->geometry().height(), left, top);
        FForm->move(left, top);
        if (FMode == 0) {
            FForm->show();
            FForm->raise();
            // A window manager maps the window a moment later; start-up goes
            // on only once the splash is on screen, or after 300 ms at most.
            const auto start = std::chrono::steady_clock::now();
            while (!(FForm->windowHandle() && FForm->windowHandle()->isExposed())
                   && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300)) {
                QCoreApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            FForm->repaint();
            QCoreApplication::processEvents();
        } else {
            FForm->setModal(true);
            FForm->exec();
            QCoreApplication::processEvents();
        }
    } catch (...) {
        FForm->hide();
    }
}

void TCompactSplash::FillRows()
{
    const std::array<std::string, RowCount> captions = {
        FShowTitle ? RevealText(FTitleText) : std::string(),
        Translate(RevealText(VersionWord)) + ": ",
        std::string(),
        std::string(),
        RevealText(FYearLine),
        Translate(RevealText(LinkWord)) + ": ",
    };
    const std::array<std::string, RowCount> values = {
        " ", RevealText(FVersionText), std::string(), std::string(), " ", RevealText(LinkAddress),
    };
    for (std::size_t i = 0; i < std::size_t(RowCount); ++i) {
        QLabel* caption = FCaptions[i];
        QLabel* value = FValues[i];
        caption->setText(Shown(captions[i]));
        value->setText(Shown(values[i]));
        QFont font = FTextFont;
        if (i == 5) {
            font.setUnderline(true);
            value->setCursor(Qt::PointingHandCursor);
        }
        for (QLabel* label : {caption, value}) {
            label->setFont(label == value ? font : FTextFont);
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, FTextColour);
            label->setPalette(palette);
            label->adjustSize();
        }
        const bool visible = !values[i].empty() && !captions[i].empty();
        value->setVisible(visible);
        caption->setVisible(visible);
    }
}

// The rows stack from the bottom up, so a hidden row closes its gap.
void TCompactSplash::LayoutRows()
{
    const int x = FMarginLeft;
    int y = FForm->height() - FMarginBottom;
    for (int i = RowCount - 1; i >= 0; --i) {
        QLabel* caption = FCaptions[std::size_t(i)];
        QLabel* value = FValues[std::size_t(i)];
        if (!value->isVisibleTo(FForm.get()))
            continue;
        y -= value->height();
        caption->move(x, y);
        value->move(caption->x() + caption->width(), y);
    }
}

void TCompactSplash::PlaceCloseButton()
{
    FCloseButton->setText(Shown(Translate("&Close")));
    FCloseButton->adjustSize();
    FCloseButton->setDefault(FMode == 1);
    FCloseButton->move(FForm->width() - FMarginLeft - FCloseButton->width(),
                       FForm->height() - FMarginBottom - FCloseButton->height());
    FCloseButton->setVisible(FMode == 1);
}

int TCompactSplash::CloseDelayMs(int seconds)
{
    return Clamp(seconds, 0, 10) * 1000;
}

void TCompactSplash::CloseAfter(int seconds)
{
    try {
        const int ms = CloseDelayMs(seconds);
        if (ms > 0) {
            const auto start = std::chrono::steady_clock::now();
            do {
                QCoreApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            } while (std::chrono::steady_clock::now() - start <= std::chrono::milliseconds(ms));
        }
        if (FMode == 0)
            FForm->hide();
        else
            FForm->done(QDialog::Rejected);
    } catch (...) {
    }
}

void TCompactSplash::KeyPressed(int key)
{
    if (FMode == 1 && key == Qt::Key_Escape)
        CloseAfter(0);
}

// A click on the link opens it once: while the browser is being asked the
// link shows red, and a second click in that time finds it so and is ignored.
void TCompactSplash::LinkClicked(QLabel* label)
{
    QLabel* link = FValues[5];
    if (label != link)
        return;
    if (link->palette().color(QPalette::WindowText) != FTextColour)
        return;
    try {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        QPalette busy = link->palette();
        busy.setColor(QPalette::WindowText, Qt::red);
        link->setPalette(busy);
        QCoreApplication::processEvents();
        if (TPaths* paths = Paths())
            paths->OpenDocument(link->text().toStdString(), "");
    } catch (...) {
    }
    QApplication::restoreOverrideCursor();
    QPalette normal = link->palette();
    normal.setColor(QPalette::WindowText, FTextColour);
    link->setPalette(normal);
}

} // namespace orvanto
