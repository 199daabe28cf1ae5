#include "workspace/qt/settings_panel.h"

#include "localisation/language.h"
#include "platform/colour_dialog.h"
#include "support/messages/translation_hook.h"
#include "workspace/qt/workspace_display_names.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>

#include <algorithm>

namespace orvanto {

namespace {

constexpr int LabelTop = 4;
constexpr int FirstLeft = 5;
constexpr int LabelGap = 5;       // a label starts this far right of the list before
constexpr int ZoomLabelGap = 2;   // zoom label 1 below the Scale list
constexpr int ZoomBarFirstLeft = 90;
constexpr int MinimumZoomBarWidth = 60;
constexpr int ResetFontPoints = 7;
constexpr std::uint32_t WarningColour = 0x0000FF; // red
constexpr double EdgeRangeMm = 10000;

struct TListEntry {
    const char* Caption;
    const char* Name;
    int Width;
};

// In the order they stand in the panel: Scale, Position, Orientation, Quality.
constexpr TListEntry ListEntries[4] = {
    {EnglishText("Scale"), "ScaleList", 100},
    {EnglishText("Position"), "PositionList", 100},
    {EnglishText("Orientation"), "OrientationList", 100},
    {EnglishText("Quality"), "QualityList", 70},
};

int ListSlot(TPanelControl list)
{
    switch (list) {
    case TPanelControl::ScaleList: return 0;
    case TPanelControl::PositionList: return 1;
    case TPanelControl::OrientationList: return 2;
    case TPanelControl::QualityList: return 3;
    default: return -1;
    }
}

template <std::size_t N>
QStringList Items(const std::array<QString, N>& names)
{
    return QStringList(names.begin(), names.end());
}

int Bottom(const QWidget* widget)
{
    return widget->y() + widget->height();
}

int Right(const QWidget* widget)
{
    return widget->x() + widget->width();
}

} // namespace

TSettingsPanel::TSettingsPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("SettingsPanel");
    // The style draws no focus on a scroll bar or a flat button: the panel
    // frames the one that has it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if ((old && old->parentWidget() == this) || (now && now->parentWidget() == this))
            update();
    });
    BuildLists();
    BuildZoomRow();
    BuildEdgeRow();
    FSizeRow = new TSizeRow(this);
    connect(FSizeRow, &TSizeRow::ControlChanged, this, [this](TSizeControl control) { emit SizeChanged(control); });
    FSizeRow->hide();
    Arrange(QWIDGETSIZE_MAX);
}

void TSettingsPanel::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QWidget* focused = focusWidget();
    if (!focused || !focused->hasFocus() || focused->parentWidget() != this || !focused->isVisible()
        || !(qobject_cast<QScrollBar*>(focused) || qobject_cast<QToolButton*>(focused)))
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(focused->geometry().adjusted(-1, -1, 0, 0));
}

void TSettingsPanel::BuildLists()
{
    const TWorkspaceDisplayNames& names = WorkspaceDisplayNames();
    const QStringList items[4] = {Items(names.Scale), Items(names.Position),
                                  Items(names.Orientation), Items(names.Quality)};
    const TPanelControl controls[4] = {TPanelControl::ScaleList, TPanelControl::PositionList,
                                       TPanelControl::OrientationList, TPanelControl::QualityList};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(QString::fromStdString(Translate(ListEntries[i].Caption)), this);
        label->setObjectName(QString::fromLatin1(ListEntries[i].Name).replace("List", "Label"));
        label->resize(label->sizeHint());
        auto* list = new QComboBox(this);
        list->setObjectName(ListEntries[i].Name);
        list->addItems(items[i]);
        // Never narrower than its longest item: a translation or a larger
        // desktop font must not cut a name short.
        list->resize(std::max(ListEntries[i].Width, list->sizeHint().width()), list->sizeHint().height());
        const TPanelControl control = controls[i];
        // Only the user's choice counts: SyncPanel sets the lists silently.
        connect(list, &QComboBox::activated, this, [this, control] { emit ControlChanged(control); });
        FLabels[i] = label;
        FLists[i] = list;
    }
}

int TSettingsPanel::GroupWidth(int group) const
{
    return std::max(FLabels[std::size_t(group)]->width(), FLists[std::size_t(group)]->width());
}

// The groups of a column share its left edge, so that wrapped rows line up.
int TSettingsPanel::ColumnLeft(int column, int columns) const
{
    int left = FirstLeft;
    for (int j = 0; j < column; ++j) {
        int width = 0;
        for (int i = j; i < 4; i += columns)
            width = std::max(width, GroupWidth(i));
        left += width + LabelGap;
    }
    return left;
}

