#include "tests/test_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace orvanto {

std::string TestDataHome()
{
    const char* home = std::getenv("XDG_DATA_HOME");
    return home ? std::string(home) : std::string();
}

std::string MakeTempFolder(const std::string& name)
{
    static int counter = 0;
    const std::string folder = TestDataHome() + "/../tmp-" + std::to_string(++counter) + "-" + name + "/";
    QDir(QString::fromStdString(folder)).removeRecursively();
    QDir().mkpath(QString::fromStdString(folder));
    return QDir::cleanPath(QString::fromStdString(folder)).toStdString() + "/";
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

std::string TestDataPath(const std::string& relative)
{
    return std::string(ORVANTO_SOURCE_DIR) + "/tests/data/" + relative;
}

} // namespace orvanto
