#include "imaging/metafile/metafile_player.h"

#include <QFontMetricsF>
#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvanto {

namespace {

constexpr std::size_t MostSavedStates = 4096;
constexpr std::size_t MostObjects = 65536;
constexpr std::uint32_t TextUpdatePosition = 1, TextRight = 2, TextCentre = 6, TextBottom = 8,
                        TextBaseline = 24;
constexpr std::uint32_t TextOpaque = 2, TextClipped = 4, TextGlyphIndices = 0x10;

bool Finite(const QTransform& t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21())
           && std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

double Sign(double v) { return v < 0 ? -1 : 1; }

// Points that left the usable range of floating point or of the rasteriser
// are refused as a whole shape; nothing sensible can be drawn from them.
bool Sane(const QRectF& r)
{
    constexpr double Limit = 1e7;
    return std::isfinite(r.left()) && std::isfinite(r.top()) && std::isfinite(r.right())
           && std::isfinite(r.bottom()) && std::abs(r.left()) < Limit && std::abs(r.right()) < Limit
           && std::abs(r.top()) < Limit && std::abs(r.bottom()) < Limit;
}

} // namespace

TMetaPlayer::TMetaPlayer(QImage& picture, const QTransform& deviceToPicture, double devicePixelsPerMmX,
                         double devicePixelsPerMmY)
    : FPicture(picture), FPainter(&picture), FDeviceToPicture(deviceToPicture),
      FPixelsPerMmX(devicePixelsPerMmX), FPixelsPerMmY(devicePixelsPerMmY)
{
    FPictureArea.addRect(QRectF(0, 0, picture.width(), picture.height()));
    FState.Pen.Colour = 0;
    FState.Brush.Colour = 0xFFFFFF;
    FPainter.setRenderHint(QPainter::Antialiasing, true);
    FPainter.setRenderHint(QPainter::TextAntialiasing, true);
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

TMetaPlayer::~TMetaPlayer() { FPainter.end(); }

// ---- mapping ---------------------------------------------------------------

QTransform TMetaPlayer::PageTransform() const
{
    double sx = 1, sy = 1;
    auto metric = [&](double mm) {
        sx = mm * FPixelsPerMmX;
        sy = -mm * FPixelsPerMmY;
    };
    switch (FState.MapMode) {
    case 2: metric(0.1); break;
    case 3: metric(0.01); break;
    case 4: metric(0.254); break;
    case 5: metric(0.0254); break;
    case 6: metric(25.4 / 1440); break;
    case 7:
    case 8: {
        const double wx = FState.WindowExt.x() == 0 ? 1 : FState.WindowExt.x();
        const double wy = FState.WindowExt.y() == 0 ? 1 : FState.WindowExt.y();
        sx = FState.ViewportExt.x() / wx;
        sy = FState.ViewportExt.y() / wy;
        if (FState.MapMode == 7) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = Sign(sx) * m;
            sy = Sign(sy) * m;
        }
        break;
    }
    default: break;
    }
    return QTransform(sx, 0, 0, sy, FState.ViewportOrg.x() - FState.WindowOrg.x() * sx,
                      FState.ViewportOrg.y() - FState.WindowOrg.y() * sy);
}

QTransform TMetaPlayer::Full() const
{
    const QTransform full = FState.World * PageTransform() * FDeviceToPicture;
    return Finite(full) ? full : QTransform(0, 0, 0, 0, 0, 0);
}

double TMetaPlayer::LinearScale() const
{
    const QTransform t = Full();
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

void TMetaPlayer::SetMapMode(int mode)
{
    if (mode >= 1 && mode <= 8)
        FState.MapMode = mode;
}
void TMetaPlayer::SetWindowOrg(double x, double y) { FState.WindowOrg = {x, y}; }
void TMetaPlayer::SetWindowExt(double x, double y)
{
    if (x != 0 && y != 0)
        FState.WindowExt = {x, y};
}
void TMetaPlayer::SetViewportOrg(double x, double y) { FState.ViewportOrg = {x, y}; }
void TMetaPlayer::SetViewportExt(double x, double y)
{
    if (x != 0 && y != 0)
        FState.ViewportExt = {x, y};
}
void TMetaPlayer::OffsetWindowOrg(double dx, double dy) { FState.WindowOrg += QPointF(dx, dy); }
void TMetaPlayer::OffsetViewportOrg(double dx, double dy) { FState.ViewportOrg += QPointF(dx, dy); }
void TMetaPlayer::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        SetWindowExt(FState.WindowExt.x() * xNum / xDenom, FState.WindowExt.y() * yNum / yDenom);
}
void TMetaPlayer::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        SetViewportExt(FState.ViewportExt.x() * xNum / xDenom, FState.ViewportExt.y() * yNum / yDenom);
}

void TMetaPlayer::SetWorldTransform(const QTransform& transform)
{
    if (Finite(transform))
        FState.World = transform;
}