int TSettingsPanel::RowWidth(int columns) const
{
    int widest = 0;
    for (int i = 0; i < 4; ++i)
        widest = std::max(widest, ColumnLeft(i % columns, columns) + GroupWidth(i));
    // The zoom row under the groups needs its labels and a usable bar.
    const int edgeRow = FirstLeft + FLeftLabel->width() + LabelGap + FLeftBox->width() + 3 * LabelGap
                        + FTopLabel->width() + LabelGap + FTopBox->width();
    const int sizeRow = FSizeRow && !FSizeRow->isHidden() ? FSizeRow->NarrowestWidth() : 0;
    return std::max({widest, ZoomBarLeft() + MinimumZoomBarWidth + FZoomLabel1->height(), edgeRow, sizeRow});
}

bool TSettingsPanel::Arrange(int availableWidth)
{
    FAvailableWidth = availableWidth;
    int columns = 1;
    for (int candidate : {4, 2}) {
        if (RowWidth(candidate) + 1 <= availableWidth) {
            columns = candidate;
            break;
        }
    }
    const QSize before = size();
    if (columns == FColumns) {
        // The size row flows into the width, whatever the groups do.
        PlaceEdgeRow();
        resize(width(), HeightFor(FRow));
        return size() != before;
    }
    FColumns = columns;
    PlaceGroups(columns);
    PlaceZoomRow();
    return size() != before;
}

void TSettingsPanel::PlaceGroups(int columns)
{
    int top = LabelTop;
    for (int first = 0; first < 4; first += columns) {
        int bottom = top;
        for (int i = first; i < first + columns; ++i) {
            QLabel* label = FLabels[std::size_t(i)];
            QComboBox* list = FLists[std::size_t(i)];
            label->move(ColumnLeft(i - first, columns), top);
            list->move(label->x(), Bottom(label));
            bottom = std::max(bottom, Bottom(list));
        }
        top = bottom + LabelTop;
    }
}

void TSettingsPanel::PlaceZoomRow()
{
    int listsBottom = 0;
    int listsRight = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        listsBottom = std::max(listsBottom, Bottom(FLists[i]));
        listsRight = std::max(listsRight, FLists[i]->x() + GroupWidth(int(i)));
    }
    const int height = FZoomLabel1->height();
    const int barLeft = ZoomBarLeft();
    // Ends one label height before the widest row's right edge, leaving a
    // square for the reset button.
    const int barWidth = std::max(MinimumZoomBarWidth, listsRight - height - barLeft);
    FZoomLabel1->move(FirstLeft, listsBottom + ZoomLabelGap);
    FZoomLabel1->resize(barLeft - FirstLeft, height);
    FHorizontalBar->setGeometry(barLeft, FZoomLabel1->y(), barWidth, height);
    FFixedBar->setGeometry(FHorizontalBar->geometry());
    FZoomLabel2->setGeometry(FZoomLabel1->x(), Bottom(FHorizontalBar) + 1, FZoomLabel1->width(), height);
    FVerticalBar->setGeometry(barLeft, FZoomLabel2->y(), barWidth, height);
    for (auto [button, bar] : {std::pair{FHorizontalReset, FHorizontalBar}, std::pair{FFixedReset, FFixedBar},
                               std::pair{FVerticalReset, FVerticalBar}})
        button->setGeometry(Right(bar), bar->y(), height, height);
    PlaceEdgeRow();
    resize(std::max({listsRight, Right(FVerticalReset), Right(FTopBox)}) + 1, HeightFor(FRow));
    if (!FSizeRow->isHidden() && Right(FSizeRow) > width())
        resize(Right(FSizeRow), size().height());
}

void TSettingsPanel::BuildEdgeRow()
{
    const QString mm = QLatin1Char(' ') + QString::fromStdString(Translate("mm"));
    const auto makeBox = [this, &mm](TPanelControl control, const char* name) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(name);
        box->setDecimals(1);
        box->setRange(-EdgeRangeMm, EdgeRangeMm);
        box->setSingleStep(1);
        box->setSuffix(mm);
        box->setKeyboardTracking(false); // a value typed digit by digit counts once, when done
        box->resize(box->sizeHint());
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, control] { emit ControlChanged(control); });
        return box;
    };
    FLeftLabel = new QLabel(QString::fromStdString(Translate("Left")), this);
    FLeftLabel->setObjectName("LeftEdgeLabel");
    FLeftLabel->resize(FLeftLabel->sizeHint());
    FLeftBox = makeBox(TPanelControl::LeftEdge, "LeftEdgeBox");
    FTopLabel = new QLabel(QString::fromStdString(Translate("Top")), this);
    FTopLabel->setObjectName("TopEdgeLabel");
    FTopLabel->resize(FTopLabel->sizeHint());
    FTopBox = makeBox(TPanelControl::TopEdge, "TopEdgeBox");
    FLeftLabel->setBuddy(FLeftBox);
    FTopLabel->setBuddy(FTopBox);
    ShowEdgeRow(false);
}

