#include "imaging/metafile/metafile_dib.h"
#include "imaging/metafile/metafile_formats.h"

#include <QStringDecoder>

#include <algorithm>
#include <iterator>

namespace orvanto {

namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;

// Windows code page 1252 differs from Latin-1 in 0x80..0x9F.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const char* CodePageOf(int charSet)
{
    switch (charSet) {
    case 238: return "windows-1250";
    case 204: return "windows-1251";
    case 161: return "windows-1253";
    case 162: return "windows-1254";
    case 177: return "windows-1255";
    case 178: return "windows-1256";
    case 186: return "windows-1257";
    case 163: return "windows-1258";
    case 222: return "windows-874";
    case 128: return "Shift_JIS";
    case 134: return "GBK";
    case 136: return "Big5";
    case 129: return "EUC-KR";
    default: return nullptr;
    }
}

QPointF Pt(const TMetaBytes& p, std::size_t yAt, std::size_t xAt) { return QPointF(p.I16(xAt), p.I16(yAt)); }

// Bottom, right, top, left: the order the 16-bit records store a box in.
QRectF Box(const TMetaBytes& p, std::size_t at)
{
    return QRectF(QPointF(p.I16(at + 6), p.I16(at + 4)), QPointF(p.I16(at + 2), p.I16(at)));
}

std::vector<QPointF> Points(const TMetaBytes& p, std::size_t at, std::size_t count)
{
    std::vector<QPointF> points;
    if (!p.Has(at, count * 4)) {
        p.MarkBad();
        return points;
    }
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        points.emplace_back(p.I16(at + 4 * i), p.I16(at + 4 * i + 2));
    return points;
}

// A region object: scans of rectangles between a top and a bottom.
QPainterPath ReadRegion(const TMetaBytes& p)
{
    QPainterPath region;
    const int scans = p.I16(10);
    std::size_t at = 22;
    for (int s = 0; s < scans && p.Has(at, 6); ++s) {
        const std::size_t count = p.U16(at);
        const double top = p.I16(at + 2), bottom = p.I16(at + 4);
        for (std::size_t i = 0; i + 1 < count && p.Has(at + 6 + 2 * i, 4); i += 2)
            region.addRect(QRectF(QPointF(p.I16(at + 6 + 2 * i), top), QPointF(p.I16(at + 8 + 2 * i), bottom)));
        at += 6 + 2 * count + 2;
    }
    region.setFillRule(Qt::WindingFill);
    return region.simplified();
}

TMetaObject MakePen(const TMetaBytes& p)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Pen;
    o.Pen.Style = p.U16(0);
    o.Pen.Width = p.I16(2);
    o.Pen.Colour = p.U32(6);
    return o;
}

TMetaObject MakeBrush(const TMetaBytes& p)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Brush;
    o.Brush.Style = p.U16(0);
    o.Brush.Colour = p.U32(2);
    o.Brush.Hatch = p.U16(6);
    return o;
}

TMetaObject MakeFont(const TMetaBytes& p)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Font;
    TMetaFont& f = o.Font;
    f.Height = p.I16(0);
    f.Width = p.I16(2);
    f.Escapement = p.I16(4);
    f.Weight = p.I16(8);
    f.Italic = p.U8(10) != 0;
    f.Underline = p.U8(11) != 0;
    f.StrikeOut = p.U8(12) != 0;
    f.CharSet = p.U8(13);
    QByteArray face;
    for (std::size_t i = 18; i < p.Size() && i < 18 + 32 && p.U8(i) != 0; ++i)
        face.push_back(char(p.U8(i)));
    f.Face = QString::fromLatin1(face);
    return o;
}

TMetaObject MakePalette(const TMetaBytes& p)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Palette;
    const std::size_t count = p.U16(2);
    for (std::size_t i = 0; i < count && p.Has(4 + 4 * i, 4); ++i)
        o.Palette.push_back(qRgb(p.U8(4 + 4 * i), p.U8(5 + 4 * i), p.U8(6 + 4 * i)));
    return o;
}

