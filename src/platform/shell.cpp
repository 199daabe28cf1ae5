#include "platform/shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QString>
#include <QUrl>

namespace orvanto {

bool TDesktopShell::OpenDocument(const std::string& target, const std::string&,
                                 const std::string&)
{
    const QString text = QString::fromStdString(target);
    // A web address or mailto stays as it is; anything else is a local file.
    QUrl url(text);
    if (url.scheme().length() <= 1) // "C:"-like or no scheme at all
        url = QUrl::fromLocalFile(text);
    return QDesktopServices::openUrl(url);
}

bool TDesktopShell::StartProgram(const std::string& program, const std::string& parameters,
                                 const std::string& workingFolder)
{
    QStringList arguments = QProcess::splitCommand(QString::fromStdString(parameters));
    return QProcess::startDetached(QString::fromStdString(program), arguments,
                                   QString::fromStdString(workingFolder));
}

} // namespace orvanto