// Under the zoom row that shows, else under the lists.
void TSettingsPanel::PlaceEdgeRow()
{
    if (!FLeftBox)
        return; // not built yet
    int top = 0;
    for (const QComboBox* list : FLists)
        top = std::max(top, Bottom(list));
    if (FRow == TZoomRow::Custom)
        top = Bottom(FVerticalBar);
    else if (FRow == TZoomRow::Fixed)
        top = Bottom(FFixedBar);
    top += ZoomLabelGap;
    const int height = FLeftBox->height();
    FLeftLabel->move(FirstLeft, top + (height - FLeftLabel->height()) / 2);
    FLeftBox->move(Right(FLeftLabel) + LabelGap, top);
    FTopLabel->move(Right(FLeftBox) + 3 * LabelGap, FLeftLabel->y());
    FTopBox->move(Right(FTopLabel) + LabelGap, top);
    if (!FSizeRow)
        return;
    const int sizeTop = (FEdgeRow ? Bottom(FTopBox) : top - ZoomLabelGap) + ZoomLabelGap;
    const int available = FAvailableWidth > 0 && FAvailableWidth < QWIDGETSIZE_MAX ? FAvailableWidth : 100000;
    FSizeRow->Arrange(available - 1);
    FSizeRow->move(0, sizeTop);
}

void TSettingsPanel::ShowSizeRow(bool sizeControls, bool posterBox)
{
    FSizeRow->ShowSizeControls(sizeControls);
    FSizeRow->setVisible(sizeControls || posterBox);
    PlaceEdgeRow();
}

void TSettingsPanel::ShowEdgeRow(bool shown)
{
    FEdgeRow = shown;
    for (QWidget* control : {static_cast<QWidget*>(FLeftLabel), static_cast<QWidget*>(FLeftBox),
                             static_cast<QWidget*>(FTopLabel), static_cast<QWidget*>(FTopBox)})
        control->setVisible(shown);
    PlaceEdgeRow();
}

double TSettingsPanel::Edge(TPanelControl edge) const
{
    return edge == TPanelControl::LeftEdge ? FLeftBox->value() : edge == TPanelControl::TopEdge ? FTopBox->value() : 0;
}

void TSettingsPanel::SetEdges(double leftMm, double topMm)
{
    for (auto [box, value] : {std::pair{FLeftBox, leftMm}, std::pair{FTopBox, topMm}}) {
        const QSignalBlocker silent(box);
        box->setValue(value);
    }
}

void TSettingsPanel::BuildZoomRow()
{
    FZoomLabel1 = new QLabel(this);
    FZoomLabel1->setObjectName("ZoomLabel1");
    FZoomLabel1->resize(FZoomLabel1->width(), FZoomLabel1->sizeHint().height());
    FHorizontalBar = MakeBar(TPanelControl::HorizontalBar, "HorizontalZoomBar");
    FHorizontalReset = MakeReset(TPanelControl::HorizontalReset, "HorizontalReset");
    FFixedBar = MakeBar(TPanelControl::FixedBar, "FixedZoomBar");
    FFixedReset = MakeReset(TPanelControl::FixedReset, "FixedReset");
    FZoomLabel2 = new QLabel(this);
    FZoomLabel2->setObjectName("ZoomLabel2");
    FVerticalBar = MakeBar(TPanelControl::VerticalBar, "VerticalZoomBar");
    FVerticalReset = MakeReset(TPanelControl::VerticalReset, "VerticalReset");
    ShowZoomRow(TZoomRow::None, {}, {});
}

QScrollBar* TSettingsPanel::MakeBar(TPanelControl control, const char* name)
{
    auto* bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(name);
    bar->setRange(-ZoomBarRange, ZoomBarRange);
    bar->setPageStep(ZoomBarPageStep);
    bar->setFocusPolicy(Qt::StrongFocus); // Tab reaches it; the arrow keys then move it
    // A scroll bar turns its keys round by default (Down moves a document
    // up the screen); a zoom bar is a slider: Right raises the zoom, as its
    // right arrow button does.
    bar->setInvertedControls(false);
    // Every position counts, the user's and SyncPanel's alike.
    connect(bar, &QScrollBar::valueChanged, this, [this, control] { emit ControlChanged(control); });
    return bar;
}

