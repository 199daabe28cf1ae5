#include "tests/imaging/metafile/metafile_test_support.h"

#include "support/memory/memory_limit.h"

#include <QRect>

#include <cmath>
#include <limits>

using namespace orvanto;

using namespace metafile_test;

namespace {

constexpr std::uint32_t PureGreen = 0x00FF00, PureBlue = 0xFF0000;

std::string XForm(float m11, float m12, float m21, float m22, float dx, float dy)
{
    std::string out;
    for (float v : {m11, m12, m21, m22, dx, dy})
        PutFloat(out, v);
    return out;
}

// A shape that must cover exactly box (in pixels): two pixels inside each
// corner are red, three pixels outside each side white.
struct TBoxCase {
    const char* Name;
    std::string Bytes;
    QRect Box;
};

void CheckBox(const TBoxCase& c)
{
    const QImage picture = Render(c.Bytes);
    ASSERT_FALSE(picture.isNull()) << c.Name;
    const QRect b = c.Box;
    const QPoint inside[] = {{b.left() + 2, b.top() + 2}, {b.right() - 2, b.top() + 2},
                             {b.left() + 2, b.bottom() - 2}, {b.right() - 2, b.bottom() - 2}};
    for (const QPoint& p : inside)
        EXPECT_EQ(At(picture, p.x(), p.y()), 0xFF0000u) << c.Name << " inside at " << p.x() << "," << p.y();
    const QPoint outside[] = {{b.left() - 3, b.center().y()}, {b.right() + 3, b.center().y()},
                              {b.center().x(), b.top() - 3}, {b.center().x(), b.bottom() + 3}};
    for (const QPoint& p : outside) {
        if (picture.rect().contains(p)) {
            EXPECT_EQ(At(picture, p.x(), p.y()), 0xFFFFFFu) << c.Name << " outside at " << p.x() << "," << p.y();
        }
    }
}

// Pixels with the colour (0xRRGGBB) each must have.
struct TColourCase {
    const char* Name;
    std::string Bytes;
    std::vector<std::pair<QPoint, QRgb>> Expected;
};

void CheckColours(const TColourCase& c)
{
    const QImage picture = Render(c.Bytes);
    ASSERT_FALSE(picture.isNull()) << c.Name;
    for (const auto& [p, colour] : c.Expected)
        EXPECT_EQ(At(picture, p.x(), p.y()), colour) << c.Name << " at " << p.x() << "," << p.y();
}

using TRecords = std::initializer_list<std::pair<std::uint32_t, std::string>>;

// The red canvas, the records, then a last one when its type is not 0.
std::string RedCanvasWith(TRecords records, const std::pair<std::uint32_t, std::string>& last = {0, ""})
{
    TEmf e = EmfCanvas(Red);
    for (const auto& [type, parameters] : records)
        e.Add(type, parameters);
    if (last.first != 0)
        e.Add(last.first, last.second);
    return FinishCanvas(e);
}

TEST(MetafilePlayer, MappingModesAndExtentsPlaceTheBox)
{
    // Every case puts a 50-pixel square in the bottom-left corner, y upwards.
    const QRect corner(0, 50, 50, 50);
    auto emf = [](TRecords records) { return RedCanvasWith(records); };
    const std::vector<TBoxCase> cases = {
        {"hundredths of a millimetre", emf({{17, Longs({3})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 1323, 1323})}}), corner},
        {"hundredths of an inch", emf({{17, Longs({4})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 52, 52})}}), QRect(0, 50, 50, 50)},
        {"thousandths of an inch", emf({{17, Longs({5})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 520, 520})}}), QRect(0, 50, 50, 50)},
        {"twips", emf({{17, Longs({6})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 750, 750})}}), corner},
        {"anisotropic with a negative viewport extent", emf({{17, Longs({8})}, {9, Longs({100, 100})}, {11, Longs({100, -100})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 50, 50})}}), corner},
        {"isotropic takes the smaller scale, keeping the sign", emf({{17, Longs({7})}, {9, Longs({100, 100})}, {11, Longs({50, -100})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 100, 100})}}), corner},
        {"scaled viewport extent", emf({{17, Longs({8})}, {9, Longs({100, 100})}, {11, Longs({100, -100})}, {31, Longs({1, 2, 1, 2})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 100, 100})}}), corner},
        {"scaled window extent", emf({{17, Longs({8})}, {9, Longs({50, 50})}, {32, Longs({2, 1, 2, 1})}, {11, Longs({100, -100})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 50, 50})}}), corner},
        {"a zero window extent is ignored", emf({{17, Longs({8})}, {9, Longs({100, 100})}, {9, Longs({0, 0})}, {11, Longs({100, -100})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 50, 50})}}), corner},
        {"a zero scale denominator is ignored", emf({{17, Longs({8})}, {9, Longs({100, 100})}, {32, Longs({5, 0, 5, 0})}, {11, Longs({100, -100})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 50, 50})}}), corner},
        {"text mode ignores the extents", emf({{9, Longs({1000, 1000})}, {11, Longs({10, 10})}, {12, Longs({0, 50})}, {43, Longs({0, 0, 50, 50})}}), corner},
        {"an unknown mode keeps the last", emf({{17, Longs({8})}, {17, Longs({99})}, {9, Longs({100, 100})}, {11, Longs({100, -100})}, {12, Longs({0, 100})}, {43, Longs({0, 0, 50, 50})}}), corner},
        {"window origin moves the shape the other way", emf({{10, Longs({-20, -30})}, {43, Longs({0, 0, 30, 30})}}), QRect(20, 30, 30, 30)},
        {"16-bit window extent scaled on x only", FinishCanvas(WmfCanvas(Red).Add(0x0103, {8}).Add(0x020C, {10, 10}).Add(0x0410, {1, 1, 1, 2}).Add(0x041B, {10, 10, 0, 0})), QRect(0, 0, 50, 100)},
        {"16-bit window origin offset", FinishCanvas(WmfCanvas(Red).Add(0x020F, {0, -50}).Add(0x041B, {20, 20, 0, 0})), QRect(50, 0, 20, 20)},
    };
    for (const auto& c : cases)
        CheckBox(c);
}