void DrawText(TMetaPlayer& player, QPointF at, const TMetaBytes& text, const TMetaBytes& dxBytes,
              std::uint32_t options, std::optional<QRectF> box)
{
    const QString string = DecodeCharSetText(text, player.CharSet());
    std::vector<double> dx;
    // One advance per byte; for double-byte character sets the advances of
    // both bytes belong to one character.
    if (dxBytes.Size() >= text.Size() * 2) {
        if (std::size_t(string.size()) == text.Size()) {
            for (std::size_t i = 0; i < text.Size(); ++i)
                dx.push_back(dxBytes.I16(2 * i));
        }
    }
    player.Text(at, string, dx, options, box);
}

// Bitmap records: rop first, then source and destination in reverse order.
// bottomUpSource: the source rectangle counts from the bitmap's first stored
// row (the device-independent records) rather than from its top.
void Blit(TMetaPlayer& player, QRectF destination, const TMetaBytes& dib, QRectF source, std::uint32_t rop,
          TDibColours colours, bool bottomUpSource = false)
{
    const QImage image = dib.Size() == 0 ? QImage() : DecodePackedDib(dib, colours, player.Palette());
    player.Blit(destination, image, bottomUpSource ? DibSource(source, image, DibBottomUp(dib)) : source, rop);
}

// One entry per record the player knows: its number, its name, the fixed
// parameter bytes it needs (fewer is damage) and what it does. Damage found
// on the way marks the bytes bad, which ends the play. Sorted by number.
struct TWmfRecord {
    std::uint16_t Number;
    const char* Name;
    std::size_t MinimumSize;
    void (*Play)(std::uint16_t function, const TMetaBytes& p, TMetaPlayer& player);
};

void PlayNothing(std::uint16_t, const TMetaBytes&, TMetaPlayer&) {}

void PlayArc(std::uint16_t function, const TMetaBytes& p, TMetaPlayer& player)
{
    const TArcKind kind = function == 0x0817 ? TArcKind::Arc : function == 0x081A ? TArcKind::Pie : TArcKind::Chord;
    const QRectF box = Box(p, 8);
    const QPointF start = Pt(p, 4, 6), end = Pt(p, 0, 2);
    if (p.Bad())
        return;
    player.ArcShape(box, start, end, kind);
}

void PlayPolygon(std::uint16_t function, const TMetaBytes& p, TMetaPlayer& player)
{
    const std::vector<QPointF> points = Points(p, 2, p.U16(0));
    if (p.Bad())
        return;
    function == 0x0324 ? player.Polygon(points) : player.Polyline(points);
}

void PlayPolyPolygon(std::uint16_t, const TMetaBytes& p, TMetaPlayer& player)
{
    const std::size_t count = p.U16(0);
    std::vector<std::vector<QPointF>> polygons;
    std::size_t at = 2 + 2 * count;
    for (std::size_t i = 0; i < count && !p.Bad(); ++i) {
        const std::size_t n = p.U16(2 + 2 * i);
        polygons.push_back(Points(p, at, n));
        at += 4 * n;
    }
    if (p.Bad())
        return;
    player.PolyPolygon(polygons);
}

void PlaySelectClipRegion(std::uint16_t, const TMetaBytes& p, TMetaPlayer& player)
{
    const TMetaObject* o = player.Object(p.U16(0));
    if (o && o->Kind == TMetaObject::TKind::Region)
        player.SelectClipRegionLogical(o->Region);
    else
        player.SelectClipRegionLogical(std::nullopt);
}

void PlayFillRegion(std::uint16_t function, const TMetaBytes& p, TMetaPlayer& player)
{
    const TMetaObject* region = player.Object(p.U16(0));
    const TMetaObject* brush = player.Object(p.U16(2));
    if (region && brush && region->Kind == TMetaObject::TKind::Region && brush->Kind == TMetaObject::TKind::Brush) {
        if (function == 0x0228)
            player.FillRegion(region->Region, brush->Brush);
        else
            player.FrameRegion(region->Region, brush->Brush, p.I16(6), p.I16(4));
    }
}

