#pragma once

#include <QIODevice>
#include <QImage>
#include <QPainter>
#include <QRect>

namespace orvanto {

// The abstract graphic our own picture codecs derive from: something that
// has a size, draws itself, and loads from and saves to a stream. Load and
// save raise on failure; callers that must not see exceptions use the
// codecs' TryLoadFromFile or catch at their edge.
class TGraphic {
public:
    virtual ~TGraphic() = default;

    // Takes over another graphic's picture (and, from the same class, its settings).
    virtual void Assign(const TGraphic& source) = 0;
    virtual void Draw(QPainter& canvas, const QRect& rect) const = 0;
    virtual bool GetEmpty() const = 0;
    virtual int GetHeight() const = 0;
    virtual int GetWidth() const = 0;
    virtual void SetHeight(int height) = 0;
    virtual void SetWidth(int width) = 0;
    virtual void LoadFromStream(QIODevice& stream) = 0;
    virtual void SaveToStream(QIODevice& stream) = 0;
    // The clipboard carries plain bitmaps.
    virtual void LoadFromClipboardFormat(const QImage& data) = 0;
    virtual void SaveToClipboardFormat(QImage& data) const = 0;
};

} // namespace orvanto
