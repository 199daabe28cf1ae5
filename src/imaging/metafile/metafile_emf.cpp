#include "imaging/metafile/metafile_dib.h"
#include "imaging/metafile/metafile_formats.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace orvanto {

namespace {

constexpr std::uint32_t EmfSignature = 0x464D4520; // " EMF"

QPointF PointL(const TMetaBytes& r, std::size_t at) { return QPointF(r.I32(at), r.I32(at + 4)); }

QRectF RectL(const TMetaBytes& r, std::size_t at)
{
    return QRectF(QPointF(r.I32(at), r.I32(at + 4)), QPointF(r.I32(at + 8), r.I32(at + 12)));
}

QTransform XForm(const TMetaBytes& r, std::size_t at)
{
    return QTransform(r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20));
}

std::vector<QPointF> Points(const TMetaBytes& r, std::size_t at, std::size_t count, bool small)
{
    std::vector<QPointF> points;
    const std::size_t each = small ? 4 : 8;
    if (count > r.Size() / each || !r.Has(at, count * each)) {
        r.MarkBad();
        return points;
    }
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t p = at + i * each;
        points.push_back(small ? QPointF(r.I16(p), r.I16(p + 2)) : QPointF(r.I32(p), r.I32(p + 4)));
    }
    return points;
}

// Region data: a 32-byte header, then nCount rectangles.
std::optional<QPainterPath> ReadRegion(const TMetaBytes& data)
{
    if (data.Size() < 32)
        return std::nullopt;
    const std::uint32_t count = data.U32(8);
    QPainterPath region;
    for (std::uint32_t i = 0; i < count && data.Has(32 + 16 * std::size_t(i), 16); ++i)
        region.addRect(RectL(data, 32 + 16 * std::size_t(i)).normalized());
    region.setFillRule(Qt::WindingFill);
    return region;
}

TMetaBytes Block(const TMetaBytes& r, std::uint32_t offset, std::uint32_t size)
{
    if (size == 0)
        return TMetaBytes();
    return r.Sub(offset, size);
}

// bottomUp, when given, receives whether the rows are stored bottom first.
QImage Bitmap(const TMetaBytes& r, std::size_t infoAt, std::uint32_t usage, const TMetaPlayer& player,
              bool keepAlpha = false, bool* bottomUp = nullptr)
{
    const std::uint32_t infoOffset = r.U32(infoAt), infoSize = r.U32(infoAt + 4);
    const std::uint32_t bitsOffset = r.U32(infoAt + 8), bitsSize = r.U32(infoAt + 12);
    if (infoSize == 0)
        return QImage();
    const TMetaBytes info = Block(r, infoOffset, infoSize), bits = Block(r, bitsOffset, bitsSize);
    if (info.Bad() || bits.Bad())
        return QImage();
    if (bottomUp)
        *bottomUp = DibBottomUp(info);
    return DecodeDib(info, bits, usage == 1 ? TDibColours::PaletteIndices : TDibColours::Rgb, player.Palette(),
                     keepAlpha);
}

TMetaObject MakeFont(const TMetaBytes& r)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Font;
    TMetaFont& f = o.Font;
    f.Height = r.I32(12);
    f.Width = r.I32(16);
    f.Escapement = r.I32(20);
    f.Weight = r.I32(28);
    f.Italic = r.U8(32) != 0;
    f.Underline = r.U8(33) != 0;
    f.StrikeOut = r.U8(34) != 0;
    f.CharSet = r.U8(35);
    for (std::size_t i = 0; i < 32 && r.Has(40 + 2 * i, 2) && r.U16(40 + 2 * i) != 0; ++i)
        f.Face.push_back(QChar(char16_t(r.U16(40 + 2 * i))));
    return o;
}