void PlayInvertRegion(std::uint16_t function, const TMetaBytes& p, TMetaPlayer& player)
{
    const TMetaObject* region = player.Object(p.U16(0));
    if (region && region->Kind == TMetaObject::TKind::Region)
        function == 0x012A ? player.InvertRegion(region->Region) : player.PaintRegion(region->Region);
}

void PlayCreateRegion(std::uint16_t, const TMetaBytes& p, TMetaPlayer& player)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Region;
    o.Region = ReadRegion(p);
    player.AddObject(o);
}

void PlayDibCreatePatternBrush(std::uint16_t, const TMetaBytes& p, TMetaPlayer& player)
{
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Brush;
    o.Brush.Style = 5;
    o.Brush.Pattern = DecodePackedDib(p.Sub(4, p.Size() >= 4 ? p.Size() - 4 : 0),
                                      p.U16(2) == 1 ? TDibColours::PaletteIndices : TDibColours::Rgb,
                                      player.Palette());
    if (o.Brush.Pattern.isNull())
        o.Brush.Colour = 0x808080;
    player.AddObject(o);
}

void PlayCreatePatternBrush(std::uint16_t, const TMetaBytes&, TMetaPlayer& player)
{
    // Old device-dependent pattern bitmaps: kept as a mid-grey brush so
    // the object table stays in step.
    TMetaObject o;
    o.Kind = TMetaObject::TKind::Brush;
    o.Brush.Colour = 0x808080;
    player.AddObject(o);
}

void PlayTextOut(std::uint16_t, const TMetaBytes& p, TMetaPlayer& player)
{
    const std::size_t length = p.U16(0);
    const TMetaBytes text = p.Sub(2, length);
    const std::size_t after = 2 + (length + 1) / 2 * 2;
    const QPointF at = Pt(p, after, after + 2);
    if (p.Bad())
        return;
    DrawText(player, at, text, TMetaBytes(), 0, std::nullopt);
}

void PlayExtTextOut(std::uint16_t, const TMetaBytes& p, TMetaPlayer& player)
{
    const QPointF at = Pt(p, 0, 2);
    const std::size_t length = p.U16(4);
    const std::uint32_t options = p.U16(6);
    std::size_t offset = 8;
    std::optional<QRectF> box;
    if (options & 6) {
        box = QRectF(QPointF(p.I16(8), p.I16(10)), QPointF(p.I16(12), p.I16(14)));
        offset = 16;
    }
    const TMetaBytes text = p.Sub(offset, length);
    if (p.Bad())
        return;
    const std::size_t dxAt = offset + (length + 1) / 2 * 2;
    const TMetaBytes dx = p.Has(dxAt, 2 * length) ? p.Sub(dxAt, 2 * length) : TMetaBytes();
    DrawText(player, at, text, dx, options, box);
}

void PlayPatBlt(std::uint16_t, const TMetaBytes& p, TMetaPlayer& player)
{
    const QRectF box(p.I16(10), p.I16(8), p.I16(6), p.I16(4));
    const std::uint32_t rop = p.U32(0);
    if (p.Bad())
        return;
    player.Blit(box, QImage(), QRectF(), rop);
}

void PlayDibBitBlt(std::uint16_t function, const TMetaBytes& p, TMetaPlayer& player)
{
    // With no bitmap the record is one word longer and draws the brush.
    const bool stretch = function == 0x0B41;
    const std::size_t words = stretch ? 11 : 9;
    const std::uint32_t rop = p.U32(0);
    const bool noBitmap = p.Size() == words * 2;
    const std::size_t d = noBitmap ? 2 : 0;
    QRectF source, destination;
    std::size_t dibAt;
    if (stretch) {
        source = QRectF(p.I16(10), p.I16(8), p.I16(6), p.I16(4));
        destination = QRectF(p.I16(18 + d), p.I16(16 + d), p.I16(14 + d), p.I16(12 + d));
        dibAt = 20 + d;
    } else {
        destination = QRectF(p.I16(14 + d), p.I16(12 + d), p.I16(10 + d), p.I16(8 + d));
        source = QRectF(p.I16(6), p.I16(4), destination.width(), destination.height());
        dibAt = 16 + d;
    }
    if (p.Bad())
        return;
    Blit(player, destination, noBitmap ? TMetaBytes() : p.Sub(dibAt, p.Size() - std::min(p.Size(), dibAt)),
         source, rop, TDibColours::Rgb);
}