TEST(MetafilePlayer, WorldTransformsCombineInTheirOrder)
{
    auto emf = [](TRecords records) { return RedCanvasWith(records, {43, Longs({0, 0, 40, 40})}); };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<TBoxCase> cases = {
        {"none", emf({}), QRect(0, 0, 40, 40)},
        {"moved", emf({{35, XForm(1, 0, 0, 1, 50, 10)}}), QRect(50, 10, 40, 40)},
        {"stretched", emf({{35, XForm(2, 0, 0, 1, 0, 0)}}), QRect(0, 0, 80, 40)},
        {"left multiply: the new one first", emf({{35, XForm(1, 0, 0, 1, 50, 0)}, {36, XForm(0.5f, 0, 0, 0.5f, 0, 0) + Longs({2})}}), QRect(50, 0, 20, 20)},
        {"right multiply: the new one last", emf({{35, XForm(1, 0, 0, 1, 50, 0)}, {36, XForm(0.5f, 0, 0, 0.5f, 0, 0) + Longs({3})}}), QRect(25, 0, 20, 20)},
        {"modify by setting", emf({{35, XForm(2, 0, 0, 1, 0, 0)}, {36, XForm(1, 0, 0, 1, 10, 10) + Longs({4})}}), QRect(10, 10, 40, 40)},
        {"modify back to identity", emf({{35, XForm(2, 0, 0, 1, 0, 0)}, {36, XForm(9, 9, 9, 9, 9, 9) + Longs({1})}}), QRect(0, 0, 40, 40)},
        {"an unknown modify mode changes nothing", emf({{35, XForm(2, 0, 0, 1, 0, 0)}, {36, XForm(1, 0, 0, 1, 30, 30) + Longs({9})}}), QRect(0, 0, 80, 40)},
        {"a transform that is not a number is ignored", emf({{35, XForm(2, 0, 0, 1, 0, 0)}, {35, XForm(nan, 0, 0, 1, 0, 0)}}), QRect(0, 0, 80, 40)},
        {"world before page", emf({{17, Longs({8})}, {9, Longs({100, 100})}, {11, Longs({50, 50})}, {35, XForm(1, 0, 0, 1, 20, 20)}}), QRect(10, 10, 20, 20)},
        {"restored with the state", emf({{33, ""}, {35, XForm(2, 0, 0, 2, 0, 0)}, {34, Longs({-1})}}), QRect(0, 0, 40, 40)},
    };
    for (const auto& c : cases)
        CheckBox(c);
}

TEST(MetafilePlayer, RestoringPicksTheRightSavedState)
{
    // Three saved states with the viewport origin at 0, 10 and 20; the
    // current one at 30. A 10-pixel square shows which one is in force.
    auto play = [](std::vector<std::int64_t> restores, int saves = 1) {
        TEmf e = EmfCanvas(Red);
        for (int origin = 0; origin < 30; origin += 10) {
            for (int i = 0; i < saves; ++i)
                e.Add(33, std::string());
            e.Add(12, {origin + 10, origin + 10});
        }
        for (std::int64_t r : restores)
            e.Add(34, {r});
        e.Add(43, {0, 0, 10, 10});
        return FinishCanvas(e);
    };
    const std::vector<TBoxCase> cases = {
        {"no restore", play({}), QRect(30, 30, 10, 10)},
        {"the newest", play({-1}), QRect(20, 20, 10, 10)},
        {"two back", play({-2}), QRect(10, 10, 10, 10)},
        {"the newest twice", play({-1, -1}), QRect(10, 10, 10, 10)},
        {"the first by number", play({1}), QRect(0, 0, 10, 10)},
        {"the second by number", play({2}), QRect(10, 10, 10, 10)},
        {"further back than saved is ignored", play({-4}), QRect(30, 30, 10, 10)},
        {"a number past the saved is ignored", play({4}), QRect(30, 30, 10, 10)},
        {"zero is ignored", play({0}), QRect(30, 30, 10, 10)},
        {"the most negative number is ignored", play({std::int64_t(INT32_MIN)}), QRect(30, 30, 10, 10)},
        {"a restore consumes the states after it", play({1, -1}), QRect(0, 0, 10, 10)},
        // Thousands of saves are capped, never unbounded; the newest kept
        // state still comes back.
        {"deep nesting", play({-1}, 2000), QRect(20, 20, 10, 10)},
    };
    for (const auto& c : cases)
        CheckBox(c);
}

