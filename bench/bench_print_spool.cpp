// Spooling one page: a 5-megapixel page bitmap stretched over the printable
// area by the Qt printer service, from BeginDoc until CUPS holds the job
// (the page is compressed into a PostScript job handed to the scheduler). Needs a print server:
// run after `scripts/print-server start` and `eval "$(scripts/print-server env)"`.
// The counter job_KiB is the job's size as CUPS reports it.
#include "platform/qt/qt_printer.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace orvanto;

namespace {

// Smooth colour fields with fine detail and a little noise, which compress
// about as well as a photograph does.
QImage PhotoLikePage(int width, int height)
{
    QImage page(width, height, QImage::Format_BGR888);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        uchar* row = page.scanLine(y);
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 28) - 8;
            const double wave = std::sin(x / 37.0) * std::cos(y / 53.0);
            row[3 * x + 0] = uchar(std::clamp(int(128 + 100 * wave) + noise, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(y * 255 / height + noise, 0, 255));
            row[3 * x + 2] = uchar(std::clamp(x * 255 / width + noise, 0, 255));
        }
    }
    return page;
}

QString Lpstat(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("lpstat"), arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

void WaitForQueueEmpty()
{
    for (int i = 0; i < 1200 && !Lpstat({QStringLiteral("-o")}).trimmed().isEmpty(); ++i)
        QThread::msleep(100);
}

// The size of the newest finished job, as lpstat lists it (bytes, counted in
// whole KiB by CUPS).
double NewestJobKiB()
{
    const QStringList lines = Lpstat({QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o")})
                                  .split('\n', Qt::SkipEmptyParts);
    int newest = -1;
    double size = 0;
    static const QRegularExpression pattern(QStringLiteral("^\\S+-(\\d+)\\s+\\S+\\s+(\\d+)\\s"));
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = pattern.match(line);
        if (match.hasMatch() && match.captured(1).toInt() > newest) {
            newest = match.captured(1).toInt();
            size = match.captured(2).toDouble() / 1024.0;
        }
    }
    return size;
}

void BM_SpoolPage(benchmark::State& state)
{
    if (!std::getenv("CUPS_SERVER")) {
        state.SkipWithError("no print server: start scripts/print-server and eval its env");
        return;
    }
    const auto transfer = state.range(0) == 0 ? TQtPrinter::TTransfer::Jpeg : TQtPrinter::TTransfer::Lossless;
    TQtPrinter printer(transfer);
    printer.SetTitle(state.range(0) == 0 ? "Orvanto spool bench jpeg" : "Orvanto spool bench lossless");
    const QImage page = PhotoLikePage(2000, 2500);
    const QRect destination(0, 0, printer.PageWidth(), printer.PageHeight());
    if (destination.isEmpty()) {
        state.SkipWithError("the printer reports no printable area");
        return;
    }
    for (auto _ : state) {
        if (!printer.BeginDoc() || printer.StretchToDevice(page, destination) != TStretchResult::Drawn
            || !printer.EndDoc()) {
            state.SkipWithError("the job failed");
            return;
        }
        state.PauseTiming();
        // The scheduler converts the job afterwards; let it finish so that
        // the next job is timed on a quiet machine.
        WaitForQueueEmpty();
        state.ResumeTiming();
    }
    state.counters["job_KiB"] = NewestJobKiB();
}
BENCHMARK(BM_SpoolPage)->Arg(0)->Arg(1)->ArgNames({"lossless"})->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