void PlayStretchDib(std::uint16_t, const TMetaBytes& p, TMetaPlayer& player)
{
    const std::uint32_t rop = p.U32(0);
    const TDibColours colours = p.U16(4) == 1 ? TDibColours::PaletteIndices : TDibColours::Rgb;
    const QRectF source(p.I16(12), p.I16(10), p.I16(8), p.I16(6));
    const QRectF destination(p.I16(20), p.I16(18), p.I16(16), p.I16(14));
    if (p.Bad())
        return;
    Blit(player, destination, p.Sub(22, p.Size() - std::min<std::size_t>(p.Size(), 22)), source, rop, colours,
         true);
}

void PlaySetDibToDevice(std::uint16_t, const TMetaBytes& p, TMetaPlayer& player)
{
    const TDibColours colours = p.U16(0) == 1 ? TDibColours::PaletteIndices : TDibColours::Rgb;
    const QRectF destination(p.I16(16), p.I16(14), p.I16(12), p.I16(10));
    const QRectF source(p.I16(8), p.I16(6), destination.width(), destination.height());
    if (p.Bad())
        return;
    Blit(player, destination, p.Sub(18, p.Size() - std::min<std::size_t>(p.Size(), 18)), source, 0xCC0020,
         colours, true);
}

constexpr TWmfRecord WmfRecords[] = {
    {0x001E, "SaveDC", 0, [](std::uint16_t, const TMetaBytes&, TMetaPlayer& player) { player.SaveDC(); }},
    {0x00F7, "CreatePalette", 4,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.AddObject(MakePalette(p)); }},
    {0x0102, "SetBkMode", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetBkMode(p.U16(0)); }},
    {0x0103, "SetMapMode", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetMapMode(p.U16(0)); }},
    {0x0104, "SetROP2", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetRop2(p.U16(0)); }},
    {0x0106, "SetPolyFillMode", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetPolyFillMode(p.U16(0)); }},
    {0x0108, "SetTextCharExtra", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetTextCharExtra(p.I16(0)); }},
    {0x0127, "RestoreDC", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.RestoreDC(p.I16(0)); }},
    {0x012A, "InvertRegion", 2, &PlayInvertRegion},
    {0x012B, "PaintRegion", 2, &PlayInvertRegion},
    {0x012C, "SelectClipRegion", 2, &PlaySelectClipRegion},
    {0x012D, "SelectObject", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SelectObject(p.U16(0)); }},
    {0x012E, "SetTextAlign", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetTextAlign(p.U16(0)); }},
    {0x0142, "DibCreatePatternBrush", 4, &PlayDibCreatePatternBrush},
    {0x01F0, "DeleteObject", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.DeleteObject(p.U16(0)); }},
    {0x01F9, "CreatePatternBrush", 0, &PlayCreatePatternBrush},
    {0x0201, "SetBkColor", 4,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetBkColor(p.U32(0)); }},
    {0x0209, "SetTextColor", 4,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetTextColor(p.U32(0)); }},
    {0x020B, "SetWindowOrg", 4,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetWindowOrg(p.I16(2), p.I16(0)); }},
    {0x020C, "SetWindowExt", 4,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetWindowExt(p.I16(2), p.I16(0)); }},
    // The viewport belongs to the player: it spans the picture.
    {0x020D, "SetViewportOrg", 0, &PlayNothing},
    // The viewport belongs to the player: it spans the picture.
    {0x020E, "SetViewportExt", 0, &PlayNothing},
    {0x020F, "OffsetWindowOrg", 4,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.OffsetWindowOrg(p.I16(2), p.I16(0)); }},
    // The viewport belongs to the player: it spans the picture.
    {0x0211, "OffsetViewportOrg", 0, &PlayNothing},
    {0x0213, "LineTo", 4,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.LineTo(Pt(p, 0, 2)); }},
    {0x0214, "MoveTo", 4,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.MoveTo(Pt(p, 0, 2)); }},
    {0x0220, "OffsetClipRgn", 4,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.OffsetClip(p.I16(2), p.I16(0)); }},
    {0x0228, "FillRegion", 4, &PlayFillRegion},
    {0x0234, "SelectPalette", 2,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SelectObject(p.U16(0)); }},
    {0x02FA, "CreatePenIndirect", 10,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.AddObject(MakePen(p)); }},
    {0x02FB, "CreateFontIndirect", 18,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.AddObject(MakeFont(p)); }},
    {0x02FC, "CreateBrushIndirect", 8,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.AddObject(MakeBrush(p)); }},
    {0x0324, "Polygon", 2, &PlayPolygon},
    {0x0325, "Polyline", 2, &PlayPolygon},
    {0x0410, "ScaleWindowExt", 8,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) {
         player.ScaleWindowExt(p.I16(6), p.I16(4), p.I16(2), p.I16(0));
     }},
    // The viewport belongs to the player: it spans the picture.
    {0x0412, "ScaleViewportExt", 0, &PlayNothing},
    {0x0415, "ExcludeClipRect", 8,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.ExcludeClipRect(Box(p, 0)); }},
    {0x0416, "IntersectClipRect", 8,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.IntersectClipRect(Box(p, 0)); }},
    {0x0418, "Ellipse", 8,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.Ellipse(Box(p, 0)); }},
    {0x041B, "Rectangle", 8,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.Rectangle(Box(p, 0)); }},
    {0x041F, "SetPixel", 8,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) { player.SetPixel(Pt(p, 4, 6), p.U32(0)); }},
    {0x0429, "FrameRegion", 8, &PlayFillRegion},
    {0x0521, "TextOut", 2, &PlayTextOut},
    {0x0538, "PolyPolygon", 2, &PlayPolyPolygon},
    {0x061C, "RoundRect", 12,
     [](std::uint16_t, const TMetaBytes& p, TMetaPlayer& player) {
         player.RoundRect(Box(p, 4), QSizeF(p.I16(2), p.I16(0)));
     }},
    {0x061D, "PatBlt", 12, &PlayPatBlt},
    {0x06FF, "CreateRegion", 22, &PlayCreateRegion},
    {0x0817, "Arc", 16, &PlayArc},
    {0x081A, "Pie", 16, &PlayArc},
    {0x0830, "Chord", 16, &PlayArc},
    {0x0940, "DibBitBlt", 16, &PlayDibBitBlt},
    {0x0A32, "ExtTextOut", 8, &PlayExtTextOut},
    {0x0B41, "DibStretchBlt", 20, &PlayDibBitBlt},
    {0x0D33, "SetDibToDevice", 18, &PlaySetDibToDevice},
    {0x0F43, "StretchDib", 22, &PlayStretchDib},
};

