#pragma once

// Drawing one record family at a time into a small metafile and looking at
// the pixels that come out.

#include "imaging/metafile/metafile.h"

#include "tests/test_support.h"
#include "tools/orvanto-tool/metafile_builder.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvanto {

namespace metafile_test {

using namespace metafile_builder;

constexpr std::uint32_t Red = 0x0000FF, Blue = 0xFF0000, Green = 0x008000;

inline QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); }

// Renders bytes as the open of a file does, at 96 pixels per inch.
inline QImage Render(const std::string& bytes, std::string* error = nullptr)
{
    const std::string folder = MakeTempFolder("metafile");
    const std::string path = folder + "picture.emf";
    WriteWholeFile(path, bytes);
    QImage picture;
    std::string message;
    if (!LoadMetafile(path, picture, message, 96)) {
        if (error)
            *error = message;
        return QImage();
    }
    return picture;
}

inline QRgb At(const QImage& picture, int x, int y) { return picture.pixel(x, y) & 0xFFFFFF; }

// A 100 x 100 pixel enhanced metafile (2646 hundredths of a millimetre at
// 96 per inch) with a solid brush of the given colour and no pen selected.
inline TEmf EmfCanvas(std::uint32_t brush)
{
    TEmf e;
    e.Add(39, {1, 0, brush, 0});
    e.Add(37, {1});
    e.Add(37, {0x80000008});
    return e;
}
inline std::string FinishCanvas(const TEmf& e) { return e.Finish(0, 0, 2646, 2646); }

// A placeable 16-bit metafile with a 100 x 100 box at 96 units per inch.
inline TWmf WmfCanvas(std::uint32_t brush)
{
    TWmf w;
    w.Add(0x02FC, Words({0}) + Longs({brush}) + Words({0}));
    w.Add(0x02FA, Words({5, 0, 0}) + Longs({0}));
    w.Add(0x012D, {0}).Add(0x012D, {1});
    return w;
}
inline std::string FinishCanvas(const TWmf& w) { return w.Finish(4, 0, 0, 100, 100, 96); }

// Each case draws, then names pixels that must be the brush colour (red)
// and pixels that must stay white.
struct TPixelCase {
    const char* Name;
    std::string Bytes;
    std::vector<QPoint> Painted, Blank;
};

inline void CheckPixels(const TPixelCase& c, QRgb colour = qRgb(255, 0, 0))
{
    const QImage picture = Render(c.Bytes);
    ASSERT_FALSE(picture.isNull()) << c.Name;
    for (const QPoint& p : c.Painted)
        EXPECT_EQ(At(picture, p.x(), p.y()), colour & 0xFFFFFF) << c.Name << " painted at " << p.x() << "," << p.y();
    for (const QPoint& p : c.Blank)
        EXPECT_EQ(At(picture, p.x(), p.y()), 0xFFFFFFu) << c.Name << " blank at " << p.x() << "," << p.y();
}

} // namespace metafile_test

} // namespace orvanto