TMetaObject MakeExtPen(const TMetaBytes& r, const TMetaPlayer& player)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Pen;
    o.Pen.Style = r.U32(28);
    o.Pen.Width = r.U32(32);
    o.Pen.Colour = r.U32(40);
    const std::uint32_t brushStyle = r.U32(36);
    if (brushStyle == 1)
        o.Pen.Style = (o.Pen.Style & ~0xFu) | 5;
    const std::uint32_t entries = r.U32(48);
    for (std::uint32_t i = 0; i < entries && i < 64 && r.Has(52 + 4 * std::size_t(i), 4); ++i)
        o.Pen.Dashes.push_back(r.U32(52 + 4 * std::size_t(i)));
    (void)player;
    return o;
}

void Text(const TMetaBytes& r, TMetaPlayer& player, bool wide)
{
    // The text record: bounds, graphics mode, scales, then the text block
    // whose offsets count from the start of the record.
    const QPointF reference = PointL(r, 36);
    const std::uint32_t count = r.U32(44), offString = r.U32(48), options = r.U32(52);
    const QRectF box = RectL(r, 56);
    const std::uint32_t offDx = r.U32(72);
    if (r.Bad() || count > r.Size())
        return;
    const TMetaBytes text = r.Sub(offString, std::size_t(count) * (wide ? 2 : 1));
    if (text.Bad())
        return;
    QString string;
    if (wide) {
        for (std::uint32_t i = 0; i < count; ++i)
            string.push_back(QChar(char16_t(text.U16(2 * std::size_t(i)))));
    } else {
        string = DecodeCharSetText(text, player.CharSet());
    }
    std::vector<double> dx;
    const std::size_t step = (options & 0x2000) ? 8 : 4;
    if (offDx != 0 && r.Has(offDx, std::size_t(count) * step) && std::size_t(string.size()) == count) {
        for (std::uint32_t i = 0; i < count; ++i)
            dx.push_back(r.I32(offDx + step * i));
    }
    std::optional<QRectF> clip;
    if (options & 6)
        clip = box;
    player.Text(reference, string, dx, options, clip);
}

// One entry per record the player knows: its type, its name, the fixed
// part it needs (a shorter record is damage) and what it does; the handler
// returns false for damage that ends the play. Sorted by number (the type).
struct TEmfRecord {
    std::uint32_t Number;
    const char* Name;
    std::size_t MinimumSize;
    bool (*Play)(std::uint32_t type, const TMetaBytes& r, TMetaPlayer& player);
};

bool PlayPolyBezier(std::uint32_t type, const TMetaBytes& r, TMetaPlayer& player)
{
    const bool small = type >= 85;
    const std::vector<QPointF> points = Points(r, 28, r.U32(24), small);
    if (r.Bad())
        return false;
    switch (small ? type - 83 : type) {
    case 2: player.PolyBezier(points); break;
    case 3: player.Polygon(points); break;
    case 4: player.Polyline(points); break;
    case 5: player.PolyBezierTo(points); break;
    case 6: player.PolylineTo(points); break;
    default: break;
    }
    return true;
}

bool PlayPolyPolyline(std::uint32_t type, const TMetaBytes& r, TMetaPlayer& player)
{
    const bool small = type >= 90;
    const std::uint32_t polys = r.U32(24), total = r.U32(28);
    if (polys > r.Size() / 4 || !r.Has(32, std::size_t(polys) * 4))
        return false;
    std::size_t at = 32 + std::size_t(polys) * 4;
    std::uint64_t sum = 0;
    std::vector<std::vector<QPointF>> shapes;
    for (std::uint32_t i = 0; i < polys; ++i) {
        const std::uint32_t n = r.U32(32 + 4 * std::size_t(i));
        sum += n;
        if (sum > total)
            return false;
        shapes.push_back(Points(r, at, n, small));
        if (r.Bad())
            return false;
        at += std::size_t(n) * (small ? 4 : 8);
    }
    (type == 8 || type == 91) ? player.PolyPolygon(shapes) : player.PolyPolyline(shapes);
    return true;
}

