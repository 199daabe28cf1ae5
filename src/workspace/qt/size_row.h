#pragma once

// The printed-size row of the settings bar. For scale Exact Size: the Width
// and Height boxes in the unit of the paper or locale, the lock that keeps
// the picture's aspect, the standard photo sizes, and Fit or Fill for a
// size whose aspect is not the picture's. Always: the Poster box, and the
// overlap of the sheets while it is on.
//
// Like the settings panel, the row shows values set from code silently and
// reports only the user's input. A typed size is checked where it is typed:
// zero, negative or no number is refused with a note at the box, which
// keeps its old value; more than 10 m is clamped, with a note.

#include "workspace/print_size.h"

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace orvanto {

enum class TSizeControl { Width, Height, Lock, PhotoSize, Fill, Poster, Overlap };

class TSizeRow final : public QWidget {
    Q_OBJECT
public:
    explicit TSizeRow(QWidget* parent = nullptr);

    // Silent, as the lists of the panel are.
    void SetUnit(TSizeUnit unit);
    TSizeUnit Unit() const { return FUnit; }
    void SetSize(std::int32_t width, std::int32_t height); // hundredths of a mm
    void SetLock(bool on);
    void SetFill(bool fill);
    void SetPoster(bool on, std::int32_t overlap);

    // What the user set last: sizes and overlap in hundredths of a mm.
    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }
    std::int32_t Overlap() const { return FOverlap; }
    bool Locked() const;
    bool Fill() const;
    bool Poster() const;
    // The photo size picked, an index of PhotoSizes; -1 for none.
    int PhotoSize() const;
    // The note shown at a box for the last refused or clamped entry, or
    // given by Note; empty after an accepted one.
    const QString& LastNote() const { return FNote; }
    void Note(TSizeControl at, const QString& text);

    // The size controls show for Exact Size only; the Poster box always.
    void ShowSizeControls(bool shown);
    bool SizeControlsShown() const { return FSizeShown; }
    // Lays the controls out in rows no wider than width; the height that
    // takes follows from the result.
    void Arrange(int width);
    // The narrowest width at which no control is cut.
    int NarrowestWidth() const;

signals:
    void ControlChanged(orvanto::TSizeControl control);

private:
    QLineEdit* MakeBox(TSizeControl control, const char* name);
    void Typed(TSizeControl control);
    void ShowValues();

    TSizeUnit FUnit = TSizeUnit::Millimetre;
    std::int32_t FWidth = DefaultSizeX;
    std::int32_t FHeight = DefaultSizeY;
    std::int32_t FOverlap = 1000;
    bool FSizeShown = false;
    QString FNote;
    QLabel* FWidthLabel = nullptr;
    QLineEdit* FWidthBox = nullptr;
    QLabel* FHeightLabel = nullptr;
    QLineEdit* FHeightBox = nullptr;
    QLabel* FUnitLabel = nullptr;
    QCheckBox* FLock = nullptr;
    QComboBox* FPhotoSizes = nullptr;
    QComboBox* FFill = nullptr;
    QCheckBox* FPoster = nullptr;
    QLabel* FOverlapLabel = nullptr;
    QLineEdit* FOverlapBox = nullptr;
};

} // namespace orvanto
