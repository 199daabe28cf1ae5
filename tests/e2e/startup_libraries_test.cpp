// What the dynamic loader resolves before a program's main() runs: every
// library there costs each start, before the window can show a picture or
// the tool can answer. The print system and the heavier picture formats are
// opened on first use instead, so none of them, nor what they need, is
// among the libraries a start waits for.
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string LoadedAtStart(const char* program)
{
    QProcess ldd;
    ldd.start("ldd", {QStringLiteral(ORVANTO_BINARY_DIR "/bin/") + QString::fromUtf8(program)});
    if (!ldd.waitForFinished(30000) || ldd.exitCode() != 0)
        return {};
    return ldd.readAllStandardOutput().toStdString();
}

TEST(StartupLibraries, PrintAndFormatLibrariesWaitForTheirFirstUse)
{
    const struct {
        const char* Program;
        const char* Library;
    } cases[] = {
        {"orvanto", "libcups.so"},
        {"orvanto", "libgnutls.so"}, // what libcups needs in turn
        {"orvanto", "libtiff.so"},
        {"orvanto", "libwebp.so"},
        {"orvanto", "libheif.so"},
        {"orvanto-tool", "libcups.so"},
        {"orvanto-tool", "libtiff.so"},
        {"orvanto-tool", "libheif.so"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Program) + " and " + c.Library);
        const std::string loaded = LoadedAtStart(c.Program);
        ASSERT_NE(loaded.find("libQt6Core.so"), std::string::npos) << "ldd read the program: " << loaded;
        EXPECT_EQ(loaded.find(c.Library), std::string::npos) << loaded;
    }
}

} // namespace
