#include "tests/e2e/printed_page.h"

#include "platform/printer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

// cups-pdf names the file after the job title, with everything but letters,
// digits and "-" turned into "_" and the "_" at either end dropped, then
// "-job_" and the job number.
QString FilePrefix(const std::string& title)
{
    QString prefix;
    for (char c : title)
        prefix += std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? QChar(c) : QChar('_');
    while (prefix.startsWith('_'))
        prefix.remove(0, 1);
    while (prefix.endsWith('_'))
        prefix.chop(1);
    return prefix + QStringLiteral("-job_");
}

} // namespace

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Runs a tool and returns its standard output; empty when it failed.
std::string Run(const QString& program, const QStringList& arguments, bool* ok)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(120000);
    const bool success = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (ok)
        *ok = success;
    return success ? process.readAllStandardOutput().toStdString() : std::string();
}

bool WaitForFirstAnswer(orvanto::IPrinter& printer)
{
    for (int i = 0; i < 3000 && printer.Facts().Server == orvanto::TServerState::Asking; ++i)
        QThread::msleep(20);
    return printer.Facts().Server != orvanto::TServerState::Asking;
}

// True when the print server has no job left to do.
bool WaitForQueueEmpty()
{
    for (int i = 0; i < 1200; ++i) {
        bool ok = false;
        const std::string jobs = Run(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &ok);
        if (ok && jobs.find_first_not_of(" \n") == std::string::npos)
            return true;
        QThread::msleep(100);
    }
    return false;
}


QString NewestPdf(const std::string& title, const QDateTime& since)
{
    const QDir folder(QString::fromStdString(Env("ORVANTO_PDF_DIR")));
    QFileInfoList found;
    for (const QFileInfo& file : folder.entryInfoList({FilePrefix(title) + "*.pdf"}, QDir::Files))
        if (file.lastModified() >= since.addSecs(-1))
            found.push_back(file);
    if (found.isEmpty())
        return {};
    std::sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    return found.front().absoluteFilePath();
}

TPdfInfo ReadPdfInfo(const QString& pdf)
{
    TPdfInfo info;
    const QString text = QString::fromStdString(Run(QStringLiteral("pdfinfo"), {pdf}));
    for (const QString& line : text.split('\n')) {
        if (line.startsWith(QStringLiteral("Pages:")))
            info.Pages = line.mid(6).trimmed().toInt();
        if (line.startsWith(QStringLiteral("Page size:"))) {
            const QStringList parts = line.mid(10).simplified().split(' ');
            if (parts.size() >= 3) {
                info.WidthPt = parts[0].toDouble();
                info.HeightPt = parts[2].toDouble();
            }
        }
    }
    return info;
}

QImage RenderPage(const QString& pdf, int page, const std::string& folder)
{
    const QString prefix = QString::fromStdString(folder) + QStringLiteral("page") + QString::number(page);
    bool ok = false;
    Run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(RenderDpi), QStringLiteral("-f"), QString::number(page),
         QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), pdf, prefix},
        &ok);
    return ok ? QImage(prefix + QStringLiteral(".ppm")) : QImage();
}

const TMark Marks[4] = {
    {"top left", QColor(220, 0, 0), false, false},
    {"top right", QColor(0, 170, 0), true, false},
    {"bottom left", QColor(0, 0, 220), false, true},
    {"bottom right", QColor(0, 0, 0), true, true},
};

// A white picture with a solid mark in each corner, a tenth of its size.
QImage MarkedPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    picture.fill(Qt::white);
    const int mw = width / 10;
    const int mh = height / 10;
    for (const TMark& mark : Marks) {
        const int left = mark.Right ? width - mw : 0;
        const int top = mark.Bottom ? height - mh : 0;
        for (int y = top; y < top + mh; ++y)
            for (int x = left; x < left + mw; ++x)
                picture.setPixelColor(x, y, mark.Color);
    }
    return picture;
}

// The box of the pixels near colour, in pixels of the rendered page; empty
// when there are none. Halfway between the colour and white counts, so the
// edge is found where a printed edge is, whatever the compression blurred.
QRectF FindMark(const QImage& page, const QColor& color)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const int dr = qRed(row[x]) - color.red();
            const int dg = qGreen(row[x]) - color.green();
            const int db = qBlue(row[x]) - color.blue();
            if (dr * dr + dg * dg + db * db < 100 * 100) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    return QRectF(left, top, right - left + 1, bottom - top + 1);
}

double PxToMm(double px)
{
    return px * 25.4 / RenderDpi;
}

QRectF InkBox(const QImage& page, QRect area)
{
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    if (area.isEmpty())
        area = rgb.rect();
    area &= rgb.rect();
    int left = rgb.width(), top = rgb.height(), right = -1, bottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            if (qRed(row[x]) + qGreen(row[x]) + qBlue(row[x]) < 3 * 200) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    if (right < 0)
        return {};
    return QRectF(left, top, right - left + 1, bottom - top + 1);
}

namespace {

std::vector<double> DarkRuns(const std::vector<bool>& dark)
{
    std::vector<double> lines;
    for (std::size_t i = 0; i < dark.size();) {
        if (!dark[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < dark.size() && dark[end])
            ++end;
        lines.push_back((double(i) + double(end - 1)) / 2);
        i = end;
    }
    return lines;
}

bool Dark(QRgb pixel)
{
    return qRed(pixel) + qGreen(pixel) + qBlue(pixel) < 3 * 128;
}

} // namespace

std::vector<double> DarkLinesAcross(const QImage& page, int top, int bottom)
{
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    std::vector<bool> dark(std::size_t(rgb.width()), false);
    for (int y = std::max(top, 0); y < std::min(bottom, rgb.height()); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if (Dark(rgb.pixel(x, y)))
                dark[std::size_t(x)] = true;
    return DarkRuns(dark);
}

std::vector<double> DarkLinesDown(const QImage& page, int left, int right)
{
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    std::vector<bool> dark(std::size_t(rgb.height()), false);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = std::max(left, 0); x < std::min(right, rgb.width()); ++x)
            if (Dark(rgb.pixel(x, y)))
                dark[std::size_t(y)] = true;
    return DarkRuns(dark);
}
