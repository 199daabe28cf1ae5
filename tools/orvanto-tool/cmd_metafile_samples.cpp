// Writes the hand-made metafiles that are compared with another renderer:
// each one exercises a family of records.
#include "command_registry.h"
#include "metafile_builder.h"

#include <QDir>
#include <QFile>

#include <functional>
#include <map>

namespace orvanto {

using namespace metafile_builder;

namespace {

std::uint32_t Rgb(int r, int g, int b) { return std::uint32_t(r | g << 8 | b << 16); }

// ---- 16-bit records, parameters in their stored order ----
std::string WPen(int style, int width, std::uint32_t colour) { return Words({style, width, 0}) + Longs({colour}); }
std::string WBrush(int style, std::uint32_t colour, int hatch) { return Words({style}) + Longs({colour}) + Words({hatch}); }
std::string WFont(int height, int escapement, int weight, bool italic, const std::string& face, int charset = 0)
{
    std::string f = Words({height, 0, escapement, escapement, weight});
    f += char(italic ? 1 : 0);
    f += char(0);
    f += char(0);
    f += char(charset);
    f += std::string("\0\0\0\0", 4);
    f += face;
    f.resize(18 + 32, '\0');
    return f;
}
std::string WText(int x, int y, const std::string& text)
{
    std::string t = Words({int(text.size())}) + text;
    if (t.size() % 2)
        t.push_back('\0');
    return t + Words({y, x});
}
std::string WPoints(std::initializer_list<int> xy)
{
    return Words({int(xy.size() / 2)}) + Words(xy);
}

// Every sample draws on a 3000 x 2250 twip box: 200 x 150 pixels at 96 per inch.
std::string WmfShapes()
{
    TWmf w;
    w.Add(0x020B, {0, 0}).Add(0x020C, {2250, 3000}).Add(0x0103, {8});
    w.Add(0x02FA, WPen(0, 45, Rgb(0, 0, 160)));          // 0
    w.Add(0x02FC, WBrush(0, Rgb(255, 200, 0), 0));       // 1
    w.Add(0x02FC, WBrush(0, Rgb(0, 128, 0), 0));         // 2
    w.Add(0x02FA, WPen(1, 0, Rgb(200, 0, 0)));           // 3 dashed
    w.Add(0x02FC, WBrush(0, Rgb(120, 170, 255), 0));     // 4
    w.Add(0x012D, {0}).Add(0x012D, {1});
    w.Add(0x041B, {900, 1200, 150, 150});                // rectangle
    w.Add(0x012D, {4});
    w.Add(0x0418, {900, 2800, 150, 1500});               // ellipse
    w.Add(0x012D, {2});
    w.Add(0x0102, {1});
    w.Add(0x061C, {300, 300, 2100, 1200, 1100, 150});     // round rectangle
    w.Add(0x012D, {1});
    w.Add(0x081A, {1500, 2100, 1200, 2800, 2100, 2800, 1100, 1400}); // pie
    w.Add(0x012D, {3});
    w.Add(0x0325, WPoints({1400, 2200, 1800, 1700, 2200, 2200, 2600, 1700, 2900, 2200}));
    w.Add(0x012D, {0});
    w.Add(0x0214, {1000, 100}).Add(0x0213, {1000, 2900});
    return w.Finish(5, 0, 0, 3000, 2250, 1440);
}

std::string WmfPolygons()
{
    TWmf w;
    w.Add(0x020B, {0, 0}).Add(0x020C, {2250, 3000}).Add(0x0103, {8});
    w.Add(0x02FA, WPen(0, 30, Rgb(0, 0, 0)));
    w.Add(0x02FC, WBrush(0, Rgb(220, 40, 40), 0));
    w.Add(0x02FC, WBrush(0, Rgb(40, 160, 40), 0));
    w.Add(0x012D, {0}).Add(0x012D, {1});
    w.Add(0x0324, WPoints({200, 1000, 700, 100, 1200, 1000}));         // triangle
    w.Add(0x0106, {2});                                                 // winding
    w.Add(0x012D, {2});
    // a star drawn as one self-crossing polygon: filled solid with winding
    w.Add(0x0324, WPoints({1900, 100, 2200, 1000, 1450, 450, 2350, 450, 1600, 1000}));
    w.Add(0x0106, {1});
    // two squares, the inner one a hole
    w.Add(0x0538, Words({2, 4, 4}) + Words({300, 1200, 1400, 1200, 1400, 2150, 300, 2150}) +
                      Words({600, 1500, 1100, 1500, 1100, 1850, 600, 1850}));
    w.Add(0x012D, {1});
    w.Add(0x0830, {1300, 2900, 1700, 1700, 2200, 2900, 1200, 1600}); // chord
    w.Add(0x0817, {2200, 1600, 1700, 2900, 2200, 2900, 1200, 1600}); // arc
    return w.Finish(3, 0, 0, 3000, 2250, 1440);
}

std::string WmfText()
{
    TWmf w;
    w.Add(0x020B, {0, 0}).Add(0x020C, {2250, 3000}).Add(0x0103, {8});
    w.Add(0x02FB, WFont(-300, 0, 400, false, "DejaVu Sans"));     // 0
    w.Add(0x02FB, WFont(-360, 0, 700, true, "DejaVu Serif"));     // 1
    w.Add(0x02FB, WFont(-240, 900, 400, false, "DejaVu Sans"));   // 2 rotated 90 degrees
    w.Add(0x0209, Longs({Rgb(0, 0, 0)}));
    w.Add(0x0102, {1});
    w.Add(0x012D, {0});
    w.Add(0x012E, {0});
    w.Add(0x0521, WText(150, 100, "Left top"));
    w.Add(0x012E, {2 | 24});
    w.Add(0x0209, Longs({Rgb(200, 0, 0)}));
    w.Add(0x0521, WText(2850, 800, "Right base"));
    w.Add(0x012D, {1});
    w.Add(0x012E, {6 | 8});
    w.Add(0x0209, Longs({Rgb(0, 0, 180)}));
    w.Add(0x0521, WText(1500, 1500, "Centre"));
    w.Add(0x012D, {2});
    w.Add(0x012E, {0 | 24});
    w.Add(0x0209, Longs({Rgb(0, 120, 0)}));
    w.Add(0x0521, WText(400, 2150, "Up"));
    // spaced letters through the character widths
    w.Add(0x012D, {0});
    w.Add(0x012E, {24});
    w.Add(0x0102, {2});
    w.Add(0x0201, Longs({Rgb(255, 255, 0)}));
    w.Add(0x0209, Longs({Rgb(0, 0, 0)}));
    w.Add(0x0A32, Words({2000, 1000, 4, 0}) + "WIDE" + Words({300, 300, 300, 300}));
    return w.Finish(3, 0, 0, 3000, 2250, 1440);
}

std::string WmfBitmap()
{
    TWmf w;
    w.Add(0x020B, {0, 0}).Add(0x020C, {150, 200}).Add(0x0103, {8});
    const std::string checker = Dib24(8, 8, [](int x, int y) {
        return ((x / 2 + y / 2) % 2) ? 0x2040C0u : 0xF0E0A0u;
    });
    const std::string ramp = Dib24(16, 4, [](int x, int y) { return std::uint32_t((x * 16) << 16 | (y * 60) << 8 | 128); });
    // stretch the checkerboard over 80 x 80, copy
    w.Add(0x0F43, Longs({0xCC0020}) + Words({0, 8, 8, 0, 0, 80, 80, 10, 10}) + checker);
    // the ramp with a plain copy at its own size, then stretched
    w.Add(0x0940, Longs({0xCC0020}) + Words({0, 0, 4, 16, 10, 110}) + ramp);
    w.Add(0x0B41, Longs({0xCC0020}) + Words({4, 16, 0, 0, 60, 80, 30, 110}) + ramp);
    // a brush filled by a pattern operation
    w.Add(0x02FC, WBrush(0, Rgb(200, 0, 100), 0));
    w.Add(0x012D, {0});
    w.Add(0x061D, Longs({0xF00021}) + Words({40, 80, 100, 10}));
    return w.Finish(1, 0, 0, 200, 150, 96);
}

std::string WmfClip()
{
    TWmf w;
    w.Add(0x020B, {0, 0}).Add(0x020C, {2250, 3000}).Add(0x0103, {8});
    w.Add(0x02FC, WBrush(0, Rgb(30, 90, 200), 0));
    w.Add(0x02FA, WPen(5, 0, 0));
    w.Add(0x012D, {0}).Add(0x012D, {1});
    w.Add(0x001E, {});
    w.Add(0x0416, {1800, 2400, 300, 600});   // keep only the middle
    w.Add(0x0415, {1200, 1800, 800, 1200});  // minus a window
    w.Add(0x0418, {2250, 3000, 0, 0});
    w.Add(0x0127, {-1});
    w.Add(0x02FC, WBrush(0, Rgb(230, 50, 50), 0));
    w.Add(0x012D, {2});
    w.Add(0x041B, {2200, 500, 1900, 50});     // not clipped after the restore
    return w.Finish(3, 0, 0, 3000, 2250, 1440);
}

std::string WmfPlain()
{
    // No placeable header: the window frames the picture (200 x 150 pixels).
    TWmf w;
    w.Add(0x0103, {8}).Add(0x020B, {-50, -100}).Add(0x020C, {150, 200});
    w.Add(0x02FC, WBrush(0, Rgb(0, 150, 150), 0));
    w.Add(0x012D, {0});
    w.Add(0x041B, {0, 0, -50, -100});
    w.Add(0x0418, {100, 100, 0, 0});
    return w.Finish(1);
}

// ---- enhanced records ----
std::string EPen(int index, int style, int width, std::uint32_t colour) { return Longs({index, style, width, 0, colour}); }
std::string EBrush(int index, int style, std::uint32_t colour, int hatch) { return Longs({index, style, colour, hatch}); }
std::string EFont(int index, int height, int escapement, int weight, bool italic, const std::u16string& face)
{
    std::string f = Longs({index, height, 0, escapement, escapement, weight});
    f += char(italic ? 1 : 0);
    f += std::string(7, '\0');
    for (char16_t c : face)
        Put16(f, c);
    f.resize(12 + 92 - 8, '\0');
    return f;
}
std::string EText(int x, int y, const std::u16string& text, const std::vector<int>& dx = {})
{
    // bounds, graphics mode, scales, reference, count, offsets, options, rectangle, dx offset
    const int offString = 76;
    const int offDx = dx.empty() ? 0 : offString + int((text.size() * 2 + 3) / 4 * 4);
    std::string r = Longs({0, 0, -1, -1, 1}) + std::string(8, '\0');
    r += Longs({x, y, int(text.size()), offString, 0, 0, 0, -1, -1, offDx});
    for (char16_t c : text)
        Put16(r, c);
    while ((r.size() + 8) % 4)
        r.push_back('\0');
    for (int d : dx)
        Put32(r, d);
    return r;
}
std::string EPoints16(std::initializer_list<int> xy)
{
    return Longs({0, 0, 0, 0, int(xy.size() / 2)}) + Words(xy);
}

// Every enhanced sample: frame 5292 x 3969 hundredths of a millimetre, 200 x 150 pixels.
constexpr int FrameW = 5292, FrameH = 3969;

std::string EmfShapes()
{
    TEmf e;
    e.Add(38, EPen(1, 0, 3, Rgb(0, 0, 0)));
    e.Add(39, EBrush(2, 0, Rgb(250, 180, 60), 0));
    e.Add(39, EBrush(3, 0, Rgb(160, 0, 160), 0));
    e.Add(95, Longs({4, 0, 0, 0, 0, 0x10000 | 0x200 | 0x2000, 10, 0, Rgb(0, 100, 200), 0, 0}));
    e.Add(37, {1}).Add(37, {2});
    e.Add(43, {10, 10, 90, 70});
    e.Add(37, {3});
    e.Add(42, {110, 10, 190, 70});
    e.Add(37, {0x80000004}); // black stock brush
    e.Add(44, {10, 85, 90, 140, 30, 30});
    e.Add(37, {2});
    e.Add(47, {110, 80, 190, 145, 190, 112, 150, 145});
    e.Add(37, {4});
    e.Add(87, EPoints16({20, 120, 50, 95, 80, 120}));
    e.Add(85, EPoints16({110, 75, 130, 40, 170, 110, 190, 75}));
    return e.Finish(0, 0, FrameW, FrameH);
}

std::string EmfPaths()
{
    TEmf e;
    e.Add(38, EPen(1, 0, 4, Rgb(120, 0, 0)));
    e.Add(39, EBrush(2, 0, Rgb(255, 220, 220), 0));
    e.Add(37, {1}).Add(37, {2});
    e.Add(59, std::string());
    e.Add(27, {20, 20});
    e.Add(54, {90, 20});
    e.Add(88, EPoints16({130, 20, 130, 130, 90, 130}));
    e.Add(54, {20, 130});
    e.Add(61, std::string());
    e.Add(60, std::string());
    e.Add(63, {0, 0, -1, -1});
    // a clip path: a circle, then stripes drawn through it
    e.Add(59, std::string());
    e.Add(42, {120, 40, 190, 110});
    e.Add(60, std::string());
    e.Add(67, {5});
    e.Add(39, EBrush(3, 0, Rgb(0, 90, 200), 0));
    e.Add(37, {3});
    e.Add(37, {0x80000008}); // no pen
    for (int y = 40; y < 110; y += 14)
        e.Add(43, {100, y, 200, y + 7});
    return e.Finish(0, 0, FrameW, FrameH);
}

std::string EmfTransform()
{
    TEmf e;
    // Logical units of a tenth of a millimetre with y upwards.
    e.Add(17, {2});
    e.Add(12, {0, 150});                       // origin at the bottom left
    e.Add(39, EBrush(1, 0, Rgb(0, 160, 80), 0));
    e.Add(37, {1});
    e.Add(43, {50, 50, 250, 250});             // 2 x 2 cm square
    // An anisotropic window: 100 x 100 units over 80 x 40 pixels.
    e.Add(17, {8});
    e.Add(9, {100, 100}).Add(10, {0, 0});
    e.Add(11, {80, 40}).Add(12, {110, 10});
    e.Add(39, EBrush(2, 0, Rgb(200, 60, 0), 0));
    e.Add(37, {2});
    e.Add(42, {0, 0, 100, 100});
    // Back to pixels, a world transform rotating by 30 degrees about (150, 110).
    e.Add(17, {1});
    e.Add(12, {0, 0});
    std::string x;
    const float c = 0.8660254f, s = 0.5f;
    PutFloat(x, c); PutFloat(x, s); PutFloat(x, -s); PutFloat(x, c);
    PutFloat(x, 150 - 150 * c + 110 * s); PutFloat(x, 110 - 150 * s - 110 * c);
    e.Add(35, x);
    e.Add(39, EBrush(3, 0, Rgb(60, 60, 220), 0));
    e.Add(37, {3});
    e.Add(43, {120, 95, 180, 125});
    return e.Finish(0, 0, FrameW, FrameH);
}

std::string EmfText()
{
    TEmf e;
    e.Add(82, EFont(1, -22, 0, 400, false, u"DejaVu Sans"));
    e.Add(82, EFont(2, -26, 0, 700, true, u"DejaVu Serif"));
    e.Add(82, EFont(3, -18, 450, 400, false, u"DejaVu Sans"));
    e.Add(18, {1});
    e.Add(37, {1});
    e.Add(24, {Rgb(0, 0, 0)});
    e.Add(22, {0});
    e.Add(84, EText(8, 6, u"Top left"));
    e.Add(22, {24 | 2});
    e.Add(24, {Rgb(180, 0, 0)});
    e.Add(84, EText(192, 60, u"Right \u00e9t\u00e9"));
    e.Add(37, {2});
    e.Add(22, {6 | 8});
    e.Add(24, {Rgb(0, 0, 160)});
    e.Add(84, EText(100, 100, u"Centred"));
    e.Add(37, {3});
    e.Add(22, {24});
    e.Add(24, {Rgb(0, 128, 0)});
    e.Add(84, EText(20, 140, u"Slanted"));
    e.Add(37, {1});
    e.Add(18, {2});
    e.Add(25, {Rgb(255, 255, 0)});
    e.Add(24, {Rgb(0, 0, 0)});
    e.Add(84, EText(120, 140, u"GAP", {22, 22, 22}));
    return e.Finish(0, 0, FrameW, FrameH);
}

std::string EmfBitmap()
{
    TEmf e;
    std::string bits;
    const std::string info = Dib24(8, 8, [](int x, int y) { return ((x + y) % 2) ? 0x000000u : 0xFF8000u; }, &bits);
    // stretch 8 x 8 over 120 x 120 at (10, 10)
    std::string r = Longs({0, 0, 0, 0, 10, 10, 0, 0, 8, 8, 80, int(info.size()), 80 + int(info.size()),
                           int(bits.size()), 0, 0xCC0020, 120, 120});
    e.Add(81, r + info + bits);
    std::string rampBits;
    const std::string rampInfo = Dib24(32, 16, [](int x, int y) { return std::uint32_t((x * 8) << 16 | (y * 16)); }, &rampBits);
    // a plain copy at (140, 20), 32 x 16 from the source's (0, 0)
    std::string b = Longs({0, 0, 0, 0, 140, 20, 32, 16, 0xCC0020, 0, 0});
    PutFloat(b, 1); PutFloat(b, 0); PutFloat(b, 0); PutFloat(b, 1); PutFloat(b, 0); PutFloat(b, 0);
    b += Longs({0, 0, 100, int(rampInfo.size()), 100 + int(rampInfo.size()), int(rampBits.size())});
    e.Add(76, b + rampInfo + rampBits);
    // a brush-only block
    e.Add(39, EBrush(1, 0, Rgb(0, 160, 0), 0));
    e.Add(37, {1});
    std::string p = Longs({0, 0, 0, 0, 140, 60, 50, 70, 0xF00021, 0, 0});
    PutFloat(p, 1); PutFloat(p, 0); PutFloat(p, 0); PutFloat(p, 1); PutFloat(p, 0); PutFloat(p, 0);
    p += Longs({0, 0, 0, 0, 0, 0});
    e.Add(76, p);
    return e.Finish(0, 0, FrameW, FrameH);
}

std::string EmfGradient()
{
    TEmf e;
    // two vertices per rectangle: top-left red to bottom-right blue, left to right
    std::string g = Longs({0, 0, 0, 0, 4, 2, 0});
    auto vertex = [&](int x, int y, int r, int gr, int b) {
        g += Longs({x, y});
        g += Words({r << 8, gr << 8, b << 8, 0});
    };
    vertex(10, 10, 255, 0, 0);
    vertex(190, 70, 0, 0, 255);
    vertex(10, 80, 255, 255, 0);
    vertex(190, 140, 0, 128, 0);
    g += Longs({0, 1, 2, 3});
    e.Add(118, g);
    return e.Finish(0, 0, FrameW, FrameH);
}

const std::map<std::string, std::function<std::string()>>& Samples()
{
    static const std::map<std::string, std::function<std::string()>> samples = {
        {"wmf_shapes.wmf", WmfShapes},     {"wmf_polygons.wmf", WmfPolygons}, {"wmf_text.wmf", WmfText},
        {"wmf_bitmap.wmf", WmfBitmap},     {"wmf_clip.wmf", WmfClip},         {"wmf_plain.wmf", WmfPlain},
        {"emf_shapes.emf", EmfShapes},     {"emf_paths.emf", EmfPaths},       {"emf_transform.emf", EmfTransform},
        {"emf_text.emf", EmfText},         {"emf_bitmap.emf", EmfBitmap},     {"emf_gradient.emf", EmfGradient},
    };
    return samples;
}

int RunSamples(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return Fail("Usage: orvanto-tool metafile-samples FOLDER");
    const QString folder = QString::fromStdString(arguments[0]);
    if (!QDir().mkpath(folder))
        return Fail("Out of disk space");
    for (const auto& [name, make] : Samples()) {
        QFile file(folder + "/" + QString::fromStdString(name));
        const std::string bytes = make();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            return Fail("Out of disk space");
    }
    return 0;
}

TRegisterCommand registration{{"metafile-samples", "metafile-samples FOLDER",
                               "writes the hand-made test metafiles, one per record family", &RunSamples}};

} // namespace

} // namespace orvanto
