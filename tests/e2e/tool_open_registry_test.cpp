// orvanto-tool as a user runs it: the format list and opening through the
// registry.
#include "tests/test_support.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

TRun RunTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(ORVANTO_BINARY_DIR "/bin/orvanto-tool"), arguments);
    TRun run;
    if (!tool.waitForFinished(60000))
        return run;
    run.Status = tool.exitCode();
    run.Out = tool.readAllStandardOutput().toStdString();
    run.Err = tool.readAllStandardError().toStdString();
    return run;
}

} // namespace

TEST(ToolFormats, ListsTheFourteenFormatsAndTheFilter)
{
    const TRun run = RunTool({QStringLiteral("formats")});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const QStringList lines = QString::fromStdString(run.Out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 15);
    EXPECT_EQ(lines[0].simplified(), QStringLiteral("0 .BMP Bitmap"));
    EXPECT_EQ(lines[10].simplified(), QStringLiteral("10 .PBM Portable Bitmap (Monochrome)"));
    EXPECT_EQ(lines[13].simplified(), QStringLiteral("13 .OMI Optimised Multiformat Image"));
    EXPECT_TRUE(lines[14].startsWith(QStringLiteral("filter: All Pictures|*.BMP;*.DIB;*.RLE;")))
        << lines[14].toStdString();
    EXPECT_TRUE(lines[14].endsWith(QStringLiteral("|Optimised Multiformat Image (*.omi)|*.OMI;|")));
}

TEST(ToolOpen, FailuresPrintTheOpenErrorText)
{
    const std::string folder = MakeTempFolder("tool-open");
    WriteWholeFile(folder + "x.jpeg", "whatever");
    struct TCase {
        std::string File;
        const char* Error;
    };
    const TCase cases[] = {
        {folder + "x.jpeg", "Index out of range\n"},
        {folder + "x.ppm", "File not found\n"},
        {folder + "x.OMI", "File not found\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        const TRun run = RunTool({QStringLiteral("info"), QString::fromStdString(c.File)});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Err, c.Error);
    }
}