bool PlayPolyDraw(std::uint32_t type, const TMetaBytes& r, TMetaPlayer& player)
{
    const bool small = type == 92;
    const std::uint32_t count = r.U32(24);
    const std::vector<QPointF> points = Points(r, 28, count, small);
    const std::size_t typesAt = 28 + std::size_t(count) * (small ? 4 : 8);
    if (r.Bad() || !r.Has(typesAt, count))
        return false;
    std::vector<std::uint8_t> types(r.Begin() + typesAt, r.Begin() + typesAt + count);
    player.PolyDraw(points, types);
    return true;
}

bool PlaySetWorldTransform(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const QTransform t = XForm(r, 8);
    if (r.Bad())
        return false;
    player.SetWorldTransform(t);
    return true;
}

bool PlayModifyWorldTransform(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const QTransform t = XForm(r, 8);
    const std::uint32_t mode = r.U32(32);
    if (r.Bad())
        return false;
    player.ModifyWorldTransform(t, mode);
    return true;
}

bool PlayCreatePen(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Pen;
    o.Pen.Style = r.U32(12) & 0xF;
    o.Pen.Width = r.I32(16);
    o.Pen.Colour = r.U32(24);
    if (r.Bad())
        return false;
    player.CreateObject(r.U32(8), o);
    return true;
}

bool PlayExtCreatePen(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const TMetaObject o = MakeExtPen(r, player);
    if (r.Bad())
        return false;
    player.CreateObject(r.U32(8), o);
    return true;
}

bool PlayCreateBrushIndirect(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Brush;
    o.Brush.Style = r.U32(12);
    o.Brush.Colour = r.U32(16);
    o.Brush.Hatch = r.U32(20);
    if (r.Bad())
        return false;
    player.CreateObject(r.U32(8), o);
    return true;
}

bool PlayCreateMonoBrush(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Brush;
    o.Brush.Style = 5;
    o.Brush.Pattern = Bitmap(r, 16, r.U32(12), player);
    if (o.Brush.Pattern.isNull())
        o.Brush.Colour = 0x808080;
    if (r.Bad())
        return false;
    player.CreateObject(r.U32(8), o);
    return true;
}

bool PlayExtCreateFontIndirectW(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const TMetaObject o = MakeFont(r);
    if (r.Bad())
        return false;
    player.CreateObject(r.U32(8), o);
    return true;
}

bool PlayCreatePalette(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Palette;
    const std::size_t count = r.U16(14);
    for (std::size_t i = 0; i < count && r.Has(16 + 4 * i, 4); ++i)
        o.Palette.push_back(qRgb(r.U8(16 + 4 * i), r.U8(17 + 4 * i), r.U8(18 + 4 * i)));
    player.CreateObject(r.U32(8), o);
    return true;
}

bool PlayAngleArc(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const QPointF centre = PointL(r, 8);
    const double radius = r.U32(16), start = r.F32(20), sweep = r.F32(24);
    if (r.Bad())
        return false;
    player.AngleArc(centre, radius, start, sweep);
    return true;
}

bool PlayArc(std::uint32_t type, const TMetaBytes& r, TMetaPlayer& player)
{
    const QRectF box = RectL(r, 8);
    const QPointF start = PointL(r, 24), end = PointL(r, 32);
    if (r.Bad())
        return false;
    const TArcKind kind = type == 45 ? TArcKind::Arc : type == 46 ? TArcKind::Chord
                          : type == 47 ? TArcKind::Pie : TArcKind::ArcTo;
    player.ArcShape(box, start, end, kind);
    return true;
}

bool PlayFillRgn(std::uint32_t type, const TMetaBytes& r, TMetaPlayer& player)
{
    const std::uint32_t size = r.U32(24);
    const TMetaObject* brush = player.Object(r.U32(28));
    const std::size_t dataAt = type == 71 ? 32 : 40;
    const std::optional<QPainterPath> region = ReadRegion(r.Sub(dataAt, size));
    if (r.Bad())
        return false;
    TMetaBrush fill;
    if (r.U32(28) & 0x80000000u) {
        static const std::uint32_t greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        const std::uint32_t stock = r.U32(28) & 0x7FFFFFFFu;
        fill.Style = stock <= 4 ? 0 : 1;
        fill.Colour = stock <= 4 ? greys[stock] : 0;
    } else if (brush && brush->Kind == TMetaObject::TKind::Brush) {
        fill = brush->Brush;
    } else {
        return true;
    }
    if (region)
        type == 71 ? player.FillRegion(*region, fill)
                   : player.FrameRegion(*region, fill, r.I32(32), r.I32(36));
    return true;
}

