#pragma once

// Reading printed pages back from the private print server (scripts/print-
// server): the PDF that cups-pdf wrote for a job title, rendered, and the
// corner marks of a test picture found on it. Shared by the end-to-end
// tests that print.

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

constexpr double PointMm = 25.4 / 72.0;
constexpr int RenderDpi = 300;
// The private server's A4 printable area in points, from the left and top of
// the paper (scripts/print-server gives the printer unequal margins).
constexpr double PortraitLeftPt = 18;
constexpr double PortraitTopPt = 842 - 818;
constexpr double PortraitRightPt = 595 - 583;
constexpr double PortraitBottomPt = 36;

std::string Env(const char* name);
// Runs a tool and returns its standard output; empty when it failed.
std::string Run(const QString& program, const QStringList& arguments, bool* ok = nullptr);
namespace orvanto {
class IPrinter;
}
// Waits until the printer's watcher has its first answer from the server;
// false when none came within a minute.
bool WaitForFirstAnswer(orvanto::IPrinter& printer);
// True when the print server has no job left to do.
bool WaitForQueueEmpty();
// The newest PDF printed for title since the given time; empty when none.
QString NewestPdf(const std::string& title, const QDateTime& since);

struct TPdfInfo {
    int Pages = 0;
    double WidthPt = 0;
    double HeightPt = 0;
};
TPdfInfo ReadPdfInfo(const QString& pdf);
QImage RenderPage(const QString& pdf, int page, const std::string& folder);

// The corner marks of the test picture: four colours that JPEG keeps apart.
struct TMark {
    const char* Name;
    QColor Color;
    bool Right;
    bool Bottom;
};
extern const TMark Marks[4];
// A white picture with a solid mark in each corner, a tenth of its size.
QImage MarkedPicture(int width, int height);
// The box of the pixels near colour, in pixels of the rendered page; empty
// when there are none.
QRectF FindMark(const QImage& page, const QColor& color);
double PxToMm(double px);

// The box of the pixels that are not near white within area (the whole
// page when empty), in pixels of the rendered page; empty when none.
QRectF InkBox(const QImage& page, QRect area = {});
// Thin dark lines: the middle of each run of dark columns (Across) within
// the rows top..bottom, or of dark rows (Down) within the columns
// left..right, in pixels of the rendered page.
std::vector<double> DarkLinesAcross(const QImage& page, int top, int bottom);
std::vector<double> DarkLinesDown(const QImage& page, int left, int right);
