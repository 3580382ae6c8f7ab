// Runs the GUI tests inside one QApplication on the offscreen platform, with every message
// box recorded instead of shown and the settings profile in a scratch directory.
#include "ground/MessageService.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir profile;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, profile.path());
    // A collection of the user's or of the machine is never found by a test.
    qputenv("XDG_DATA_HOME", (profile.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", (profile.path() + QStringLiteral("/system")).toLocal8Bit());
    CMessageRecorder recorder;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
