#pragma once

#include "platform/clipboard.h"

#include <QObject>

class QClipboard;

namespace orvanto {

// The desktop clipboard through QClipboard. Whether it holds a picture is
// learnt from the clipboard's change signal and kept, so HasBitmap costs
// nothing however often it is asked; the picture itself is read only when
// the program takes it. Needs a QGuiApplication; without one the clipboard
// is empty and refuses pictures.
class TQtClipboard final : public QObject, public IClipboard {
    Q_OBJECT
public:
    TQtClipboard();

    bool HasBitmap() override { return FHasBitmap; }
    QImage Bitmap() override;
    bool SetBitmap(const QImage& picture) override;

private:
    void ContentChanged();

    QClipboard* FClipboard = nullptr;
    bool FHasBitmap = false;
};

} // namespace orvanto