bool PlayInvertRgn(std::uint32_t type, const TMetaBytes& r, TMetaPlayer& player)
{
    const std::optional<QPainterPath> region = ReadRegion(r.Sub(28, r.U32(24)));
    if (r.Bad())
        return false;
    if (region)
        type == 73 ? player.InvertRegion(*region) : player.PaintRegion(*region);
    return true;
}

bool PlayExtSelectClipRgn(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const std::uint32_t size = r.U32(8), mode = r.U32(12);
    const std::optional<QPainterPath> region = size == 0 ? std::nullopt : ReadRegion(r.Sub(16, size));
    if (r.Bad())
        return false;
    player.SelectClipRegion(region, mode);
    return true;
}

bool PlayBitBlt(std::uint32_t type, const TMetaBytes& r, TMetaPlayer& player)
{
    const QRectF destination(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const std::uint32_t rop = r.U32(40);
    const QPointF sourceAt = PointL(r, 44);
    const QSizeF sourceSize = type == 77 ? QSizeF(r.I32(100), r.I32(104)) : destination.size();
    const QImage image = Bitmap(r, 84, r.U32(80), player);
    if (r.Bad())
        return false;
    player.Blit(destination, image, QRectF(sourceAt, sourceSize), rop);
    return true;
}

bool PlayStretchDIBits(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const QRectF destination(r.I32(8 + 16), r.I32(28), r.I32(72), r.I32(76));
    const QRectF source(r.I32(32), r.I32(36), r.I32(40), r.I32(44));
    const std::uint32_t rop = r.U32(68);
    bool bottomUp = true;
    const QImage image = Bitmap(r, 48, r.U32(64), player, false, &bottomUp);
    if (r.Bad())
        return false;
    player.Blit(destination, image, DibSource(source, image, bottomUp), rop);
    return true;
}

bool PlaySetDIBitsToDevice(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const QPointF at = PointL(r, 24);
    const QRectF source(r.I32(32), r.I32(36), r.I32(40), r.I32(44));
    bool bottomUp = true;
    const QImage image = Bitmap(r, 48, r.U32(64), player, false, &bottomUp);
    if (r.Bad())
        return false;
    player.Blit(QRectF(at, source.size()), image, DibSource(source, image, bottomUp), 0xCC0020);
    return true;
}

bool PlayAlphaBlend(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const QRectF destination(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const std::uint32_t blend = r.U32(40);
    const QPointF sourceAt = PointL(r, 44);
    const QSizeF sourceSize(r.I32(100), r.I32(104));
    const bool perPixel = (blend >> 24 & 1) != 0;
    const QImage image = Bitmap(r, 84, r.U32(80), player, perPixel);
    if (r.Bad())
        return false;
    player.AlphaBlit(destination, image, QRectF(sourceAt, sourceSize), int(blend >> 16 & 255), perPixel);
    return true;
}

bool PlayGradientFill(std::uint32_t, const TMetaBytes& r, TMetaPlayer& player)
{
    const std::uint32_t vertices = r.U32(24), shapes = r.U32(28), mode = r.U32(32);
    if (vertices > r.Size() / 16 || shapes > r.Size() / 8)
        return false;
    auto vertex = [&](std::uint32_t i, QPointF& p, QColor& c) {
        if (i >= vertices)
            return false;
        const std::size_t at = 36 + 16 * std::size_t(i);
        p = PointL(r, at);
        c = QColor(r.U16(at + 8) >> 8, r.U16(at + 10) >> 8, r.U16(at + 12) >> 8);
        return true;
    };
    const std::size_t shapesAt = 36 + 16 * std::size_t(vertices);
    for (std::uint32_t s = 0; s < shapes && !r.Bad(); ++s) {
        if (mode == 2) {
            const std::size_t at = shapesAt + 12 * std::size_t(s);
            QPointF p[3];
            QColor c[3];
            if (!r.Has(at, 12) || !vertex(r.U32(at), p[0], c[0]) || !vertex(r.U32(at + 4), p[1], c[1])
                || !vertex(r.U32(at + 8), p[2], c[2]))
                break;
            player.GradientTriangle(p, c);
        } else {
            const std::size_t at = shapesAt + 8 * std::size_t(s);
            QPointF a, b;
            QColor ca, cb;
            if (!r.Has(at, 8) || !vertex(r.U32(at), a, ca) || !vertex(r.U32(at + 4), b, cb))
                break;
            player.GradientRect(QRectF(a, b), ca, cb, mode == 1);
        }
    }
    return true;
}

constexpr TEmfRecord EmfRecords[] = {
    {2, "PolyBezier", 28, &PlayPolyBezier},
    {3, "Polygon", 28, &PlayPolyBezier},
    {4, "Polyline", 28, &PlayPolyBezier},
    {5, "PolyBezierTo", 28, &PlayPolyBezier},
    {6, "PolylineTo", 28, &PlayPolyBezier},
    {7, "PolyPolyline", 32, &PlayPolyPolyline},
    {8, "PolyPolygon", 32, &PlayPolyPolyline},
    {9, "SetWindowExtEx", 16,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.SetWindowExt(r.I32(8), r.I32(12)); return true;
     }},
    {10, "SetWindowOrgEx", 16,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.SetWindowOrg(r.I32(8), r.I32(12)); return true;
     }},
    {11, "SetViewportExtEx", 16,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.SetViewportExt(r.I32(8), r.I32(12)); return true;
     }},
    {12, "SetViewportOrgEx", 16,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.SetViewportOrg(r.I32(8), r.I32(12)); return true;
     }},
    {15, "SetPixelV", 20,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.SetPixel(PointL(r, 8), r.U32(16)); return true;
     }},
    {17, "SetMapMode", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SetMapMode(r.I32(8)); return true; }},
    {18, "SetBkMode", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SetBkMode(r.I32(8)); return true; }},
    {19, "SetPolyFillMode", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SetPolyFillMode(r.I32(8)); return true; }},
    {20, "SetRop2", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SetRop2(r.I32(8)); return true; }},
    {22, "SetTextAlign", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SetTextAlign(r.U32(8)); return true; }},
    {24, "SetTextColor", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SetTextColor(r.U32(8)); return true; }},
    {25, "SetBkColor", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SetBkColor(r.U32(8)); return true; }},
    {26, "OffsetClipRgn", 16,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.OffsetClip(r.I32(8), r.I32(12)); return true;
     }},
    {27, "MoveToEx", 16,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.MoveTo(PointL(r, 8)); return true; }},
    {29, "ExcludeClipRect", 24,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.ExcludeClipRect(RectL(r, 8)); return true;
     }},
    {30, "IntersectClipRect", 24,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.IntersectClipRect(RectL(r, 8)); return true;
     }},
    {31, "ScaleViewportExtEx", 24,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); return true;
     }},
    {32, "ScaleWindowExtEx", 24,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); return true;
     }},
    {33, "SaveDC", 8, [](std::uint32_t, const TMetaBytes&, TMetaPlayer& player) { player.SaveDC(); return true; }},
    {34, "RestoreDC", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.RestoreDC(r.I32(8)); return true; }},
    {35, "SetWorldTransform", 32, &PlaySetWorldTransform},
    {36, "ModifyWorldTransform", 36, &PlayModifyWorldTransform},
    {37, "SelectObject", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SelectObject(r.U32(8)); return true; }},
    {38, "CreatePen", 28, &PlayCreatePen},
    {39, "CreateBrushIndirect", 24, &PlayCreateBrushIndirect},
    {40, "DeleteObject", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.DeleteObject(r.U32(8)); return true; }},
    {41, "AngleArc", 28, &PlayAngleArc},
    {42, "Ellipse", 24,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.Ellipse(RectL(r, 8)); return true; }},
    {43, "Rectangle", 24,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.Rectangle(RectL(r, 8)); return true; }},
    {44, "RoundRect", 32,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.RoundRect(RectL(r, 8), QSizeF(r.I32(24), r.I32(28))); return true;
     }},
    {45, "Arc", 40, &PlayArc},
    {46, "Chord", 40, &PlayArc},
    {47, "Pie", 40, &PlayArc},
    {48, "SelectPalette", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SelectObject(r.U32(8)); return true; }},
    {49, "CreatePalette", 16, &PlayCreatePalette},
    {54, "LineTo", 16,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.LineTo(PointL(r, 8)); return true; }},
    {55, "ArcTo", 40, &PlayArc},
    {56, "PolyDraw", 28, &PlayPolyDraw},
    {57, "SetArcDirection", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SetArcDirection(r.I32(8)); return true; }},
    {58, "SetMiterLimit", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) {
         player.SetMiterLimit(std::clamp<double>(r.U32(8), 1, 100)); return true;
     }},
    {59, "BeginPath", 8,
     [](std::uint32_t, const TMetaBytes&, TMetaPlayer& player) { player.BeginPath(); return true; }},
    {60, "EndPath", 8, [](std::uint32_t, const TMetaBytes&, TMetaPlayer& player) { player.EndPath(); return true; }},
    {61, "CloseFigure", 8,
     [](std::uint32_t, const TMetaBytes&, TMetaPlayer& player) { player.CloseFigure(); return true; }},
    {62, "FillPath", 8,
     [](std::uint32_t, const TMetaBytes&, TMetaPlayer& player) { player.FillPath(); return true; }},
    {63, "StrokeAndFillPath", 8,
     [](std::uint32_t, const TMetaBytes&, TMetaPlayer& player) { player.StrokeAndFillPath(); return true; }},
    {64, "StrokePath", 8,
     [](std::uint32_t, const TMetaBytes&, TMetaPlayer& player) { player.StrokePath(); return true; }},
    {67, "SelectClipPath", 12,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { player.SelectClipPath(r.U32(8)); return true; }},
    {68, "AbortPath", 8,
     [](std::uint32_t, const TMetaBytes&, TMetaPlayer& player) { player.AbortPath(); return true; }},
    {71, "FillRgn", 32, &PlayFillRgn},
    {72, "FrameRgn", 40, &PlayFillRgn},
    {73, "InvertRgn", 28, &PlayInvertRgn},
    {74, "PaintRgn", 28, &PlayInvertRgn},
    {75, "ExtSelectClipRgn", 16, &PlayExtSelectClipRgn},
    {76, "BitBlt", 100, &PlayBitBlt},
    {77, "StretchBlt", 108, &PlayBitBlt},
    {80, "SetDIBitsToDevice", 76, &PlaySetDIBitsToDevice},
    {81, "StretchDIBits", 80, &PlayStretchDIBits},
    {82, "ExtCreateFontIndirectW", 104, &PlayExtCreateFontIndirectW},
    {83, "ExtTextOutA", 76,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { Text(r, player, false); return true; }},
    {84, "ExtTextOutW", 76,
     [](std::uint32_t, const TMetaBytes& r, TMetaPlayer& player) { Text(r, player, true); return true; }},
    {85, "PolyBezier16", 28, &PlayPolyBezier},
    {86, "Polygon16", 28, &PlayPolyBezier},
    {87, "Polyline16", 28, &PlayPolyBezier},
    {88, "PolyBezierTo16", 28, &PlayPolyBezier},
    {89, "PolylineTo16", 28, &PlayPolyBezier},
    {90, "PolyPolyline16", 32, &PlayPolyPolyline},
    {91, "PolyPolygon16", 32, &PlayPolyPolyline},
    {92, "PolyDraw16", 28, &PlayPolyDraw},
    {93, "CreateMonoBrush", 32, &PlayCreateMonoBrush},
    {94, "CreateDIBPatternBrushPt", 32, &PlayCreateMonoBrush},
    {95, "ExtCreatePen", 52, &PlayExtCreatePen},
    {114, "AlphaBlend", 108, &PlayAlphaBlend},
    {118, "GradientFill", 36, &PlayGradientFill},
};

