// Every test process runs headless with a data area of its own, so no test
// touches the real ~/.local/share or another test's files.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char* argv[])
{
    QTemporaryDir area;
    if (!area.isValid())
        return 2;
    const std::string data = area.path().toStdString() + "/data";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (area.path().toStdString() + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (area.path().toStdString() + "/cache").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The desktop's language picks an installed language file: the tests
    // expect English unless they ask for another.
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "C.UTF-8", 1);

    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
