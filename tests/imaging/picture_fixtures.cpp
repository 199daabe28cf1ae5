#include "tests/imaging/picture_fixtures.h"

#include "tests/test_support.h"

#include <QImageReader>

#include <cstdlib>
#include <sys/wait.h>

#include <lcms2.h>

namespace orvanto {

int RunCommand(const std::string& command)
{
    const int status = std::system(("(set -e; " + command + ") >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

void WriteSourcePpm(const std::string& path, int width, int height, int colours)
{
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (colours == 0) {
                bytes += char(x * 255 / std::max(width - 1, 1));
                bytes += char(y * 255 / std::max(height - 1, 1));
                bytes += char((x + y) * 7 % 256);
            } else {
                const int i = (x / 3 + y * 5) % colours;
                bytes += char(i * 97 % 256);
                bytes += char(i * 53 % 256);
                bytes += char(255 - i * 31 % 256);
            }
        }
    WriteWholeFile(path, bytes);
}

int LargestDifference(const QImage& a, const QImage& b, std::string& where)
{
    if (a.size() != b.size()) {
        where = "sizes differ";
        return 256;
    }
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            if (d > largest) {
                largest = d;
                where = QString("(%1,%2)").arg(x).arg(y).toStdString();
            }
        }
    return largest;
}

QImage LoadWithQt(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path));
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

QImage OverWhite(const QImage& picture)
{
    QImage result(picture.size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            const int a = qAlpha(p);
            auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            result.setPixel(x, y, qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p))));
        }
    return result;
}

namespace {

// A matrix-and-curves RGB profile with D65 white, made by LittleCMS.
QByteArray RgbProfile(const cmsCIExyYTRIPLE& primaries, int curveType, const double* curveParameters)
{
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, curveType, curveParameters);
    if (!curve)
        return {};
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    QByteArray bytes;
    cmsUInt32Number size = 0;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(qsizetype(size));
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size))
            bytes.clear();
    }
    if (profile)
        cmsCloseProfile(profile);
    return bytes;
}

} // namespace

QByteArray DisplayP3Profile()
{
    // sRGB's curve: the 2.4 power with its linear foot.
    const double srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return RgbProfile({{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}}, 4, srgbCurve);
}

QByteArray SrgbPrimariesGamma22Profile()
{
    const double gamma = 2.2;
    return RgbProfile({{0.640, 0.330, 1.0}, {0.300, 0.600, 1.0}, {0.150, 0.060, 1.0}}, 1, &gamma);
}

} // namespace orvanto