static_assert(SortedByNumber(EmfRecords), "FindRecord searches the table by halves");

bool PlayRecord(std::uint32_t type, const TMetaBytes& r, TMetaPlayer& player)
{
    // Every record holds at least its type and size.
    const TEmfRecord* record = FindRecord(EmfRecords, type);
    if (r.Size() < (record ? record->MinimumSize : 8))
        return false;
    // Without a row: comments (and the EMF+ records inside them), and
    // records with nothing to draw.
    if (record && !record->Play(type, r, player))
        return false;
    return !r.Bad();
}

} // namespace

bool ReadEmfLayout(const TMetaBytes& bytes, TMetafileLayout& layout)
{
    layout = TMetafileLayout();
    layout.Enhanced = true;
    const std::uint32_t type = bytes.U32(0), size = bytes.U32(4);
    const QRectF bounds = RectL(bytes, 8), frame = RectL(bytes, 24);
    const std::uint32_t signature = bytes.U32(40);
    layout.DevicePixels = QSizeF(bytes.I32(72), bytes.I32(76));
    layout.DeviceMillimetres = QSizeF(bytes.I32(80), bytes.I32(84));
    if (bytes.Bad() || type != 1 || signature != EmfSignature || size < 88 || size % 4 != 0 || size > bytes.Size())
        return false;
    if (layout.DevicePixels.width() <= 0 || layout.DevicePixels.height() <= 0
        || layout.DeviceMillimetres.width() <= 0 || layout.DeviceMillimetres.height() <= 0) {
        // A reference device of 96 pixels to the inch when none is given.
        layout.DevicePixels = QSizeF(96, 96);
        layout.DeviceMillimetres = QSizeF(25.4, 25.4);
    }
    layout.Box = frame;
    if (frame.width() <= 0 || frame.height() <= 0) {
        // No usable frame: the bounds, which are in device pixels.
        const double mx = 100 * layout.DeviceMillimetres.width() / layout.DevicePixels.width();
        const double my = 100 * layout.DeviceMillimetres.height() / layout.DevicePixels.height();
        layout.Box = QRectF(bounds.left() * mx, bounds.top() * my, (bounds.width() + 1) * mx,
                            (bounds.height() + 1) * my);
    }
    layout.UnitsPerInch = 2540;
    layout.RecordsStart = size;
    return layout.Box.width() > 0 && layout.Box.height() > 0;
}

std::size_t PlayEmf(const TMetaBytes& bytes, const TMetafileLayout& layout, QImage& picture)
{
    // Device pixels -> hundredths of a millimetre -> the frame spread over the picture.
    const double mx = 100 * layout.DeviceMillimetres.width() / layout.DevicePixels.width();
    const double my = 100 * layout.DeviceMillimetres.height() / layout.DevicePixels.height();
    const double kx = picture.width() / layout.Box.width(), ky = picture.height() / layout.Box.height();
    const QTransform deviceToPicture(mx * kx, 0, 0, my * ky, -layout.Box.left() * kx, -layout.Box.top() * ky);
    TMetaPlayer player(picture, deviceToPicture, 1 / (mx / 100), 1 / (my / 100));
    std::size_t played = 0, pos = layout.RecordsStart;
    while (pos + 8 <= bytes.Size()) {
        const std::uint32_t type = bytes.U32(pos), size = bytes.U32(pos + 4);
        if (size < 8 || size % 4 != 0 || size > bytes.Size() - pos)
            break;
        if (type == 14)
            break;
        const TMetaBytes record = bytes.Sub(pos, size);
        if (!PlayRecord(type, record, player))
            break;
        ++played;
        pos += size;
    }
    return played;
}

} // namespace orvanto
