// orvanto-tool convert's transform options against ImageMagick doing the same
// on the same picture: every turn, flip, mirror and inversion must give the
// same pixels.

#include "tests/test_support.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using namespace orvanto;

namespace {

struct TPixmap {
    int Width = 0, Height = 0;
    std::string Pixels; // red, green, blue per pixel
};

// A raw 8-bit pixmap as both tools write it; empty on anything else.
TPixmap ParsePixmap(const std::string& bytes)
{
    std::size_t at = 2;
    auto number = [&]() {
        while (at < bytes.size()) {
            if (bytes[at] == '#')
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            else if (std::isspace(static_cast<unsigned char>(bytes[at])))
                ++at;
            else
                break;
        }
        long value = 0;
        while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])))
            value = value * 10 + (bytes[at++] - '0');
        return value;
    };
    if (bytes.compare(0, 2, "P6") != 0)
        return {};
    TPixmap pixmap;
    pixmap.Width = int(number());
    pixmap.Height = int(number());
    if (number() != 255)
        return {};
    ++at; // the one whitespace byte before the raster
    pixmap.Pixels = bytes.substr(at);
    if (pixmap.Pixels.size() != std::size_t(pixmap.Width) * pixmap.Height * 3)
        return {};
    return pixmap;
}

std::string MakePixmap(int width, int height)
{
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    unsigned state = 99;
    for (int i = 0; i < width * height * 3; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += char(state >> 16);
    }
    return bytes;
}

int RunProgram(const std::string& program, const std::vector<std::string>& arguments, std::string& errors)
{
    QStringList list;
    for (const auto& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess process;
    process.start(QString::fromStdString(program), list);
    if (!process.waitForFinished(60000))
        return -1;
    errors = process.readAllStandardError().toStdString();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

const std::string Tool = std::string(ORVANTO_BINARY_DIR) + "/bin/orvanto-tool";

TEST(ConvertTransforms, SamePixelsAsImageMagick)
{
    const QString magick = QStandardPaths::findExecutable("convert");
    ASSERT_FALSE(magick.isEmpty()) << "ImageMagick's convert is missing (scripts/packages-test)";
    const std::string folder = MakeTempFolder("transforms");
    const std::string input = folder + "in.ppm";
    ASSERT_TRUE(WriteWholeFile(input, MakePixmap(37, 22)));

    const struct {
        std::vector<std::string> Ours, Theirs;
    } cases[] = {
        {{"--rotate", "90"}, {"-rotate", "90"}},
        {{"--rotate", "180"}, {"-rotate", "180"}},
        {{"--rotate", "270"}, {"-rotate", "270"}},
        {{"--rotate", "-90"}, {"-rotate", "-90"}},
        {{"--rotate", "-180"}, {"-rotate", "180"}},
        {{"--flip"}, {"-flip"}},
        {{"--mirror"}, {"-flop"}},
        {{"--invert"}, {"-negate"}},
        {{"--rotate", "90", "--mirror", "--invert", "--rotate", "180", "--flip"},
         {"-rotate", "90", "-flop", "-negate", "-rotate", "180", "-flip"}},
    };
    int index = 0;
    for (const auto& c : cases) {
        const std::string ours = folder + "ours" + std::to_string(index) + ".ppm";
        const std::string theirs = folder + "theirs" + std::to_string(index++) + ".ppm";
        std::vector<std::string> arguments{"convert", input, ours};
        arguments.insert(arguments.end(), c.Ours.begin(), c.Ours.end());
        std::string errors;
        ASSERT_EQ(RunProgram(Tool, arguments, errors), 0) << errors;
        std::vector<std::string> magickArguments{input};
        magickArguments.insert(magickArguments.end(), c.Theirs.begin(), c.Theirs.end());
        magickArguments.push_back(theirs);
        ASSERT_EQ(RunProgram(magick.toStdString(), magickArguments, errors), 0) << errors;

        const TPixmap a = ParsePixmap(ReadWholeFile(ours));
        const TPixmap b = ParsePixmap(ReadWholeFile(theirs));
        ASSERT_FALSE(a.Pixels.empty()) << c.Ours[0];
        ASSERT_FALSE(b.Pixels.empty()) << c.Theirs[0];
        EXPECT_EQ(a.Width, b.Width) << c.Ours[0];
        EXPECT_EQ(a.Height, b.Height) << c.Ours[0];
        EXPECT_TRUE(a.Pixels == b.Pixels) << c.Ours[0] << " differs from ImageMagick's " << c.Theirs[0];
    }
}

TEST(ConvertTransforms, BadRotationsFailWithAMessage)
{
    const std::string folder = MakeTempFolder("bad-rotations");
    const std::string input = folder + "in.ppm";
    ASSERT_TRUE(WriteWholeFile(input, MakePixmap(4, 3)));
    const std::vector<std::string> values = {"abc", "", "90x", "361", "-361", "271"};
    for (const auto& value : values) {
        const std::string output = folder + "out.ppm";
        std::string errors;
        EXPECT_EQ(RunProgram(Tool, {"convert", input, output, "--rotate", value}, errors), 1) << value;
        EXPECT_FALSE(errors.empty()) << value;
        EXPECT_TRUE(ReadWholeFile(output).empty()) << value << ": nothing may be written";
    }
}

TEST(ConvertTransforms, ReplacesALargerExistingFileWhole)
{
    // Large enough to be written out behind the writer while it works, onto
    // a file that is longer still, as a user converting again would.
    const std::string folder = MakeTempFolder("replace-existing");
    const std::string input = folder + "in.ppm", output = folder + "out.ppm";
    const std::string picture = MakePixmap(2000, 1500);
    ASSERT_TRUE(WriteWholeFile(input, picture));
    ASSERT_TRUE(WriteWholeFile(output, std::string(picture.size() * 2, 'x')));
    std::string errors;
    ASSERT_EQ(RunProgram(Tool, {"convert", input, output}, errors), 0) << errors;
    const TPixmap written = ParsePixmap(ReadWholeFile(output));
    EXPECT_EQ(written.Width, 2000);
    EXPECT_EQ(written.Height, 1500);
    EXPECT_TRUE(written.Pixels == ParsePixmap(picture).Pixels);
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList(QDir::Files).size(), 2) << "no temporary file is left";
}

} // namespace
