#include "tests/e2e/orvanto_run.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

TOrvantoRun RunOrvanto(const std::vector<std::string>& arguments, const std::string& dataHome,
                       const std::string& cupsServer, int limitSeconds)
{
    QStringList list;
    for (const auto& argument : arguments)
        list << QString::fromStdString(argument);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dataHome));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!cupsServer.empty())
        environment.insert(QStringLiteral("CUPS_SERVER"), QString::fromStdString(cupsServer));
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(ORVANTO_BINARY_DIR "/bin/orvanto"), list);
    TOrvantoRun run;
    const bool finished = process.waitForFinished(limitSeconds * 1000);
    run.Seconds = clock.elapsed() / 1000.0;
    if (!finished) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.Status = process.exitCode();
    }
    run.Err = process.readAllStandardError().toStdString();
    return run;
}
