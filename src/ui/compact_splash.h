#pragma once

// The one small window that serves twice: at start-up as a borderless splash
// screen that goes away by itself, and from the About command as a modal
// about box with a title bar. Both show the same picture with a few text
// rows over its lower left corner: the version, the year line and a web
// link that opens in the browser.
//
// The fixed texts, and the title and version the caller supplies, are kept
// concealed (HideText) and revealed only when they are put on screen.
// Every operation swallows its own failures; a failed display leaves the
// window hidden.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>

#include <array>
#include <memory>
#include <string>

class QDialog;
class QLabel;
class QPushButton;

namespace orvanto {

class TSplashForm;

class TCompactSplash : public QObject {
    Q_OBJECT
public:
    static constexpr int RowCount = 6;
    static constexpr int FirstYear = 2002;

    // Builds the window with its defaults; nothing is shown. calendarYear 0
    // takes the current year; the year line never shows one before 2002.
    explicit TCompactSplash(QObject* owner = nullptr, int calendarYear = 0);
    ~TCompactSplash() override;

    // The picture, drawn unscaled at 0,0; the window takes its size.
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return FPicture; }
    void SetTextFont(const QFont& font, const QColor& colour);
    void SetMargins(int left, int bottom);
    // Both take concealed texts (HideText).
    void SetTitleText(const std::string& concealed) { FTitleText = concealed; }
    void SetVersionText(const std::string& concealed) { FVersionText = concealed; }
    void SetShowTitle(bool show) { FShowTitle = show; }

    // Without a border; returns at once and the window stays up.
    void ShowSplash();
    // Modal with a title bar and a Close button; Esc closes it too. Returns
    // when it is closed.
    void ShowAbout();
    // Keeps the program responsive for the seconds given (0 to 10; others
    // are clamped), then hides the splash or ends the about box.
    void CloseAfter(int seconds);
    static int CloseDelayMs(int seconds);

    bool Visible() const;
    // The window itself, for placing and for pictures of it.
    QDialog* Form() const;
    QPushButton* CloseButton() const { return FCloseButton; }

private:
    void Display(int mode);
    void FillRows();
    void LayoutRows();
    void PlaceCloseButton();
    void LinkClicked(QLabel* label);
    void KeyPressed(int key);
    friend class TSplashForm;

    std::unique_ptr<TSplashForm> FForm;
    int FMode = 0;
    QImage FPicture;
    QFont FTextFont;
    QColor FTextColour;
    int FMarginLeft = 7;
    int FMarginBottom = 7;
    std::string FTitleText;
    std::string FVersionText;
    bool FShowTitle = false;
    std::string FYearLine; // concealed
    std::array<QLabel*, RowCount> FCaptions {};
    std::array<QLabel*, RowCount> FValues {};
    QPushButton* FCloseButton = nullptr; // the about box's only
};

} // namespace orvanto