TEST(MetafilePlayer, ObjectTableSelectsDeletesAndRefuses)
{
    // The canvas brush (object 1) is red; object 2 is blue. A full-picture
    // rectangle shows the brush in force.
    auto emf = [](std::initializer_list<std::pair<std::uint32_t, std::string>> records, bool blueFirst = false) {
        TEmf e = EmfCanvas(Red);
        e.Add(39, {2, 0, Blue, 0});
        if (blueFirst)
            e.Add(37, {2}).Add(43, {0, 0, 100, 100}).Add(37, {1});
        for (const auto& [type, parameters] : records)
            e.Add(type, parameters);
        e.Add(43, {0, 0, 100, 100});
        return FinishCanvas(e);
    };
    TEmf many = EmfCanvas(Red);
    for (std::int64_t i = 2; i < 70000; ++i)
        many.Add(39, {i, 0, Blue, 0});
    many.Add(37, {69999}).Add(43, {0, 0, 100, 100});
    const QPoint centre(50, 50);
    const std::vector<TColourCase> cases = {
        {"made and selected", emf({{37, Longs({2})}}), {{centre, 0x0000FF}}},
        {"never made", emf({{37, Longs({9})}}), {{centre, 0xFF0000}}},
        {"deleted before selection", emf({{40, Longs({2})}, {37, Longs({2})}}), {{centre, 0xFF0000}}},
        {"deleted while selected stays in force", emf({{37, Longs({2})}, {40, Longs({2})}}), {{centre, 0x0000FF}}},
        {"made again after deletion", emf({{40, Longs({2})}, {39, Longs({2, 0, PureGreen, 0})}, {37, Longs({2})}}), {{centre, 0x00FF00}}},
        {"stock black brush", emf({{37, Longs({0x80000004})}}), {{centre, 0x000000}}},
        {"stock grey brush", emf({{37, Longs({0x80000002})}}), {{centre, 0x808080}}},
        {"stock light grey brush", emf({{37, Longs({0x80000001})}}), {{centre, 0xC0C0C0}}},
        {"stock dark grey brush", emf({{37, Longs({0x80000003})}}), {{centre, 0x404040}}},
        {"stock null brush leaves what is there", emf({{37, Longs({0x80000005})}}, true), {{centre, 0x0000FF}}},
        {"an unknown stock object changes nothing", emf({{37, Longs({0x80000063})}}), {{centre, 0xFF0000}}},
        {"the table has a ceiling", FinishCanvas(many), {{centre, 0xFF0000}}},
        // 16-bit objects take the lowest free slot: the canvas has brush 0
        // and pen 1; blue takes 2, green then reuses the freed 0.
        {"16-bit lowest free slot", FinishCanvas(WmfCanvas(Red).Add(0x02FC, Words({0}) + Longs({Blue}) + Words({0})).Add(0x01F0, {0}).Add(0x02FC, Words({0}) + Longs({PureGreen}) + Words({0})).Add(0x012D, {0}).Add(0x041B, {100, 50, 0, 0}).Add(0x012D, {2}).Add(0x041B, {100, 100, 0, 50})), {{{25, 50}, 0x00FF00}, {{75, 50}, 0x0000FF}}},
        {"16-bit full table refuses", WmfCanvas(Red).Add(0x02FC, Words({0}) + Longs({Blue}) + Words({0})).Add(0x012D, {2}).Add(0x041B, {100, 100, 0, 0}).Finish(2, 0, 0, 100, 100, 96), {{centre, 0xFF0000}}},
    };
    for (const auto& c : cases)
        CheckColours(c);
}

