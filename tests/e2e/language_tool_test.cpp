// orvanto-tool language compile | dump | translate, run as a translator would.
#include "tests/e2e/tool_run.h"
#include "tests/test_support.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TEST(LanguageTool, CompileDumpRoundTripAndTranslate)
{
    const std::string folder = MakeTempFolder("language-tool");
    ASSERT_TRUE(WriteWholeFile(folder + "source.txt",
                               "# a comment, then an empty line\n"
                               "\n"
                               "&Help\tHilfe\n"
                               "&Open...\tÖffnen\r\n"
                               "Save as ,. \tSpeichern unter... \n"
                               "Größe\tGröße & Maß\n"));
    TToolRun compile = RunOrvantoTool({"language", "compile", folder + "source.txt", folder + "de.llf", "--name", "Deutsch"});
    ASSERT_EQ(compile.Status, 0) << compile.Err;

    TToolRun dump = RunOrvantoTool({"language", "dump", folder + "de.llf"});
    ASSERT_EQ(dump.Status, 0) << dump.Err;
    // English in its lookup form, translations exactly as written.
    EXPECT_EQ(dump.Out, "# name: Deutsch\n"
                        "Help\tHilfe\n"
                        "Open\tÖffnen\n"
                        "Save as\tSpeichern unter... \n"
                        "Größe\tGröße & Maß\n");

    ASSERT_TRUE(WriteWholeFile(folder + "dumped.txt", dump.Out));
    ASSERT_EQ(RunOrvantoTool({"language", "compile", folder + "dumped.txt", folder + "again.llf"}).Status, 0);
    EXPECT_EQ(ReadWholeFile(folder + "again.llf"), ReadWholeFile(folder + "de.llf"))
        << "the name travels in the dump";

    TToolRun translate = RunOrvantoTool({"language", "translate", folder + "de.llf", "&Help", "&Open...", "Rotate &Right", "SAVE AS..."});
    ASSERT_EQ(translate.Status, 0) << translate.Err;
    EXPECT_EQ(translate.Out, "&Hilfe\nÖffnen...\n&Rotate Right\nSpeichern unter... ...\n");
}

TEST(LanguageTool, FailuresGoToStandardErrorWithStatus1)
{
    const std::string folder = MakeTempFolder("language-tool-failures");
    ASSERT_TRUE(WriteWholeFile(folder + "damaged.llf", "TPF0\x09TLanguage"));
    ASSERT_TRUE(WriteWholeFile(folder + "notab.txt", "Help Hilfe\n"));
    ASSERT_TRUE(WriteWholeFile(folder + "twice.txt", "Help\tHilfe\n&Help...\tNochmal\n"));
    const struct {
        std::vector<std::string> Arguments;
        std::string Message;
    } cases[] = {
        {{"language", "dump", folder + "missing.llf"}, "File not found"},
        {{"language", "dump", folder + "damaged.llf"}, "Unsupported format"},
        {{"language", "translate", folder + "damaged.llf", "Help"}, "Unsupported format"},
        {{"language", "compile", folder + "missing.txt", folder + "out.llf"}, "File not found"},
        {{"language", "compile", folder + "notab.txt", folder + "out.llf"}, "no TAB"},
        {{"language", "compile", folder + "twice.txt", folder + "out.llf"}, "has a translation already"},
        {{"language", "compile", folder + "notab.txt", "/nonexistent-folder/out.llf"}, "no TAB"},
        {{"language", "frobnicate"}, "Usage"},
    };
    for (const auto& c : cases) {
        const TToolRun run = RunOrvantoTool(c.Arguments);
        EXPECT_EQ(run.Status, 1) << c.Arguments[1];
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out, "");
    }
}

} // namespace
