#include "app/status_panel.h"

#include <QLayout>
#include <QStatusBar>

#include <algorithm>
#include <utility>

namespace orvanto {

TStatusPanel::TStatusPanel(bool last, QWidget* parent) : QLabel(parent), FLast(last) {}

void TStatusPanel::SetForms(const QStringList& forms)
{
    FForms = forms;
    ShowForm();
}

void TStatusPanel::SetSample(const QString& sample)
{
    FSample = sample;
    updateGeometry();
}

void TStatusPanel::SetHint(const QString& hint)
{
    FHint = hint;
    ShowForm();
}

void TStatusPanel::SetLevel(int level)
{
    FLevel = std::max(0, level);
    ShowForm();
}

void TStatusPanel::SetRoom(int width)
{
    FRoom = FLast ? std::max(0, width) : 0;
    ShowForm();
    updateGeometry();
}

void TStatusPanel::ShowForm()
{
    const QString form = FForms.isEmpty() ? QString() : FForms[std::min<qsizetype>(FLevel, FForms.size() - 1)];
    QString shown = form;
    if (FRoom > 0) {
        setText(form);
        const int padding = QLabel::sizeHint().width() - fontMetrics().horizontalAdvance(form);
        shown = fontMetrics().elidedText(form, Qt::ElideRight, std::max(0, FRoom - padding));
    }
    setText(shown);
    setFrameShadow(Collapsed() ? QFrame::Plain : QFrame::Sunken);
    setLineWidth(Collapsed() ? 0 : 1);
    // A shortened text keeps its whole form at hand.
    setToolTip(!FForms.isEmpty() && shown != FForms.first() ? FForms.first() : FHint);
    if (isHidden() == (FWanted && !Collapsed()))
        QLabel::setVisible(FWanted && !Collapsed());
}

void TStatusPanel::setVisible(bool visible)
{
    FWanted = visible;
    QLabel::setVisible(visible && !Collapsed());
}

// A panel whose shortest form is empty gives way completely.
bool TStatusPanel::Collapsed() const
{
    return !FForms.isEmpty() && FForms.last().isEmpty() && FLevel >= FForms.size() - 1;
}

QSize TStatusPanel::sizeHint() const
{
    if (Collapsed())
        return {0, QLabel::sizeHint().height()};
    if (FRoom > 0)
        return {FRoom, QLabel::sizeHint().height()};
    const QSize own = QLabel::sizeHint(); // text, frame and the indent of a framed label
    const QFontMetrics metrics = fontMetrics();
    const int padding = own.width() - metrics.horizontalAdvance(text());
    // An empty panel still shows as a small sunken box.
    const int least = padding + metrics.horizontalAdvance(FSample.isEmpty() ? QStringLiteral("  ") : FSample);
    return {std::max(own.width(), least), own.height()};
}

QSize TStatusPanel::minimumSizeHint() const
{
    // The first panels give way (cutting their text) only when even their
    // shortest forms do not fit, rather than being drawn over by their
    // neighbour; the last keeps its whole text: "Ready", "Working... 57%".
    if (Collapsed())
        return {0, QLabel::minimumSizeHint().height()};
    return FLast ? QLabel::minimumSizeHint() : QSize(20, QLabel::minimumSizeHint().height());
}

namespace {

bool AllFit(QStatusBar& bar, const std::vector<TStatusPanel*>& panels)
{
    if (QLayout* layout = bar.layout()) {
        layout->invalidate();
        layout->activate();
    }
    for (const TStatusPanel* panel : panels)
        if (panel->isVisibleTo(&bar) && panel->width() < panel->sizeHint().width())
            return false;
    return true;
}

// The last panel keeps its whole text's width while the others shrink to
// make room: it gives up what they lack, elided, so that they are not cut.
void SqueezeLast(QStatusBar& bar, const std::vector<TStatusPanel*>& panels)
{
    const auto last = std::find_if(panels.begin(), panels.end(), [](const TStatusPanel* p) { return p->Last(); });
    if (last == panels.end() || !(*last)->isVisibleTo(&bar))
        return;
    // Room for "…" inside the panel's frame and indent, at the least.
    const QFontMetrics metrics = (*last)->fontMetrics();
    const int least = (*last)->sizeHint().width() - metrics.horizontalAdvance((*last)->text())
        + metrics.horizontalAdvance(QStringLiteral("…"));
    // The room the others lack may change as the layout settles: a few
    // rounds find it.
    for (int round = 0; round < 3; ++round) {
        int lacking = 0;
        for (const TStatusPanel* panel : panels)
            if (panel != *last && panel->isVisibleTo(&bar))
                lacking += std::max(0, panel->sizeHint().width() - panel->width());
        if (lacking == 0)
            return;
        (*last)->SetRoom(std::max(least, (*last)->width() - lacking));
        AllFit(bar, panels);
    }
}

} // namespace

void FitStatusPanels(QStatusBar& bar, const std::vector<TStatusPanel*>& panels)
{
    // Panel index and level, in the order the panels give up room.
    static constexpr std::pair<std::size_t, int> Steps[] = {{7, 1}, {7, 2}, {2, 1}, {3, 1}, {1, 1},
                                                            {6, 1}, {0, 1}, {6, 2}, {0, 2}, {5, 1}};
    for (TStatusPanel* panel : panels) {
        panel->SetRoom(0);
        panel->SetLevel(0);
    }
    if (bar.width() <= 0 || AllFit(bar, panels))
        return;
    std::vector<std::pair<std::size_t, int>> taken;
    for (const auto& [index, level] : Steps) {
        if (index >= panels.size() || panels[index]->FormCount() <= level)
            continue;
        panels[index]->SetLevel(level);
        taken.emplace_back(index, level);
        if (AllFit(bar, panels))
            break;
    }
    // A later step may have freed more room than the earlier ones needed:
    // give back what still fits, the most important text (the one that
    // gave way last) first.
    for (std::size_t i = taken.size(); i-- > 1;) {
        const auto [index, level] = taken[i - 1];
        if (panels[index]->Level() != level)
            continue;
        panels[index]->SetLevel(level - 1);
        if (!AllFit(bar, panels))
            panels[index]->SetLevel(level);
    }
    if (!AllFit(bar, panels))
        SqueezeLast(bar, panels);
}

} // namespace orvanto