static_assert(SortedByNumber(WmfRecords), "FindRecord searches the table by halves");

bool PlayRecord(std::uint16_t function, const TMetaBytes& p, TMetaPlayer& player)
{
    const TWmfRecord* record = FindRecord(WmfRecords, function);
    if (!record)
        return !p.Bad(); // records without a picture of their own, or unknown ones
    if (p.Size() < record->MinimumSize)
        return false;
    record->Play(function, p, player);
    return !p.Bad();
}

} // namespace

QString DecodeCharSetText(const TMetaBytes& bytes, int charSet)
{
    const char* data = reinterpret_cast<const char*>(bytes.Begin());
    const qsizetype size = qsizetype(bytes.Size());
    if (const char* codePage = CodePageOf(charSet)) {
        QStringDecoder decoder(codePage);
        if (decoder.isValid())
            return decoder.decode(QByteArrayView(data, size));
    }
    QString text;
    text.reserve(size);
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        text.push_back(QChar(c >= 0x80 && c < 0xA0 && charSet != 2 ? Cp1252High[c - 0x80] : char16_t(c)));
    }
    return text;
}

namespace {

// The first window origin and extent the records set, if any.
struct TRecordWindow {
    bool HaveOrigin = false, HaveExtent = false;
    QPointF Origin, Extent;
};

TRecordWindow FindRecordWindow(const TMetaBytes& bytes, std::size_t pos)
{
    TRecordWindow window;
    while (pos + 6 <= bytes.Size() && !(window.HaveOrigin && window.HaveExtent)) {
        const std::uint32_t words = bytes.U32(pos);
        const std::uint16_t function = bytes.U16(pos + 4);
        if (function == 0 || words < 3 || words > (bytes.Size() - pos) / 2)
            break;
        if (function == 0x020B && !window.HaveOrigin && words >= 5) {
            window.Origin = QPointF(bytes.I16(pos + 8), bytes.I16(pos + 6));
            window.HaveOrigin = true;
        } else if (function == 0x020C && !window.HaveExtent && words >= 5) {
            window.Extent = QPointF(bytes.I16(pos + 8), bytes.I16(pos + 6));
            window.HaveExtent = true;
        }
        pos += std::size_t(words) * 2;
    }
    return window;
}

} // namespace

