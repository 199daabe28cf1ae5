#include "archive_file.h"

#include "support/memory/memory_limit.h"

#include <QFile>
#include <QSaveFile>

namespace orvanto {

bool ReadToolFile(const std::string& fileName, std::string& bytes, std::string& error)
{
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "File not found: " + fileName;
        return false;
    }
    if (file.size() > AllocationCeiling()) {
        error = "Out of memory: " + fileName + " is too large";
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = "Cannot read " + fileName;
        return false;
    }
    bytes.assign(data.constData(), std::size_t(data.size()));
    return true;
}

bool WriteToolFile(const std::string& fileName, const std::string& bytes, std::string& error)
{
    // Written beside the target and renamed, so a failure never leaves half a file.
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly)
        || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit()) {
        error = "Out of disk space: cannot write " + fileName;
        return false;
    }
    return true;
}

} // namespace orvanto