void TMetaPlayer::ModifyWorldTransform(const QTransform& transform, std::uint32_t mode)
{
    if (mode == 1)
        FState.World = QTransform();
    else if (mode == 2)
        SetWorldTransform(transform * FState.World);
    else if (mode == 3)
        SetWorldTransform(FState.World * transform);
    else if (mode == 4)
        SetWorldTransform(transform);
}

void TMetaPlayer::SaveDC()
{
    if (FSaved.size() < MostSavedStates)
        FSaved.push_back(FState);
}

void TMetaPlayer::RestoreDC(int which)
{
    // Negative: relative to the newest saved state; positive: the which-th
    // saved state counted from the first.
    std::size_t keep;
    if (which < 0) {
        const std::size_t back = std::size_t(-std::int64_t(which));
        if (back > FSaved.size())
            return;
        keep = FSaved.size() - back;
    } else {
        if (which == 0 || std::size_t(which) > FSaved.size())
            return;
        keep = std::size_t(which) - 1;
    }
    FState = FSaved[keep];
    FSaved.resize(keep);
}

// ---- objects ---------------------------------------------------------------

void TMetaPlayer::CreateObject(std::uint32_t index, TMetaObject object)
{
    if (FObjects.size() >= MostObjects && FObjects.count(index) == 0)
        return;
    FObjects[index] = std::move(object);
}

void TMetaPlayer::SetObjectTableSize(std::uint32_t size)
{
    FTableSize = std::min<std::uint32_t>(size, MostObjects);
    FFreeSlots.clear();
    for (std::uint32_t i = 0; i < FTableSize; ++i)
        FFreeSlots.insert(i);
}

void TMetaPlayer::AddObject(TMetaObject object)
{
    // The 16-bit format refers to objects by the lowest free slot of its
    // table at the time they were made; a full table refuses the object.
    if (FFreeSlots.empty())
        return;
    const std::uint32_t index = *FFreeSlots.begin();
    FFreeSlots.erase(FFreeSlots.begin());
    FObjects[index] = std::move(object);
}

const TMetaObject* TMetaPlayer::Object(std::uint32_t index) const
{
    const auto found = FObjects.find(index);
    return found == FObjects.end() ? nullptr : &found->second;
}

void TMetaPlayer::SelectObject(std::uint32_t index)
{
    if (index & 0x80000000u) {
        SelectStockObject(index & 0x7FFFFFFFu);
        return;
    }
    const TMetaObject* object = Object(index);
    if (!object)
        return;
    switch (object->Kind) {
    case TMetaObject::TKind::Pen: FState.Pen = object->Pen; break;
    case TMetaObject::TKind::Brush: FState.Brush = object->Brush; break;
    case TMetaObject::TKind::Font: FState.Font = object->Font; break;
    case TMetaObject::TKind::Palette: FState.Palette = object->Palette; break;
    case TMetaObject::TKind::Region: SelectClipRegionLogical(object->Region); break;
    case TMetaObject::TKind::None: break;
    }
}

void TMetaPlayer::SelectStockObject(std::uint32_t stock)
{
    static const std::uint32_t greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (stock <= 4 || stock == 18) {
        FState.Brush = TMetaBrush();
        FState.Brush.Colour = stock == 18 ? 0xFFFFFF : greys[stock];
    } else if (stock == 5) {
        FState.Brush = TMetaBrush();
        FState.Brush.Style = 1;
    } else if (stock >= 6 && stock <= 8) {
        FState.Pen = TMetaPen();
        FState.Pen.Colour = stock == 6 ? 0xFFFFFF : 0;
        FState.Pen.Style = stock == 8 ? 5 : 0;
    } else if (stock == 19) {
        FState.Pen = TMetaPen();
    } else if (stock == 15) {
        FState.Palette.clear();
    } else if (stock >= 10 && stock <= 17) {
        FState.Font = TMetaFont();
    }
}

void TMetaPlayer::DeleteObject(std::uint32_t index)
{
    if (FObjects.erase(index) != 0 && index < FTableSize)
        FFreeSlots.insert(index);
}

QColor TMetaPlayer::ColourOf(std::uint32_t colour) const
{
    // A palette-index colour names an entry of the selected palette.
    if ((colour >> 24) == 1 && (colour & 0xFFFF) < FState.Palette.size())
        return QColor(FState.Palette[colour & 0xFFFF]);
    return QColor(int(colour & 255), int(colour >> 8 & 255), int(colour >> 16 & 255));
}

// ---- output ----------------------------------------------------------------

void TMetaPlayer::ApplyClip()
{
    FPainter.setTransform(QTransform());
    if (FState.Clip)
        FPainter.setClipPath(*FState.Clip);
    else
        FPainter.setClipping(false);
}

