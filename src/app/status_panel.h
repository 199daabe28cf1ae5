#pragma once

// The panels of the main window's status bar. A panel is as wide as its
// text in the window's own font; a panel whose text changes in length (the
// resolution's "100%") is given its widest text as a sample, so that it does
// not jitter. A panel may hold shorter forms of its text ("210 x 297" for
// "210mm x 297mm"); when the bar is too narrow for every panel's whole text,
// FitStatusPanels shows shorter forms, with the whole text as the tooltip,
// instead of cutting any text. A panel whose shortest form is empty (the
// printed size) gives way first and completely. The last panel stretches to
// the bar's end; when even the shortest forms leave it too little room, its
// text ends in "…" (the whole text its tooltip) rather than the others being
// cut mid-word.

#include <QLabel>
#include <QStringList>

#include <vector>

class QStatusBar;

namespace orvanto {

class TStatusPanel final : public QLabel {
public:
    TStatusPanel(bool last, QWidget* parent);

    // The panel's text in its forms, the whole one first; an empty list
    // empties the panel.
    void SetForms(const QStringList& forms);
    void SetSample(const QString& sample);
    // The tooltip while the whole text shows (a shortened text has its
    // whole form as the tooltip instead).
    void SetHint(const QString& hint);
    // 0 shows the whole text; higher levels shorter forms where there are.
    void SetLevel(int level);
    int Level() const { return FLevel; }
    int FormCount() const { return int(FForms.size()); }
    // The last panel's width when it cannot have all its text needs, the
    // text elided to fit; 0: all it needs.
    void SetRoom(int width);
    bool Last() const { return FLast; }
    // At a shortest form that is empty: no room taken at all.
    bool Collapsed() const;
    // Shown as asked, except while collapsed: a hidden panel leaves no
    // spacing behind in the bar either.
    void setVisible(bool visible) override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    void ShowForm();

    bool FLast;
    bool FWanted = true;
    QString FSample;
    QStringList FForms;
    QString FHint;
    int FLevel = 0;
    int FRoom = 0;
};

// Shows in each panel the longest forms with which all panels fit the bar:
// first the words shorten (Auto Close, Auto Print, the copy count), then the
// print resolution and the page size close up their spaces (keeping their
// units), last the message in the last panel, which is elided when even
// that is not enough.
void FitStatusPanels(QStatusBar& bar, const std::vector<TStatusPanel*>& panels);

} // namespace orvanto
