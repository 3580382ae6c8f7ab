// Runs the window tests on the offscreen platform with the settings in a temporary place.
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    // The program's own settings scope from the start, so that a test that writes settings
    // before its first window reads them back in that window, whichever test runs first.
    QCoreApplication::setOrganizationName(QStringLiteral("morvexal"));
    QCoreApplication::setApplicationName(QStringLiteral("tolvarin"));
    // A collection of the user's or of the machine is never found by a test.
    qputenv("XDG_DATA_HOME", (settingsDir.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", (settingsDir.path() + QStringLiteral("/system")).toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