bool ReadWmfLayout(const TMetaBytes& bytes, TMetafileLayout& layout)
{
    layout = TMetafileLayout();
    std::size_t at = 0;
    bool placeable = false;
    if (bytes.U32(0) == PlaceableKey) {
        placeable = true;
        const QPointF topLeft(bytes.I16(6), bytes.I16(8)), bottomRight(bytes.I16(10), bytes.I16(12));
        layout.Box = QRectF(topLeft, bottomRight);
        layout.UnitsPerInch = bytes.U16(14);
        if (layout.UnitsPerInch == 0)
            return false;
        at = 22;
    }
    const std::uint16_t type = bytes.U16(at), headerWords = bytes.U16(at + 2), version = bytes.U16(at + 4);
    layout.ObjectCount = bytes.U16(at + 10);
    if (bytes.Bad() || (type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        return false;
    layout.RecordsStart = at + 18;
    const TRecordWindow window = FindRecordWindow(bytes, layout.RecordsStart);
    // The window the records set is what fills the picture; its origin is
    // 0, 0 until a record moves it. The placeable box gives the picture its
    // size and, when the records set no window at all, frames the drawing.
    // (Starting from the box's corner instead would shift a drawing whose box
    // lies off the origin.)
    if (window.HaveExtent)
        layout.WindowOrigin = window.HaveOrigin ? window.Origin : QPointF(0, 0);
    else
        layout.WindowOrigin = layout.Box.topLeft();
    if (!placeable) {
        // Without the box the window the records set up frames the picture.
        if (!window.HaveExtent || window.Extent.x() == 0 || window.Extent.y() == 0)
            return false;
        layout.Box = QRectF(layout.WindowOrigin, QSizeF(window.Extent.x(), window.Extent.y()));
        layout.UnitsPerInch = 96;
    }
    return layout.Box.width() != 0 && layout.Box.height() != 0;
}

std::size_t PlayWmf(const TMetaBytes& bytes, const TMetafileLayout& layout, QImage& picture)
{
    const double ppmm = picture.width() / std::abs(layout.Box.width()) * layout.UnitsPerInch / 25.4;
    TMetaPlayer player(picture, QTransform(), ppmm, ppmm);
    player.SetObjectTableSize(layout.ObjectCount);
    player.SetMapMode(8);
    player.SetWindowOrg(layout.WindowOrigin.x(), layout.WindowOrigin.y());
    player.SetWindowExt(layout.Box.width(), layout.Box.height());
    player.SetViewportOrg(0, 0);
    player.SetViewportExt(picture.width(), picture.height());
    std::size_t played = 0, pos = layout.RecordsStart;
    while (pos + 6 <= bytes.Size()) {
        const std::uint32_t words = bytes.U32(pos);
        const std::uint16_t function = bytes.U16(pos + 4);
        if (function == 0 || words < 3 || words > (bytes.Size() - pos) / 2)
            break;
        const TMetaBytes parameters = bytes.Sub(pos + 6, std::size_t(words) * 2 - 6);
        if (!PlayRecord(function, parameters, player))
            break;
        ++played;
        pos += std::size_t(words) * 2;
    }
    return played;
}

} // namespace orvanto
