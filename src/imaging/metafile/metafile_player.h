#pragma once

// The device context that metafile records expect, played onto a QPainter
// over a picture. Both the 16-bit and the enhanced record decoders drive
// this one player, so mapping, objects, clipping and drawing behave alike.

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace orvanto {

struct TMetaPen {
    std::uint32_t Style = 0; // style, end cap, join and type bits as written
    double Width = 0;        // logical units; 0 draws one pixel wide
    std::uint32_t Colour = 0;
    std::vector<double> Dashes; // user style, logical units
};

struct TMetaBrush {
    std::uint32_t Style = 0; // solid 0, none 1, hatched 2, pattern 3/5/6
    std::uint32_t Colour = 0;
    std::uint32_t Hatch = 0;
    QImage Pattern;
};

struct TMetaFont {
    double Height = 0; // negative: character height; positive: cell height
    double Width = 0;
    int Escapement = 0; // tenths of a degree, counter-clockwise
    int Weight = 400;
    bool Italic = false, Underline = false, StrikeOut = false;
    int CharSet = 0;
    QString Face;
};

struct TMetaObject {
    enum class TKind { None, Pen, Brush, Font, Palette, Region };
    TKind Kind = TKind::None;
    TMetaPen Pen;
    TMetaBrush Brush;
    TMetaFont Font;
    std::vector<QRgb> Palette;
    QPainterPath Region; // logical units
};

// Raster operation and region-combining codes of the record formats.
enum : std::uint32_t {
    RgnAnd = 1, RgnOr = 2, RgnXor = 3, RgnDiff = 4, RgnCopy = 5,
};

enum class TArcKind { Arc, ArcTo, Chord, Pie };

class TMetaPlayer {
public:
    // devicePixelsPerMm: the size of a device unit, for the metric and
    // English mapping modes. deviceToPicture maps device units to pixels.
    TMetaPlayer(QImage& picture, const QTransform& deviceToPicture, double devicePixelsPerMmX,
                double devicePixelsPerMmY);
    ~TMetaPlayer();

    // Mapping.
    void SetMapMode(int mode);
    void SetWindowOrg(double x, double y);
    void SetWindowExt(double x, double y);
    void SetViewportOrg(double x, double y);
    void SetViewportExt(double x, double y);
    void OffsetWindowOrg(double dx, double dy);
    void OffsetViewportOrg(double dx, double dy);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const QTransform& transform);
    void ModifyWorldTransform(const QTransform& transform, std::uint32_t mode);
    void SaveDC();
    void RestoreDC(int which);

    // Attributes.
    void SetBkMode(int mode) { FState.BkMode = mode; }
    void SetBkColor(std::uint32_t colour) { FState.BkColour = colour; }
    void SetTextColor(std::uint32_t colour) { FState.TextColour = colour; }
    void SetPolyFillMode(int mode) { FState.FillWinding = mode == 2; }
    void SetRop2(int rop) { FState.Rop2 = rop; }
    void SetTextAlign(std::uint32_t align) { FState.TextAlign = align; }
    void SetTextCharExtra(double extra) { FState.CharExtra = extra; }
    void SetArcDirection(int direction) { FState.ArcClockwise = direction == 2; }
    void SetMiterLimit(double limit) { FState.MiterLimit = limit; }

    // Objects. The enhanced format names its slots; the 16-bit format takes
    // the lowest free one.
    void CreateObject(std::uint32_t index, TMetaObject object);
    void SetObjectTableSize(std::uint32_t size);
    void AddObject(TMetaObject object);
    void SelectObject(std::uint32_t index);
    void SelectStockObject(std::uint32_t stock);
    void DeleteObject(std::uint32_t index);
    const TMetaObject* Object(std::uint32_t index) const;
    std::vector<QRgb> Palette() const { return FState.Palette; }
    int CharSet() const { return FState.Font.CharSet; }

    // Drawing, in logical units.
    void MoveTo(QPointF point);
    void LineTo(QPointF point);
    void Polyline(const std::vector<QPointF>& points);
    void PolylineTo(const std::vector<QPointF>& points);
    void Polygon(const std::vector<QPointF>& points);
    void PolyPolygon(const std::vector<std::vector<QPointF>>& polygons);
    void PolyPolyline(const std::vector<std::vector<QPointF>>& lines);
    void PolyBezier(const std::vector<QPointF>& points);
    void PolyBezierTo(const std::vector<QPointF>& points);
    void PolyDraw(const std::vector<QPointF>& points, const std::vector<std::uint8_t>& types);
    void Rectangle(QRectF box);
    void RoundRect(QRectF box, QSizeF corner);
    void Ellipse(QRectF box);
    void ArcShape(QRectF box, QPointF start, QPointF end, TArcKind kind);
    void AngleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees);
    void SetPixel(QPointF point, std::uint32_t colour);
    void FillRegion(const QPainterPath& logical, const TMetaBrush& brush);
    void FrameRegion(const QPainterPath& logical, const TMetaBrush& brush, double width, double height);
    void InvertRegion(const QPainterPath& logical);
    void PaintRegion(const QPainterPath& logical);
    void GradientRect(QRectF box, QColor from, QColor to, bool vertical);
    void GradientTriangle(const QPointF corners[3], const QColor colours[3]);

    // Paths.
    void BeginPath();
    void EndPath() { FPathOpen = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(std::uint32_t mode);

    // Clipping. Regions given in device units.
    void IntersectClipRect(QRectF box);
    void ExcludeClipRect(QRectF box);
    void OffsetClip(double dx, double dy);
    void SelectClipRegion(const std::optional<QPainterPath>& device, std::uint32_t mode);
    void SelectClipRegionLogical(const std::optional<QPainterPath>& logical);

    // Text. dx: advance of each code unit in logical units (may be empty).
    // options: the clipping and opaque flags of the records; box in logical units.
    void Text(QPointF reference, const QString& text, const std::vector<double>& dx,
              std::uint32_t options, std::optional<QRectF> box);

    // Bitmaps. A null source means a pattern-only operation.
    void Blit(QRectF destination, const QImage& source, QRectF sourceRect, std::uint32_t rop);
    void AlphaBlit(QRectF destination, const QImage& source, QRectF sourceRect, int constantAlpha,
                   bool perPixelAlpha);

    QColor ColourOf(std::uint32_t colour) const;

private:
    struct TState {
        int MapMode = 1;
        QPointF WindowOrg{0, 0}, WindowExt{1, 1}, ViewportOrg{0, 0}, ViewportExt{1, 1};
        QTransform World;
        int BkMode = 2; // opaque
        std::uint32_t BkColour = 0xFFFFFF, TextColour = 0;
        bool FillWinding = false;
        int Rop2 = 13;
        std::uint32_t TextAlign = 0;
        double CharExtra = 0;
        bool ArcClockwise = false;
        double MiterLimit = 10;
        TMetaPen Pen;
        TMetaBrush Brush;
        TMetaFont Font;
        std::vector<QRgb> Palette;
        std::optional<QPainterPath> Clip; // picture pixels
        QPointF Position{0, 0};
    };

    QTransform PageTransform() const;
    QTransform Full() const; // logical -> picture
    double LinearScale() const;
    void Output(const QPainterPath& logical, bool fill, bool stroke);
    void FillDevice(const QPainterPath& device, const TMetaBrush& brush);
    void StrokeDevice(const QPainterPath& device);
    void ApplyClip();
    bool ApplyRop2();
    void CombineClip(const QPainterPath& device, std::uint32_t mode);
    QPainterPath ArcPath(QRectF box, QPointF start, QPointF end, TArcKind kind, QPointF* startPoint,
                         QPointF* endPoint) const;
    QFont FontFor(double pixelHeight) const;

    QImage& FPicture;
    QPainter FPainter;
    QTransform FDeviceToPicture;
    double FPixelsPerMmX, FPixelsPerMmY;
    QPainterPath FPictureArea;
    TState FState;
    std::vector<TState> FSaved;
    std::map<std::uint32_t, TMetaObject> FObjects;
    std::set<std::uint32_t> FFreeSlots; // of the 16-bit format's fixed table
    std::uint32_t FTableSize = 0;
    QPainterPath FCurrentPath; // picture pixels
    bool FPathOpen = false;
};

} // namespace orvanto