bool TMetaPlayer::ApplyRop2()
{
    static const QPainter::CompositionMode modes[17] = {
        QPainter::CompositionMode_SourceOver,
        QPainter::CompositionMode_SourceOver,                 // black
        QPainter::RasterOp_NotSourceAndNotDestination,        // not merge pen
        QPainter::RasterOp_NotSourceAndDestination,           // mask not pen
        QPainter::RasterOp_NotSource,                         // not copy pen
        QPainter::RasterOp_SourceAndNotDestination,           // mask pen not
        QPainter::RasterOp_NotDestination,                    // not
        QPainter::RasterOp_SourceXorDestination,              // xor pen
        QPainter::RasterOp_NotSourceOrNotDestination,         // not mask pen
        QPainter::RasterOp_SourceAndDestination,              // mask pen
        QPainter::RasterOp_NotSourceXorDestination,           // not xor pen
        QPainter::CompositionMode_Destination,                // nop
        QPainter::RasterOp_NotSourceOrDestination,            // merge not pen
        QPainter::CompositionMode_SourceOver,                 // copy pen
        QPainter::RasterOp_SourceOrNotDestination,            // merge pen not
        QPainter::RasterOp_SourceOrDestination,               // merge pen
        QPainter::CompositionMode_SourceOver,                 // white
    };
    const int rop = FState.Rop2 >= 1 && FState.Rop2 <= 16 ? FState.Rop2 : 13;
    if (rop == 11)
        return false;
    FPainter.setCompositionMode(modes[rop]);
    // Bitwise modes on blended edge pixels would leave fringes.
    FPainter.setRenderHint(QPainter::Antialiasing, modes[rop] == QPainter::CompositionMode_SourceOver);
    return true;
}

void TMetaPlayer::FillDevice(const QPainterPath& device, const TMetaBrush& brush)
{
    if (brush.Style == 1 || device.isEmpty())
        return;
    ApplyClip();
    if (!ApplyRop2())
        return;
    QColor colour = ColourOf(brush.Colour);
    if (FState.Rop2 == 1)
        colour = Qt::black;
    else if (FState.Rop2 == 16)
        colour = Qt::white;
    QBrush fill(colour);
    if (brush.Style == 2) {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,  Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        if (FState.BkMode == 2)
            FPainter.fillPath(device, ColourOf(FState.BkColour));
        fill = QBrush(colour, brush.Hatch < 6 ? hatches[brush.Hatch] : Qt::SolidPattern);
    } else if ((brush.Style == 3 || brush.Style == 5 || brush.Style == 6) && !brush.Pattern.isNull()) {
        fill = QBrush(brush.Pattern);
    }
    FPainter.fillPath(device, fill);
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TMetaPlayer::StrokeDevice(const QPainterPath& device)
{
    const TMetaPen& pen = FState.Pen;
    if ((pen.Style & 0xF) == 5 || device.isEmpty())
        return;
    ApplyClip();
    if (!ApplyRop2())
        return;
    QColor colour = ColourOf(pen.Colour);
    if (FState.Rop2 == 1)
        colour = Qt::black;
    else if (FState.Rop2 == 16)
        colour = Qt::white;
    const bool geometric = (pen.Style & 0xF0000) == 0x10000;
    const bool extended = (pen.Style & 0xFFFF0) != 0 || geometric;
    double width = (extended && !geometric) ? 1 : pen.Width * LinearScale();
    const double most = 4.0 * (FPicture.width() + FPicture.height());
    width = std::clamp(width, 1.0, most);
    QPen qpen(colour, width);
    qpen.setCapStyle(Qt::RoundCap);
    qpen.setJoinStyle(Qt::RoundJoin);
    if (geometric) {
        const std::uint32_t cap = pen.Style & 0xF00, join = pen.Style & 0xF000;
        qpen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
        qpen.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
        qpen.setMiterLimit(FState.MiterLimit);
    }
    // Dash lengths in pen widths; thin pens use the fixed pixel patterns of
    // the original device.
    const bool thin = width < 1.5;
    switch (pen.Style & 0xF) {
    case 1: qpen.setDashPattern(thin ? QList<qreal>{18, 6} : QList<qreal>{3, 1}); break;
    case 2: qpen.setDashPattern(thin ? QList<qreal>{3, 3} : QList<qreal>{1, 1}); break;
    case 3: qpen.setDashPattern(thin ? QList<qreal>{9, 6, 3, 6} : QList<qreal>{3, 1, 1, 1}); break;
    case 4: qpen.setDashPattern(thin ? QList<qreal>{9, 3, 3, 3, 3, 3} : QList<qreal>{3, 1, 1, 1, 1, 1}); break;
    case 7:
        if (!pen.Dashes.empty()) {
            QList<qreal> dashes;
            for (double d : pen.Dashes)
                dashes.push_back(std::clamp(d * LinearScale() / width, 0.1, 1000.0));
            if (dashes.size() % 2)
                dashes.push_back(dashes.back());
            qpen.setDashPattern(dashes);
        }
        break;
    default: break;
    }
    if (qpen.style() != Qt::SolidLine)
        qpen.setCapStyle(Qt::FlatCap);
    FPainter.strokePath(device, qpen);
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TMetaPlayer::Output(const QPainterPath& logical, bool fill, bool stroke)
{
    QPainterPath device = Full().map(logical);
    if (FPathOpen) {
        FCurrentPath.addPath(device);
        return;
    }
    if (!Sane(device.boundingRect()))
        return;
    device.setFillRule(FState.FillWinding ? Qt::WindingFill : Qt::OddEvenFill);
    if (fill)
        FillDevice(device, FState.Brush);
    if (stroke)
        StrokeDevice(device);
}

// ---- drawing ---------------------------------------------------------------

void TMetaPlayer::MoveTo(QPointF point)
{
    FState.Position = point;
    if (FPathOpen)
        FCurrentPath.moveTo(Full().map(point));
}

void TMetaPlayer::LineTo(QPointF point)
{
    PolylineTo({point});
}

void TMetaPlayer::Polyline(const std::vector<QPointF>& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path(points[0]);
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    Output(path, false, true);
}

void TMetaPlayer::PolylineTo(const std::vector<QPointF>& points)
{
    if (points.empty())
        return;
    if (FPathOpen) {
        const QTransform full = Full();
        if (FCurrentPath.elementCount() == 0)
            FCurrentPath.moveTo(full.map(FState.Position));
        for (const QPointF& p : points)
            FCurrentPath.lineTo(full.map(p));
    } else {
        QPainterPath path(FState.Position);
        for (const QPointF& p : points)
            path.lineTo(p);
        Output(path, false, true);
    }
    FState.Position = points.back();
}

void TMetaPlayer::Polygon(const std::vector<QPointF>& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points.begin(), points.end())));
    path.closeSubpath();
    Output(path, true, true);
}