std::string Region(std::uint32_t mode, std::initializer_list<QRect> rects)
{
    std::string data = Longs({32, 1, std::int64_t(rects.size()), std::int64_t(16 * rects.size()), 0, 0, 100, 100});
    for (const QRect& r : rects)
        data += Longs({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    return Longs({std::int64_t(data.size()), mode}) + data;
}

TEST(MetafilePlayer, ClippingCombinesAsItsModesSay)
{
    auto emf = [](TRecords records) { return RedCanvasWith(records, {43, Longs({0, 0, 100, 100})}); };
    const std::vector<TPixelCase> cases = {
        {"two intersections", emf({{30, Longs({20, 20, 60, 60})}, {30, Longs({40, 40, 80, 80})}}), {{50, 50}}, {{30, 30}, {70, 70}}},
        {"two exclusions", emf({{29, Longs({0, 0, 30, 30})}, {29, Longs({70, 70, 100, 100})}}), {{50, 50}}, {{15, 15}, {85, 85}}},
        {"clip stays where it was mapped", emf({{12, Longs({20, 20})}, {30, Longs({0, 0, 20, 20})}, {12, Longs({0, 0})}}), {{30, 30}}, {{10, 10}, {50, 50}}},
        {"region or", emf({{30, Longs({0, 0, 20, 20})}, {75, Region(2, {QRect(80, 80, 20, 20)})}}), {{10, 10}, {90, 90}}, {{50, 50}}},
        {"region xor", emf({{75, Region(5, {QRect(0, 0, 60, 60)})}, {75, Region(3, {QRect(40, 40, 60, 60)})}}), {{20, 20}, {80, 80}}, {{50, 50}}},
        {"region difference", emf({{75, Region(4, {QRect(25, 25, 50, 50)})}}), {{10, 10}}, {{50, 50}}},
        {"region and", emf({{75, Region(5, {QRect(0, 0, 60, 60)})}, {75, Region(1, {QRect(40, 40, 60, 60)})}}), {{50, 50}}, {{20, 20}, {80, 80}}},
        {"region of two rectangles", emf({{75, Region(5, {QRect(0, 0, 20, 20), QRect(80, 80, 20, 20)})}}), {{10, 10}, {90, 90}}, {{50, 50}}},
        {"offset clip", emf({{30, Longs({0, 0, 20, 20})}, {26, Longs({50, 50})}}), {{60, 60}}, {{10, 10}}},
        {"restored clip", emf({{33, ""}, {30, Longs({0, 0, 10, 10})}, {34, Longs({-1})}}), {{50, 50}}, {}},
        {"everything excluded", emf({{29, Longs({-10, -10, 110, 110})}}), {}, {{50, 50}, {1, 1}}},
        {"clip path difference", emf({{59, ""}, {43, Longs({0, 0, 50, 100})}, {60, ""}, {67, Longs({4})}}), {{80, 50}}, {{20, 50}}},
    };
    for (const auto& c : cases)
        CheckPixels(c);
}

TEST(MetafilePlayer, PathsDrawOnlyWhatTheirEndingAsks)
{
    // A three-pixel blue pen (object 3) along the square 10..90.
    auto emf = [](std::initializer_list<std::pair<std::uint32_t, std::string>> figure, std::initializer_list<std::uint32_t> after) {
        TEmf e = EmfCanvas(Red);
        e.Add(38, {3, 0, 3, 0, Blue}).Add(37, {3}).Add(59, std::string());
        for (const auto& [type, parameters] : figure)
            e.Add(type, parameters);
        for (std::uint32_t type : after)
            e.Add(type, std::string());
        return FinishCanvas(e);
    };
    const std::initializer_list<std::pair<std::uint32_t, std::string>> square = {{43, Longs({10, 10, 90, 90})}};
    const std::initializer_list<std::pair<std::uint32_t, std::string>> open = {
        {27, Longs({10, 10})}, {54, Longs({90, 10})}, {54, Longs({90, 90})}, {54, Longs({10, 90})}};
    std::vector<std::pair<std::uint32_t, std::string>> closed(open);
    closed.push_back({61, ""});
    const QRgb red = 0xFF0000, blue = 0x0000FF, white = 0xFFFFFF;
    TEmf closedFigure = EmfCanvas(Red);
    closedFigure.Add(38, {3, 0, 3, 0, Blue}).Add(37, {3}).Add(59, std::string());
    for (const auto& [type, parameters] : closed)
        closedFigure.Add(type, parameters);
    closedFigure.Add(60, std::string()).Add(64, std::string());
    const std::vector<TColourCase> cases = {
        {"fill", emf(square, {60, 62}), {{{50, 50}, red}, {{10, 50}, red}, {{5, 50}, white}}},
        {"stroke", emf(square, {60, 64}), {{{50, 50}, white}, {{10, 50}, blue}, {{90, 50}, blue}}},
        {"stroke and fill", emf(square, {60, 63}), {{{50, 50}, red}, {{10, 50}, blue}}},
        {"a path left open draws nothing", emf(square, {}), {{{50, 50}, white}, {{10, 50}, white}}},
        {"ended but never used draws nothing", emf(square, {60}), {{{50, 50}, white}, {{10, 50}, white}}},
        {"an open figure has no closing side", emf(open, {60, 64}), {{{50, 10}, blue}, {{90, 50}, blue}, {{10, 50}, white}}},
        {"a closed figure has", FinishCanvas(closedFigure), {{{10, 50}, blue}, {{50, 50}, white}}},
    };
    for (const auto& c : cases)
        CheckColours(c);
}

// Pixels of the text colour (blue) in an area.
int BluePixels(const QImage& picture, QRect area)
{
    int count = 0;
    area = area.intersected(picture.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += qBlue(picture.pixel(x, y)) > 150 && qRed(picture.pixel(x, y)) < 100 && qGreen(picture.pixel(x, y)) < 100;
    return count;
}

std::string FontRecord(int height, int escapement)
{
    std::string font = Longs({1, height, 0, escapement, escapement, 700}) + std::string(8, '\0');
    for (char16_t c : std::u16string(u"DejaVu Sans"))
        Put16(font, c);
    font.resize(96, '\0');
    return font;
}

std::string TextRecord(int x, int y, const std::u16string& text, int options = 0, QRect box = QRect())
{
    const std::int64_t l = box.isNull() ? 0 : box.left(), t = box.isNull() ? 0 : box.top();
    const std::int64_t r = box.isNull() ? -1 : box.right() + 1, b = box.isNull() ? -1 : box.bottom() + 1;
    std::string record = Longs({0, 0, -1, -1, 1, 0, 0, x, y, std::int64_t(text.size()), 76, options, l, t, r, b, 0});
    for (char16_t c : text)
        Put16(record, c);
    return record;
}

TEST(MetafilePlayer, TextFollowsAlignmentEscapementAndItsBox)
{
    struct TCase {
        const char* Name;
        int Align, Escapement;
        std::vector<QRect> Inked, Clean;
    };
    // The anchor is the middle of the picture; "HH" is about 30 pixels wide.
    const std::vector<TCase> cases = {
        {"centred on top", 6, 0, {QRect(25, 50, 25, 20), QRect(50, 50, 25, 20)}, {QRect(0, 0, 100, 48)}},
        {"right on the bottom", 2 | 8, 0, {QRect(10, 25, 40, 25)}, {QRect(52, 0, 48, 100), QRect(0, 52, 100, 48)}},
        {"left on the baseline", 24, 0, {QRect(50, 30, 40, 20)}, {QRect(0, 0, 48, 100), QRect(0, 54, 100, 46)}},
        {"a quarter turn runs upwards", 24, 900, {QRect(25, 10, 25, 40)}, {QRect(54, 0, 46, 100), QRect(0, 54, 100, 46)}},
        {"three quarters run downwards", 24, 2700, {QRect(50, 50, 25, 40)}, {QRect(0, 0, 46, 100), QRect(0, 0, 100, 46)}},
        {"a half turn runs leftwards upside down", 24, 1800, {QRect(10, 50, 40, 20)}, {QRect(54, 0, 46, 100), QRect(0, 0, 100, 46)}},
    };
    for (const auto& c : cases) {
        TEmf e;
        e.Add(82, FontRecord(-20, c.Escapement)).Add(37, {1}).Add(24, {Blue}).Add(18, {1}).Add(22, {c.Align});
        e.Add(84, TextRecord(50, 50, u"HH"));
        const QImage picture = Render(e.Finish(0, 0, 2646, 2646));
        ASSERT_FALSE(picture.isNull()) << c.Name;
        for (const QRect& area : c.Inked)
            EXPECT_GT(BluePixels(picture, area), 20) << c.Name << " inked";
        for (const QRect& area : c.Clean)
            EXPECT_EQ(BluePixels(picture, area), 0) << c.Name << " clean";
    }

    // The current position: the second text continues where the first ended
    // and the reference points are ignored.
    TEmf follow;
    follow.Add(82, FontRecord(-20, 0)).Add(37, {1}).Add(24, {Blue}).Add(18, {1}).Add(22, {1 | 24}).Add(27, {5, 50});
    follow.Add(84, TextRecord(0, 95, u"HH")).Add(84, TextRecord(0, 95, u"HH"));
    const QImage followed = Render(follow.Finish(0, 0, 2646, 2646));
    ASSERT_FALSE(followed.isNull());
    EXPECT_GT(BluePixels(followed, QRect(5, 30, 28, 20)), 20);
    EXPECT_GT(BluePixels(followed, QRect(38, 30, 28, 20)), 20);
    EXPECT_EQ(BluePixels(followed, QRect(0, 60, 100, 40)), 0);

    // An opaque box is filled with the background colour; a clipped one
    // keeps the letters inside.
    TEmf boxed;
    boxed.Add(82, FontRecord(-20, 0)).Add(37, {1}).Add(24, {Blue}).Add(25, {PureGreen}).Add(18, {1}).Add(22, {24});
    boxed.Add(84, TextRecord(10, 50, u"HHHHHH", 2 | 4, QRect(0, 20, 40, 60)));
    const QImage box = Render(boxed.Finish(0, 0, 2646, 2646));
    ASSERT_FALSE(box.isNull());
    EXPECT_EQ(At(box, 3, 75), 0x00FF00u);
    EXPECT_EQ(At(box, 3, 10), 0xFFFFFFu);
    EXPECT_GT(BluePixels(box, QRect(10, 30, 30, 20)), 20);
    EXPECT_EQ(BluePixels(box, QRect(42, 0, 58, 100)), 0);
}

// A DIB header of 40 bytes.
std::string DibHeader(int width, int height, int bits, int colours = 0)
{
    return Longs({40, width, height}) + Words({1, bits}) + Longs({0, 0, 0, 0, colours, 0});
}

// EMR_STRETCHDIBITS onto the destination rectangle.
std::string StretchDib(QRect destination, QRect source, const std::string& info, const std::string& bits,
                       int usage = 0, std::uint32_t rop = 0xCC0020)
{
    const std::int64_t infoSize = std::int64_t(info.size()), bitsSize = std::int64_t(bits.size());
    return Longs({0, 0, 0, 0, destination.x(), destination.y(), source.x(), source.y(), source.width(),
                  source.height(), 80, infoSize, 80 + infoSize, bitsSize, usage, rop, destination.width(),
                  destination.height()})
        + info + bits;
}

// EMR_SETDIBITSTODEVICE at a point.
std::string DibToDevice(QPoint at, QRect source, const std::string& info, const std::string& bits)
{
    const std::int64_t infoSize = std::int64_t(info.size()), bitsSize = std::int64_t(bits.size());
    return Longs({0, 0, 0, 0, at.x(), at.y(), source.x(), source.y(), source.width(), source.height(), 76, infoSize,
                  76 + infoSize, bitsSize, 0, 0, source.height()})
        + info + bits;
}

TEST(MetafilePlayer, DeviceIndependentBitmapsLandTheRightWayUp)
{
    // Red top left, green top right, blue bottom left, yellow bottom right.
    // 20 x 20 pixels in quarters of 10.
    auto quadrant = [](int x, int y) -> std::uint32_t {
        static const std::uint32_t colours[2][2] = {{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFF00}};
        return colours[y / 10][x / 10];
    };
    std::string upBits;
    const std::string upInfo = Dib24(20, 20, quadrant, &upBits);
    // The same picture stored top row first.
    const std::string downInfo = DibHeader(20, -20, 24);
    std::string downBits;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const std::uint32_t c = quadrant(x, y);
            downBits += std::string{char(c & 255), char(c >> 8 & 255), char(c >> 16 & 255)};
        }
    }
    const QRect all(0, 0, 100, 100);
    const std::vector<std::pair<QPoint, QRgb>> whole = {
        {{25, 25}, 0xFF0000}, {{75, 25}, 0x00FF00}, {{25, 75}, 0x0000FF}, {{75, 75}, 0xFFFF00}};
    const QPoint centre(50, 50);

    // 8 bits whose colour table holds palette indices: 0 -> 1, 1 -> 0.
    const std::string indexedInfo = DibHeader(2, 1, 8, 2) + Words({1, 0});
    const std::string indexedBits = std::string("\x00\x01\x00\x00", 4);
    const std::string palette = Longs({2}) + Words({0x300, 2}) + Longs({0xFF0000, 0x00FF00}); // blue, green
    // Default palette indices 13 and 16: red and blue.
    const std::string defaultInfo = DibHeader(2, 1, 8, 2) + Words({13, 16});
    // 1 bit, white then black.
    const std::string monoInfo = DibHeader(2, 1, 1, 2) + Longs({0xFFFFFF, 0x000000});
    const std::string monoBits = std::string("\x40\x00\x00\x00", 4);
    // 32 bits with a non-zero fourth byte: still opaque.
    const std::string wideInfo = DibHeader(1, 1, 32);
    const std::string wideBits = std::string("\x00\x00\xFF\x40", 4);

    const std::vector<TColourCase> cases = {
        {"bottom-up", FinishCanvas(EmfCanvas(Red).Add(81, StretchDib(all, QRect(0, 0, 20, 20), upInfo, upBits))), whole},
        {"top-down", FinishCanvas(EmfCanvas(Red).Add(81, StretchDib(all, QRect(0, 0, 20, 20), downInfo, downBits))), whole},
        {"bottom-up source counts from the bottom", FinishCanvas(EmfCanvas(Red).Add(81, StretchDib(all, QRect(0, 0, 10, 10), upInfo, upBits))), {{centre, 0x0000FF}}},
        {"top-down source counts from the top", FinishCanvas(EmfCanvas(Red).Add(81, StretchDib(all, QRect(0, 0, 10, 10), downInfo, downBits))), {{centre, 0xFF0000}}},
        {"bottom-up upper right", FinishCanvas(EmfCanvas(Red).Add(81, StretchDib(all, QRect(10, 10, 10, 10), upInfo, upBits))), {{centre, 0x00FF00}}},
        {"mirrored by a negative width", FinishCanvas(EmfCanvas(Red).Add(81, StretchDib(QRect(100, 0, -100, 100), QRect(0, 0, 20, 20), upInfo, upBits))), {{{25, 25}, 0x00FF00}, {{75, 75}, 0x0000FF}}},
        {"to the device from the bottom", FinishCanvas(EmfCanvas(Red).Add(80, DibToDevice({10, 10}, QRect(0, 0, 10, 10), upInfo, upBits))), {{{15, 15}, 0x0000FF}, {{25, 25}, 0xFFFFFF}}},
        {"to the device from the top", FinishCanvas(EmfCanvas(Red).Add(80, DibToDevice({10, 10}, QRect(0, 0, 10, 10), downInfo, downBits))), {{{15, 15}, 0xFF0000}, {{25, 25}, 0xFFFFFF}}},
        {"palette indices", FinishCanvas(EmfCanvas(Red).Add(49, palette).Add(48, {2}).Add(81, StretchDib(all, QRect(0, 0, 2, 1), indexedInfo, indexedBits, 1))), {{{25, 50}, 0x00FF00}, {{75, 50}, 0x0000FF}}},
        {"palette indices into the default palette", FinishCanvas(EmfCanvas(Red).Add(81, StretchDib(all, QRect(0, 0, 2, 1), defaultInfo, indexedBits, 1))), {{{25, 50}, 0xFF0000}, {{75, 50}, 0x0000FF}}},
        {"one bit", FinishCanvas(EmfCanvas(Red).Add(81, StretchDib(all, QRect(0, 0, 2, 1), monoInfo, monoBits))), {{{25, 50}, 0xFFFFFF}, {{75, 50}, 0x000000}}},
        {"32 bits ignore the fourth byte", FinishCanvas(EmfCanvas(Red).Add(81, StretchDib(all, QRect(0, 0, 1, 1), wideInfo, wideBits))), {{centre, 0xFF0000}}},
        {"16-bit record, bottom-up source", FinishCanvas(WmfCanvas(Red).Add(0x0F43, Longs({0xCC0020}) + Words({0, 10, 10, 0, 0, 100, 100, 0, 0}) + upInfo + upBits)), {{centre, 0x0000FF}}},
        {"16-bit record, palette indices", FinishCanvas(WmfCanvas(Red).Add(0x00F7, Words({0x300, 2}) + Longs({0xFF0000, 0x00FF00})).Add(0x0234, {2}).Add(0x0F43, Longs({0xCC0020}) + Words({1, 1, 2, 0, 0, 100, 100, 0, 0}) + indexedInfo + indexedBits)), {{{25, 50}, 0x00FF00}, {{75, 50}, 0x0000FF}}},
    };
    for (const auto& c : cases)
        CheckColours(c);
}

TEST(MetafilePlayer, RasterOperationsMixSourceBrushAndDestination)
{
    // Destination pure green, source a red pixel, brush blue.
    struct TCase {
        const char* Name;
        std::uint32_t Rop;
        QRgb Expected;
    };
    const std::vector<TCase> cases = {
        {"source copy", 0xCC0020, 0xFF0000},
        {"source paint (or)", 0xEE0086, 0xFFFF00},
        {"source and", 0x8800C6, 0x000000},
        {"source invert (xor)", 0x660046, 0xFFFF00},
        {"source erase", 0x440328, 0xFF0000},
        {"not source copy", 0x330008, 0x00FFFF},
        {"not source erase", 0x1100A6, 0x0000FF},
        {"merge paint", 0xBB0226, 0x00FFFF},
        {"not source and destination", 0x220326, 0x00FF00},
        {"not xor", 0x990066, 0x0000FF},
        {"destination invert", 0x550009, 0xFF00FF},
        {"blackness", 0x000042, 0x000000},
        {"whiteness", 0xFF0062, 0xFFFFFF},
        {"no operation", 0xAA0029, 0x00FF00},
        {"pattern copy", 0xF00021, 0x0000FF},
        {"pattern invert", 0x5A0049, 0x00FFFF},
    };
    const std::string info = DibHeader(1, 1, 24);
    const std::string bits("\x00\x00\xFF\x00", 4);
    for (const auto& c : cases) {
        TEmf e;
        e.Add(39, {1, 0, PureGreen, 0}).Add(37, {1}).Add(37, {0x80000008}).Add(43, {-5, -5, 105, 105});
        e.Add(39, {2, 0, PureBlue, 0}).Add(37, {2});
        e.Add(81, StretchDib(QRect(20, 20, 60, 60), QRect(0, 0, 1, 1), info, bits, 0, c.Rop));
        const QImage picture = Render(FinishCanvas(e));
        ASSERT_FALSE(picture.isNull()) << c.Name;
        EXPECT_EQ(At(picture, 50, 50), c.Expected) << c.Name;
        EXPECT_EQ(At(picture, 10, 10), 0x00FF00u) << c.Name << " outside";
    }
}

TEST(MetafilePlayer, HostileRecordsStopOrAreRefusedWithoutHarm)
{
    // Each case draws the red top-left quarter first; what follows must not
    // crash, hang or allocate without bound, and a stop keeps the quarter.
    auto after = [](std::initializer_list<std::pair<std::uint32_t, std::string>> records, bool thenDraw) {
        TEmf e = EmfCanvas(Red);
        e.Add(43, {0, 0, 50, 50});
        for (const auto& [type, parameters] : records)
            e.Add(type, parameters);
        if (thenDraw)
            e.Add(12, {0, 0}).Add(17, {1}).Add(36, XForm(1, 0, 0, 1, 0, 0) + Longs({1})).Add(43, {50, 50, 100, 100});
        return FinishCanvas(e);
    };
    const std::string hugeInfo = DibHeader(1000000, 1000000, 24);
    const std::vector<TPixelCase> cases = {
        {"polygon count of minus one", after({{3, Longs({0, 0, 0, 0, 0xFFFFFFFF, 50, 50})}}, true), {{25, 25}}, {{75, 75}}},
        {"poly-polygon count of minus one", after({{8, Longs({0, 0, 0, 0, 0xFFFFFFFF, 3, 3})}}, true), {{25, 25}}, {{75, 75}}},
        {"poly-polygon counts beyond their total", after({{8, Longs({0, 0, 0, 0, 1, 3, 0x7FFFFFFF, 0, 0, 1, 1, 2, 2})}}, true), {{25, 25}}, {{75, 75}}},
        {"a huge viewport is refused, the play goes on", after({{17, Longs({8})}, {9, Longs({1, 1})}, {11, Longs({0x7FFFFFFF, 0x7FFFFFFF})}, {43, Longs({0, 0, 2, 2})}}, true), {{25, 25}, {75, 75}}, {}},
        {"coordinates at the ends of the range", after({{43, Longs({-0x7FFFFFFF - 1, -0x7FFFFFFF - 1, 0x7FFFFFFF, 0x7FFFFFFF})}, {42, Longs({-0x7FFFFFFF - 1, 0, 0x7FFFFFFF, 10})}}, true), {{25, 25}, {75, 75}}, {}},
        {"a world transform of huge scale", after({{35, XForm(1e30f, 0, 0, 1e30f, 0, 0)}, {43, Longs({0, 0, 10, 10})}}, true), {{25, 25}, {75, 75}}, {}},
        {"a bitmap claiming a million pixels square", after({{81, StretchDib(QRect(0, 0, 100, 100), QRect(0, 0, 1000000, 1000000), hugeInfo, std::string(4, '\xFF'))}}, true), {{25, 25}, {75, 75}}, {}},
        {"a bitmap of negative width", after({{81, StretchDib(QRect(0, 0, 100, 100), QRect(0, 0, 1, 1), DibHeader(-1, 1, 24), std::string(4, '\0'))}}, true), {{25, 25}, {75, 75}}, {}},
        {"a colour table past its block", after({{81, StretchDib(QRect(0, 0, 100, 100), QRect(0, 0, 1, 1), DibHeader(1, 1, 8, 0x7FFFFFFF), std::string(4, '\0'))}}, true), {{25, 25}, {75, 75}}, {}},
        {"bitmap offsets past the record", after({{81, Longs({0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0x7FFFFFF0, 40, 0xFFFFFFF0, 4, 0, 0xCC0020, 100, 100})}}, true), {{25, 25}}, {{75, 75}}},
        {"text counting more characters than it holds", after({{84, Longs({0, 0, -1, -1, 1, 0, 0, 10, 10, 0x7FFFFFFF, 76, 0, 0, 0, -1, -1, 0})}}, true), {{25, 25}, {75, 75}}, {}},
        {"a pen wider than the picture", after({{38, Longs({3, 0, 0x7FFFFFFF, 0, Red})}, {37, Longs({3})}, {43, Longs({40, 40, 45, 45})}}, false), {{25, 25}, {75, 75}}, {}},
        {"ten thousand open paths", [&] {
             TEmf e = EmfCanvas(Red);
             e.Add(43, {0, 0, 50, 50});
             for (int i = 0; i < 10000; ++i)
                 e.Add(59, std::string()).Add(43, {0, 0, 100, 100});
             e.Add(68, std::string()).Add(43, {50, 50, 100, 100});
             return FinishCanvas(e);
         }(), {{25, 25}, {75, 75}}, {{75, 25}}},
    };
    for (const auto& c : cases)
        CheckPixels(c);

    // A 16-bit poly-polygon whose counts run far past its record stops the play.
    TWmf w = WmfCanvas(Red);
    w.Add(0x041B, {50, 50, 0, 0}).Add(0x0538, Words({0xFFFF, 0xFFFF, 0xFFFF})).Add(0x041B, {100, 100, 50, 50});
    CheckPixels({"16-bit poly-polygon of 65535 shapes", FinishCanvas(w), {{25, 25}}, {{75, 75}}});

    // A bitmap over the allocation ceiling is skipped rather than failing the picture.
    SetAllocationCeilingForTesting(1 << 20);
    const std::string bigInfo = DibHeader(4000, 4000, 24);
    std::string error;
    const QImage ceiling = Render(after({{81, StretchDib(QRect(0, 0, 100, 100), QRect(0, 0, 4000, 4000), bigInfo, std::string(64, '\xFF'))}}, true), &error);
    SetAllocationCeilingForTesting(0);
    ASSERT_FALSE(ceiling.isNull()) << error;
    EXPECT_EQ(At(ceiling, 25, 25), 0xFF0000u);
    EXPECT_EQ(At(ceiling, 75, 25), 0xFFFFFFu);
}

} // namespace
