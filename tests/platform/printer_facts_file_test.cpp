// The last printer's facts kept for the next start: what comes back is what
// was kept, and a damaged or strange file is not used at all.
#include "platform/printer_facts_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TPrinterFacts Letter300()
{
    TPrinterFacts facts;
    facts.Server = TServerState::Answers;
    facts.Current = "Büro Drucker";
    facts.Media = "na_letter_8.5x11in";
    facts.DpiX = facts.DpiY = 300;
    facts.PaperWidth = 21590;
    facts.PaperHeight = 27940;
    facts.MarginLeft = facts.MarginRight = 423;
    facts.MarginTop = 300;
    facts.MarginBottom = 500;
    return facts;
}

TEST(PrinterFactsFile, ReadsWhatWasKeptAndNothingDamaged)
{
    const std::string kept = WritePrinterFacts(Letter300());
    struct TCase {
        const char* Name;
        std::string Text;
        bool Used;
        int Dpi, Width, MarginLeft;
    } cases[] = {
        {"as written", kept, true, 300, 21590, 423},
        {"with carriage returns and keys of a later version",
         "Colour=1\r\nPrinter=Office\r\nDpiX=300\r\nDpiY=300\r\nPaperWidth=21590\r\nPaperHeight=27940\r\n", true,
         300, 21590, 0},
        {"no printer named", "DpiX=300\nDpiY=300\nPaperWidth=21590\nPaperHeight=27940\n", false, 0, 0, 0},
        {"no paper size", "Printer=Office\nDpiX=300\nDpiY=300\nPaperWidth=21590\n", false, 0, 0, 0},
        {"no resolution", "Printer=Office\nDpiY=300\nPaperWidth=21590\nPaperHeight=27940\n", false, 0, 0, 0},
        {"a resolution beyond reason", "Printer=Office\nDpiX=300000\nDpiY=300\nPaperWidth=1\nPaperHeight=1\n",
         false, 0, 0, 0},
        {"a negative margin", kept + "MarginLeft=-5\n", false, 0, 0, 0},
        {"a number with trailing text", "Printer=Office\nDpiX=300dpi\nDpiY=300\nPaperWidth=1\nPaperHeight=1\n",
         false, 0, 0, 0},
        {"a number too large for an int", "Printer=Office\nDpiX=99999999999\nDpiY=1\nPaperWidth=1\nPaperHeight=1\n",
         false, 0, 0, 0},
        {"a control character in the name", "Printer=Off\x01ice\nDpiX=1\nDpiY=1\nPaperWidth=1\nPaperHeight=1\n",
         false, 0, 0, 0},
        {"binary garbage", std::string("\0\xff=\n=\n\n", 7), false, 0, 0, 0},
    };
    for (const TCase& c : cases) {
        const std::optional<TPrinterFacts> facts = ReadPrinterFacts(c.Text);
        ASSERT_EQ(facts.has_value(), c.Used) << c.Name;
        if (!facts)
            continue;
        EXPECT_EQ(facts->DpiX, c.Dpi) << c.Name;
        EXPECT_EQ(facts->PaperWidth, c.Width) << c.Name;
        EXPECT_EQ(facts->MarginLeft, c.MarginLeft) << c.Name;
    }
    // Everything a layout needs comes back.
    const TPrinterFacts back = *ReadPrinterFacts(kept);
    const TPrinterFacts letter = Letter300();
    EXPECT_EQ(back.Current, letter.Current);
    EXPECT_EQ(back.Media, letter.Media);
    EXPECT_EQ(PrintableArea(back, 0), PrintableArea(letter, 0));
    EXPECT_EQ(PrintableOffset(back, 1), PrintableOffset(letter, 1));
}

TEST(PrinterFactsFile, StartsOnTheStoredPrintersPaper)
{
    struct TCase {
        const char* Name;
        bool Kept;
        std::string Stored; // the settings' printer
        QRect Area;         // the first layout's printable area
        std::string Current;
    } cases[] = {
        {"the stored printer's", true, "Büro Drucker", QRect(0, 0, 2450, 3206), "Büro Drucker"},
        {"no printer stored: the last one used", true, "", QRect(0, 0, 2450, 3206), "Büro Drucker"},
        {"another printer stored: A4 at 600 dpi", true, "Photo", QRect(0, 0, 4961, 7016), ""},
        {"nothing kept: A4 at 600 dpi", false, "Büro Drucker", QRect(0, 0, 4961, 7016), ""},
    };
    for (const TCase& c : cases) {
        QTemporaryDir folder;
        const std::string path = folder.path().toStdString() + "/cache/orvanto/last-printer";
        if (c.Kept) {
            EXPECT_TRUE(TPrinterFactsFile(path).Remember(Letter300())) << c.Name;
        }
        const TPrinterFacts first = TPrinterFactsFile(path).StartingFacts(c.Stored);
        EXPECT_EQ(PrintableArea(first, 0), c.Area) << c.Name;
        EXPECT_EQ(first.Current, c.Current) << c.Name;
        EXPECT_FALSE(first.HasPrinter()) << c.Name << ": not before the server answers";
    }
    // Facts without an answer, or without a printer, are not kept.
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString() + "/last-printer";
    TPrinterFacts asking = Letter300();
    asking.Server = TServerState::Asking;
    TPrinterFactsFile file(path);
    EXPECT_TRUE(file.Remember(asking));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    // A folder where the file should be: nothing kept, and it says so.
    QDir().mkpath(QString::fromStdString(path));
    EXPECT_FALSE(file.Remember(Letter300()));
}

} // namespace