void TMetaPlayer::PolyPolygon(const std::vector<std::vector<QPointF>>& polygons)
{
    QPainterPath path;
    for (const auto& points : polygons) {
        if (points.size() < 2)
            continue;
        path.addPolygon(QPolygonF(QList<QPointF>(points.begin(), points.end())));
        path.closeSubpath();
    }
    Output(path, true, true);
}

void TMetaPlayer::PolyPolyline(const std::vector<std::vector<QPointF>>& lines)
{
    QPainterPath path;
    for (const auto& points : lines) {
        if (points.size() < 2)
            continue;
        path.moveTo(points[0]);
        for (std::size_t i = 1; i < points.size(); ++i)
            path.lineTo(points[i]);
    }
    Output(path, false, true);
}

void TMetaPlayer::PolyBezier(const std::vector<QPointF>& points)
{
    if (points.size() < 4)
        return;
    QPainterPath path(points[0]);
    for (std::size_t i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    Output(path, false, true);
}

void TMetaPlayer::PolyBezierTo(const std::vector<QPointF>& points)
{
    if (points.size() < 3)
        return;
    if (FPathOpen) {
        const QTransform full = Full();
        if (FCurrentPath.elementCount() == 0)
            FCurrentPath.moveTo(full.map(FState.Position));
        for (std::size_t i = 0; i + 2 < points.size(); i += 3)
            FCurrentPath.cubicTo(full.map(points[i]), full.map(points[i + 1]), full.map(points[i + 2]));
    } else {
        QPainterPath path(FState.Position);
        for (std::size_t i = 0; i + 2 < points.size(); i += 3)
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
        Output(path, false, true);
    }
    FState.Position = points[points.size() / 3 * 3 - 1];
}

void TMetaPlayer::PolyDraw(const std::vector<QPointF>& points, const std::vector<std::uint8_t>& types)
{
    QPainterPath path(FState.Position);
    QPointF figureStart = FState.Position;
    for (std::size_t i = 0; i < points.size() && i < types.size(); ++i) {
        const int type = types[i] & ~1;
        if (type == 6) {
            path.moveTo(points[i]);
            figureStart = points[i];
        } else if (type == 2) {
            path.lineTo(points[i]);
        } else if (type == 4 && i + 2 < points.size()) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        }
        if (types[std::min(i, types.size() - 1)] & 1) {
            path.closeSubpath();
        }
        FState.Position = points[std::min(i, points.size() - 1)];
    }
    (void)figureStart;
    Output(path, false, true);
}

void TMetaPlayer::Rectangle(QRectF box)
{
    QPainterPath path;
    path.addRect(box.normalized());
    Output(path, true, true);
}

void TMetaPlayer::RoundRect(QRectF box, QSizeF corner)
{
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    Output(path, true, true);
}

void TMetaPlayer::Ellipse(QRectF box)
{
    QPainterPath path;
    path.addEllipse(box.normalized());
    Output(path, true, true);
}

