#pragma once

// The settings panel in the workspace's settings bar: the Scale, Position,
// Orientation and Quality lists under their labels, and under them the zoom
// row: the horizontal and vertical zoom bars (scale Custom) or the fixed
// zoom bar (Custom Fixed), each with its "R" reset button and a label.
//
// The panel only shows values and reports the user's input; the workspace
// window decides what they mean. Only the user's changes are reported:
// setting a list or a bar from code is silent.
//
// The lists are 100 (Quality 70) pixels wide and the zoom bars start at
// x = 90, unless the desktop's font or a translation needs more room: a list
// grows to its longest item, the bars move right of the longest zoom label.
//
// The four groups (a label over its list) stand in one row while the width
// the window offers holds them; otherwise they wrap onto two rows of two
// (one under another when even two do not fit), and the zoom row follows
// under the last row, so nothing is ever cut at either edge.

#include "workspace/qt/size_row.h"

#include <QWidget>

#include <array>
#include <cstdint>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QScrollBar;
class QToolButton;

namespace orvanto {

enum class TPanelControl {
    QualityList,
    ScaleList,
    PositionList,
    OrientationList,
    HorizontalBar,
    VerticalBar,
    FixedBar,
    HorizontalReset,
    VerticalReset,
    FixedReset,
    LeftEdge, // the picture's left and top edges in millimetres (position Custom)
    TopEdge,
};

enum class TZoomRow { None, Custom, Fixed };

inline constexpr int ZoomBarRange = 3200;
inline constexpr int ZoomBarPageStep = 20;

class TSettingsPanel final : public QWidget {
    Q_OBJECT
public:
    explicit TSettingsPanel(QWidget* parent = nullptr);

    int ListIndex(TPanelControl list) const;
    void SetListIndex(TPanelControl list, int index);
    int BarPosition(TPanelControl bar) const;
    // Clamped into the bar's range.
    void SetBarPosition(TPanelControl bar, std::int32_t position);

    // Shows the zoom controls of the row with the two label texts (the
    // second only for Custom) and hides the others.
    void ShowZoomRow(TZoomRow row, const QString& first, const QString& second);
    // The bar height that fits the row (and the edge row, when shown): its
    // lowest control's bottom plus the space above the labels, twice.
    int HeightFor(TZoomRow row) const;
    // The edge row, under the zoom row: the picture's left and top edges in
    // millimetres, for position Custom.
    void ShowEdgeRow(bool shown);
    bool EdgeRowShown() const { return FEdgeRow; }
    double Edge(TPanelControl edge) const;
    // Silent, as the lists are.
    void SetEdges(double leftMm, double topMm);
    // The printed-size row, under the edge row (see size_row.h). Shown while
    // it has a control to show; its input comes through SizeChanged.
    TSizeRow* SizeRow() const { return FSizeRow; }
    void ShowSizeRow(bool sizeControls, bool posterBox);
    // The Scale and zoom labels turn red while the preview cannot be drawn.
    void SetWarning(bool warning);
    // Lays the groups out for the width available; true when the panel's
    // size changed, so that the bar's height must follow.
    bool Arrange(int availableWidth);
    // Groups side by side in a row: 4, 2 or 1.
    int Columns() const { return FColumns; }
    TZoomRow ZoomRow() const { return FRow; }

signals:
    void ControlChanged(orvanto::TPanelControl control);
    void SizeChanged(orvanto::TSizeControl control);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QComboBox* List(TPanelControl list) const;
    QScrollBar* Bar(TPanelControl bar) const;
    void BuildLists();
    void BuildZoomRow();
    int ZoomBarLeft() const;
    void PlaceGroups(int columns);
    void PlaceZoomRow();
    void BuildEdgeRow();
    void PlaceEdgeRow();
    int RowWidth(int columns) const;
    QScrollBar* MakeBar(TPanelControl control, const char* name);
    QToolButton* MakeReset(TPanelControl control, const char* name);
    int GroupWidth(int group) const;
    int ColumnLeft(int column, int columns) const;

    std::array<QLabel*, 4> FLabels{};   // Scale, Position, Orientation, Quality
    std::array<QComboBox*, 4> FLists{}; // same order
    QLabel* FZoomLabel1 = nullptr;
    QLabel* FZoomLabel2 = nullptr;
    QScrollBar* FHorizontalBar = nullptr;
    QScrollBar* FVerticalBar = nullptr;
    QScrollBar* FFixedBar = nullptr;
    QToolButton* FHorizontalReset = nullptr;
    QToolButton* FVerticalReset = nullptr;
    QToolButton* FFixedReset = nullptr;
    QLabel* FLeftLabel = nullptr;
    QDoubleSpinBox* FLeftBox = nullptr;
    QLabel* FTopLabel = nullptr;
    QDoubleSpinBox* FTopBox = nullptr;
    TSizeRow* FSizeRow = nullptr;
    int FAvailableWidth = 0;
    bool FEdgeRow = false;
    TZoomRow FRow = TZoomRow::None;
    int FColumns = 0;
};

} // namespace orvanto