QToolButton* TSettingsPanel::MakeReset(TPanelControl control, const char* name)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(QString::fromStdString(Translate("R")));
    button->setToolTip(QString::fromStdString(Translate("Reset")));
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::StrongFocus);
    QFont font = QApplication::font();
    font.setPointSize(ResetFontPoints);
    button->setFont(font);
    connect(button, &QToolButton::clicked, this, [this, control] { emit ControlChanged(control); });
    return button;
}

int TSettingsPanel::ZoomBarLeft() const
{
    // At x = 90 unless the longest zoom label needs more room.
    const TWorkspaceDisplayNames& names = WorkspaceDisplayNames();
    const QFontMetrics metrics = FZoomLabel1->fontMetrics();
    int widest = 0;
    for (const QString& word : {names.Horizontal, names.Vertical, names.Fixed})
        widest = std::max(widest, metrics.horizontalAdvance(word + QStringLiteral(" -3200%")));
    return std::max(ZoomBarFirstLeft, FirstLeft + widest + LabelGap);
}

QComboBox* TSettingsPanel::List(TPanelControl list) const
{
    const int slot = ListSlot(list);
    return slot < 0 ? nullptr : FLists[std::size_t(slot)];
}

QScrollBar* TSettingsPanel::Bar(TPanelControl bar) const
{
    switch (bar) {
    case TPanelControl::HorizontalBar: return FHorizontalBar;
    case TPanelControl::VerticalBar: return FVerticalBar;
    case TPanelControl::FixedBar: return FFixedBar;
    default: return nullptr;
    }
}

int TSettingsPanel::ListIndex(TPanelControl list) const
{
    const QComboBox* box = List(list);
    return box ? box->currentIndex() : -1;
}

void TSettingsPanel::SetListIndex(TPanelControl list, int index)
{
    if (QComboBox* box = List(list))
        box->setCurrentIndex(std::clamp(index, 0, box->count() - 1));
}

int TSettingsPanel::BarPosition(TPanelControl bar) const
{
    const QScrollBar* scrollBar = Bar(bar);
    return scrollBar ? scrollBar->value() : 0;
}

void TSettingsPanel::SetBarPosition(TPanelControl bar, std::int32_t position)
{
    if (QScrollBar* scrollBar = Bar(bar)) {
        const QSignalBlocker silent(scrollBar);
        scrollBar->setValue(std::clamp(position, -ZoomBarRange, ZoomBarRange));
    }
}

void TSettingsPanel::ShowZoomRow(TZoomRow row, const QString& first, const QString& second)
{
    const bool custom = row == TZoomRow::Custom;
    const bool fixed = row == TZoomRow::Fixed;
    FZoomLabel1->setText(first);
    FZoomLabel2->setText(second);
    FZoomLabel1->setVisible(custom || fixed);
    FZoomLabel2->setVisible(custom);
    FHorizontalBar->setVisible(custom);
    FHorizontalReset->setVisible(custom);
    FVerticalBar->setVisible(custom);
    FVerticalReset->setVisible(custom);
    FFixedBar->setVisible(fixed);
    FFixedReset->setVisible(fixed);
    FRow = row;
    PlaceEdgeRow();
}

int TSettingsPanel::HeightFor(TZoomRow row) const
{
    int bottom = 0;
    if (row == TZoomRow::Custom)
        bottom = Bottom(FVerticalBar);
    else if (row == TZoomRow::Fixed)
        bottom = Bottom(FFixedBar);
    else
        for (const QComboBox* list : FLists)
            bottom = std::max(bottom, Bottom(list));
    if (FEdgeRow && row == FRow)
        bottom = std::max(bottom, Bottom(FTopBox));
    if (!FSizeRow->isHidden() && row == FRow)
        bottom = std::max(bottom, Bottom(FSizeRow));
    return 2 * FLabels[0]->y() + bottom;
}

void TSettingsPanel::SetWarning(bool warning)
{
    // The whole palette of the "Position" label, not one colour read from
    // it: read while the window is disabled (busy), that colour is the
    // greyed one, and would stay after the window is enabled again.
    QPalette palette = FLabels[1]->palette();
    if (warning) {
        const QColor red = QColorFromWindows(WarningColour);
        palette.setColor(QPalette::Active, QPalette::WindowText, red);
        palette.setColor(QPalette::Inactive, QPalette::WindowText, red);
    }
    for (QLabel* label : {FLabels[0], FZoomLabel1, FZoomLabel2})
        label->setPalette(palette);
}

} // namespace orvanto