QPainterPath TMetaPlayer::ArcPath(QRectF box, QPointF start, QPointF end, TArcKind kind,
                                  QPointF* startPoint, QPointF* endPoint) const
{
    box = box.normalized();
    const QPointF c = box.center();
    const double a = std::max(box.width() / 2, 1e-9), b = std::max(box.height() / 2, 1e-9);
    // Angles of the ellipse's own parameter, counter-clockwise as seen with
    // y growing downwards, the way QPainterPath measures them.
    auto angle = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / b, (p.x() - c.x()) / a) * 180 / std::numbers::pi;
    };
    const double from = angle(start), to = angle(end);
    double sweep = to - from;
    // The direction is counter-clockwise on the device; a mirroring mapping
    // turns it around in logical space.
    const QTransform full = Full();
    const bool mirrored = full.m11() * full.m22() - full.m12() * full.m21() < 0;
    const bool clockwise = FState.ArcClockwise != mirrored;
    if (clockwise) {
        while (sweep >= 0)
            sweep -= 360;
    } else {
        while (sweep <= 0)
            sweep += 360;
    }
    QPainterPath path;
    if (kind == TArcKind::Pie)
        path.moveTo(c);
    QPainterPath arc;
    arc.arcMoveTo(box, from);
    if (startPoint)
        *startPoint = arc.currentPosition();
    if (kind == TArcKind::Pie)
        path.lineTo(arc.currentPosition());
    else
        path.moveTo(arc.currentPosition());
    path.arcTo(box, from, sweep);
    if (endPoint)
        *endPoint = path.currentPosition();
    if (kind == TArcKind::Chord || kind == TArcKind::Pie)
        path.closeSubpath();
    return path;
}

void TMetaPlayer::ArcShape(QRectF box, QPointF start, QPointF end, TArcKind kind)
{
    QPointF arcStart, arcEnd;
    QPainterPath path = ArcPath(box, start, end, kind, &arcStart, &arcEnd);
    if (kind == TArcKind::ArcTo) {
        QPainterPath joined(FState.Position);
        joined.connectPath(path);
        path = joined;
        FState.Position = arcEnd;
        if (FPathOpen) {
            if (FCurrentPath.elementCount() == 0)
                FCurrentPath.moveTo(Full().map(joined.elementAt(0)));
            FCurrentPath.connectPath(Full().map(path));
            return;
        }
    }
    const bool closed = kind == TArcKind::Chord || kind == TArcKind::Pie;
    Output(path, closed, true);
}

void TMetaPlayer::AngleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees)
{
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees) || std::abs(sweepDegrees) > 1e6)
        return;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(FState.Position);
    QPainterPath arc;
    arc.arcMoveTo(box, startDegrees);
    arc.arcTo(box, startDegrees, std::clamp(sweepDegrees, -3600.0, 3600.0));
    path.connectPath(arc);
    FState.Position = arc.currentPosition();
    if (FPathOpen) {
        if (FCurrentPath.elementCount() == 0)
            FCurrentPath.moveTo(Full().map(path.elementAt(0)));
        FCurrentPath.connectPath(Full().map(path));
        return;
    }
    Output(path, false, true);
}

void TMetaPlayer::SetPixel(QPointF point, std::uint32_t colour)
{
    const QPointF p = Full().map(point);
    if (!Sane(QRectF(p, p)))
        return;
    ApplyClip();
    FPainter.fillRect(QRectF(std::floor(p.x()), std::floor(p.y()), 1, 1), ColourOf(colour));
}

void TMetaPlayer::FillRegion(const QPainterPath& logical, const TMetaBrush& brush)
{
    const QPainterPath device = Full().map(logical);
    if (Sane(device.boundingRect()))
        FillDevice(device, brush);
}

void TMetaPlayer::FrameRegion(const QPainterPath& logical, const TMetaBrush& brush, double width, double height)
{
    const TMetaPen kept = FState.Pen;
    FState.Pen = TMetaPen();
    FState.Pen.Colour = brush.Colour;
    FState.Pen.Width = std::max(std::abs(width), std::abs(height));
    const QPainterPath device = Full().map(logical);
    if (Sane(device.boundingRect()))
        StrokeDevice(device);
    FState.Pen = kept;
}

