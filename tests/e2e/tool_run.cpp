#include "tests/e2e/tool_run.h"

#include <QProcess>
#include <QStringList>

namespace orvanto {

TToolRun RunOrvantoTool(const std::vector<std::string>& arguments)
{
    QStringList list;
    for (const auto& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess process;
    process.start(QStringLiteral(ORVANTO_BINARY_DIR "/bin/orvanto-tool"), list);
    TToolRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = process.readAllStandardOutput().toStdString();
    run.Err = process.readAllStandardError().toStdString();
    return run;
}

} // namespace orvanto