void TMetaPlayer::InvertRegion(const QPainterPath& logical)
{
    const QPainterPath device = Full().map(logical);
    if (!Sane(device.boundingRect()))
        return;
    ApplyClip();
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    FPainter.setCompositionMode(QPainter::RasterOp_NotDestination);
    FPainter.fillPath(device, Qt::black);
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TMetaPlayer::PaintRegion(const QPainterPath& logical) { FillRegion(logical, FState.Brush); }

void TMetaPlayer::GradientRect(QRectF box, QColor from, QColor to, bool vertical)
{
    const QTransform full = Full();
    QPainterPath path;
    path.addRect(box);
    const QPainterPath device = full.map(path);
    if (!Sane(device.boundingRect()))
        return;
    QLinearGradient gradient(full.map(box.topLeft()), full.map(vertical ? box.bottomLeft() : box.topRight()));
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    ApplyClip();
    FPainter.fillPath(device, gradient);
}

void TMetaPlayer::GradientTriangle(const QPointF corners[3], const QColor colours[3])
{
    // Three-colour shading has no direct counterpart; the mean colour keeps
    // the area and the overall tone.
    QPainterPath path;
    path.addPolygon(QPolygonF({corners[0], corners[1], corners[2]}));
    path.closeSubpath();
    const QPainterPath device = Full().map(path);
    if (!Sane(device.boundingRect()))
        return;
    const QColor mean((colours[0].red() + colours[1].red() + colours[2].red()) / 3,
                      (colours[0].green() + colours[1].green() + colours[2].green()) / 3,
                      (colours[0].blue() + colours[1].blue() + colours[2].blue()) / 3);
    ApplyClip();
    FPainter.fillPath(device, mean);
}

// ---- paths -----------------------------------------------------------------

void TMetaPlayer::BeginPath()
{
    FCurrentPath = QPainterPath();
    FPathOpen = true;
}

void TMetaPlayer::AbortPath()
{
    FCurrentPath = QPainterPath();
    FPathOpen = false;
}

void TMetaPlayer::CloseFigure()
{
    if (FPathOpen)
        FCurrentPath.closeSubpath();
}

void TMetaPlayer::FillPath()
{
    FPathOpen = false;
    FCurrentPath.setFillRule(FState.FillWinding ? Qt::WindingFill : Qt::OddEvenFill);
    if (Sane(FCurrentPath.boundingRect()))
        FillDevice(FCurrentPath, FState.Brush);
    FCurrentPath = QPainterPath();
}

void TMetaPlayer::StrokePath()
{
    FPathOpen = false;
    if (Sane(FCurrentPath.boundingRect()))
        StrokeDevice(FCurrentPath);
    FCurrentPath = QPainterPath();
}

void TMetaPlayer::StrokeAndFillPath()
{
    FPathOpen = false;
    FCurrentPath.setFillRule(FState.FillWinding ? Qt::WindingFill : Qt::OddEvenFill);
    if (Sane(FCurrentPath.boundingRect())) {
        FillDevice(FCurrentPath, FState.Brush);
        StrokeDevice(FCurrentPath);
    }
    FCurrentPath = QPainterPath();
}

void TMetaPlayer::SelectClipPath(std::uint32_t mode)
{
    FPathOpen = false;
    FCurrentPath.setFillRule(FState.FillWinding ? Qt::WindingFill : Qt::OddEvenFill);
    if (Sane(FCurrentPath.boundingRect()))
        CombineClip(FCurrentPath, mode);
    FCurrentPath = QPainterPath();
}

// ---- clipping --------------------------------------------------------------

void TMetaPlayer::CombineClip(const QPainterPath& device, std::uint32_t mode)
{
    const QPainterPath current = FState.Clip ? *FState.Clip : FPictureArea;
    QPainterPath simple = device.simplified();
    switch (mode) {
    case RgnAnd: FState.Clip = current.intersected(simple); break;
    case RgnOr: FState.Clip = current.united(simple); break;
    case RgnXor: FState.Clip = current.united(simple).subtracted(current.intersected(simple)); break;
    case RgnDiff: FState.Clip = current.subtracted(simple); break;
    case RgnCopy: FState.Clip = simple.intersected(FPictureArea); break;
    default: break;
    }
}

void TMetaPlayer::IntersectClipRect(QRectF box)
{
    QPainterPath path;
    path.addRect(box.normalized());
    const QPainterPath device = Full().map(path);
    if (Sane(device.boundingRect()))
        CombineClip(device, RgnAnd);
}

void TMetaPlayer::ExcludeClipRect(QRectF box)
{
    QPainterPath path;
    path.addRect(box.normalized());
    const QPainterPath device = Full().map(path);
    if (Sane(device.boundingRect()))
        CombineClip(device, RgnDiff);
}

void TMetaPlayer::OffsetClip(double dx, double dy)
{
    if (!FState.Clip)
        return;
    const QTransform full = Full();
    const QPointF shift = full.map(QPointF(dx, dy)) - full.map(QPointF(0, 0));
    FState.Clip = FState.Clip->translated(shift);
}

void TMetaPlayer::SelectClipRegion(const std::optional<QPainterPath>& device, std::uint32_t mode)
{
    if (!device) {
        if (mode == RgnCopy)
            FState.Clip.reset();
        return;
    }
    const QPainterPath picture = FDeviceToPicture.map(*device);
    if (Sane(picture.boundingRect()))
        CombineClip(picture, mode);
}

void TMetaPlayer::SelectClipRegionLogical(const std::optional<QPainterPath>& logical)
{
    if (!logical) {
        FState.Clip.reset();
        return;
    }
    const QPainterPath device = Full().map(*logical);
    if (Sane(device.boundingRect()))
        CombineClip(device, RgnCopy);
}

// ---- text ------------------------------------------------------------------

QFont TMetaPlayer::FontFor(double pixelHeight) const
{
    const TMetaFont& f = FState.Font;
    QFont font(f.Face.isEmpty() ? QStringLiteral("Sans Serif") : f.Face);
    font.setWeight(QFont::Weight(std::clamp(f.Weight == 0 ? 400 : f.Weight, 100, 900)));
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    font.setKerning(false);
    font.setPixelSize(std::max(1, int(std::lround(pixelHeight))));
    if (f.Height > 0) {
        // A positive height is the cell (ascent plus descent), not the em.
        const QFontMetricsF metrics(font);
        const double cell = metrics.ascent() + metrics.descent();
        if (cell > 0)
            font.setPixelSize(std::max(1, int(std::lround(pixelHeight * pixelHeight / cell))));
    }
    return font;
}

void TMetaPlayer::Text(QPointF reference, const QString& text, const std::vector<double>& dx,
                       std::uint32_t options, std::optional<QRectF> box)
{
    const QTransform full = Full();
    const double most = 4.0 * (FPicture.width() + FPicture.height()) + 16;
    if (box && (options & TextOpaque)) {
        QPainterPath area;
        area.addRect(box->normalized());
        const QPainterPath device = full.map(area);
        if (Sane(device.boundingRect())) {
            ApplyClip();
            FPainter.fillPath(device, ColourOf(FState.BkColour));
        }
    }
    if (text.isEmpty() || (options & TextGlyphIndices))
        return;

    const QPointF origin = full.map(QPointF(0, 0));
    const double scaleX = QLineF(origin, full.map(QPointF(1, 0))).length();
    const double scaleY = QLineF(origin, full.map(QPointF(0, 1))).length();
    double height = FState.Font.Height == 0 ? 12 : std::abs(FState.Font.Height) * scaleY;
    if (!std::isfinite(height) || height < 0.5)
        return;
    height = std::min(height, most);
    const QFont font = FontFor(height);
    const QFontMetricsF metrics(font);

    const bool updatePosition = FState.TextAlign & TextUpdatePosition;
    const QPointF anchorLogical = updatePosition ? FState.Position : reference;
    const QPointF anchor = full.map(anchorLogical);
    if (!Sane(QRectF(anchor, anchor)))
        return;

    // Where each code unit starts along the baseline, in pixels.
    std::vector<double> at(std::size_t(text.size()) + 1, 0.0);
    for (qsizetype i = 0; i < text.size(); ++i) {
        double advance;
        if (std::size_t(i) < dx.size())
            advance = dx[std::size_t(i)] * scaleX;
        else if (text[i].isHighSurrogate() || text[i].isLowSurrogate())
            advance = text[i].isHighSurrogate() && i + 1 < text.size()
                          ? metrics.horizontalAdvance(text.mid(i, 2)) : 0;
        else
            advance = metrics.horizontalAdvance(text[i]) + FState.CharExtra * scaleX;
        at[std::size_t(i) + 1] = at[std::size_t(i)] + std::clamp(advance, -most, most);
    }
    const double width = at.back();

    const QTransform& w = FState.World;
    const QTransform page = PageTransform();
    const double flip = Sign(page.m11()) * Sign(page.m22());
    double angle = std::atan2(w.m12() * flip, w.m11()) * 180 / std::numbers::pi;
    angle -= FState.Font.Escapement / 10.0;

    double x = 0, y = 0;
    const std::uint32_t horizontal = FState.TextAlign & TextCentre;
    if (horizontal == TextCentre)
        x = -width / 2;
    else if (horizontal == TextRight)
        x = -width;
    const std::uint32_t vertical = FState.TextAlign & TextBaseline;
    if (vertical == TextBaseline)
        y = 0;
    else if (vertical == TextBottom)
        y = -metrics.descent();
    else
        y = metrics.ascent();

    ApplyClip();
    if (box && (options & TextClipped)) {
        QPainterPath area;
        area.addRect(box->normalized());
        const QPainterPath device = full.map(area);
        if (Sane(device.boundingRect()))
            FPainter.setClipPath(device, FState.Clip ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    FPainter.setTransform(QTransform().translate(anchor.x(), anchor.y()).rotate(angle));
    if (FState.BkMode == 2)
        FPainter.fillRect(QRectF(x + std::min(0.0, width), y - metrics.ascent(), std::abs(width),
                                metrics.ascent() + metrics.descent()),
                         ColourOf(FState.BkColour));
    FPainter.setFont(font);
    FPainter.setPen(ColourOf(FState.TextColour));
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype units = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            units = 2;
        else if (text[i].isSurrogate())
            continue;
        FPainter.drawText(QPointF(x + at[std::size_t(i)], y), text.mid(i, units));
        i += units - 1;
    }
    FPainter.setTransform(QTransform());
    if (updatePosition) {
        const double radians = angle * std::numbers::pi / 180;
        const QPointF end = anchor + QPointF(std::cos(radians), std::sin(radians)) * width;
        bool invertible = false;
        const QTransform back = full.inverted(&invertible);
        if (invertible)
            FState.Position = back.map(end);
    }
}

// ---- bitmaps ---------------------------------------------------------------

void TMetaPlayer::Blit(QRectF destination, const QImage& source, QRectF sourceRect, std::uint32_t rop)
{
    const QTransform full = Full();
    QPainterPath area;
    area.addRect(destination);
    const QPainterPath device = full.map(area);
    if (!Sane(device.boundingRect()) || destination.width() == 0 || destination.height() == 0)
        return;
    ApplyClip();
    const std::uint32_t code = rop >> 16 & 0xFF;
    // Operations that do not read the source: pattern, black, white, invert.
    switch (code) {
    case 0x00: FPainter.fillPath(device, Qt::black); return;
    case 0xFF: FPainter.fillPath(device, Qt::white); return;
    case 0xF0: FillDevice(device, FState.Brush); return;
    case 0x55:
    case 0x5A: {
        FPainter.setRenderHint(QPainter::Antialiasing, false);
        FPainter.setCompositionMode(code == 0x55 ? QPainter::RasterOp_NotDestination
                                                : QPainter::RasterOp_SourceXorDestination);
        FPainter.fillPath(device, ColourOf(FState.Brush.Colour));
        FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    case 0xAA: return;
    default: break;
    }
    if (source.isNull() || sourceRect.width() == 0 || sourceRect.height() == 0)
        return;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (code) {
    case 0xEE: mode = QPainter::RasterOp_SourceOrDestination; break;
    case 0x88: mode = QPainter::RasterOp_SourceAndDestination; break;
    case 0x66: mode = QPainter::RasterOp_SourceXorDestination; break;
    case 0x44: mode = QPainter::RasterOp_SourceAndNotDestination; break;
    case 0x33: mode = QPainter::RasterOp_NotSource; break;
    case 0x11: mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case 0xBB: mode = QPainter::RasterOp_NotSourceOrDestination; break;
    case 0x22: mode = QPainter::RasterOp_NotSourceAndDestination; break;
    case 0x99: mode = QPainter::RasterOp_NotSourceXorDestination; break;
    default: break; // copy, and the rarer mixes shown as copies
    }
    const QTransform place = QTransform(destination.width() / sourceRect.width(), 0, 0,
                                        destination.height() / sourceRect.height(),
                                        destination.x() - sourceRect.x() * destination.width() / sourceRect.width(),
                                        destination.y() - sourceRect.y() * destination.height() / sourceRect.height());
    const QImage opaque = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    FPainter.setTransform(place * full);
    FPainter.setCompositionMode(mode);
    FPainter.setRenderHint(QPainter::Antialiasing, mode == QPainter::CompositionMode_SourceOver);
    // Enlarged bitmaps keep hard pixel edges, as the stretch modes of the
    // original device do; reduced ones are averaged.
    const QRectF shown = (place * full).mapRect(sourceRect);
    const bool reduced = shown.width() < sourceRect.width() || shown.height() < sourceRect.height();
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, mode == QPainter::CompositionMode_SourceOver && reduced);
    FPainter.drawImage(sourceRect, opaque, sourceRect);
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    FPainter.setTransform(QTransform());
}

void TMetaPlayer::AlphaBlit(QRectF destination, const QImage& source, QRectF sourceRect, int constantAlpha,
                            bool perPixelAlpha)
{
    const QTransform full = Full();
    QPainterPath area;
    area.addRect(destination);
    if (!Sane(full.map(area).boundingRect()) || source.isNull() || sourceRect.width() == 0
        || sourceRect.height() == 0 || destination.width() == 0 || destination.height() == 0)
        return;
    QImage image;
    if (perPixelAlpha) {
        // The bits are premultiplied; a colour above its alpha is damage and
        // is clamped so the compositing stays within range.
        image = source.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(row[x]);
                row[x] = qRgba(std::min(qRed(row[x]), a), std::min(qGreen(row[x]), a),
                               std::min(qBlue(row[x]), a), a);
            }
        }
        image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    } else {
        image = source.convertToFormat(QImage::Format_RGB32);
    }
    const QTransform place = QTransform(destination.width() / sourceRect.width(), 0, 0,
                                        destination.height() / sourceRect.height(),
                                        destination.x() - sourceRect.x() * destination.width() / sourceRect.width(),
                                        destination.y() - sourceRect.y() * destination.height() / sourceRect.height());
    ApplyClip();
    FPainter.setTransform(place * full);
    FPainter.setOpacity(std::clamp(constantAlpha, 0, 255) / 255.0);
    FPainter.drawImage(sourceRect, image, sourceRect);
    FPainter.setOpacity(1);
    FPainter.setTransform(QTransform());
}

} // namespace orvanto
