// Runs the GUI tests inside one QApplication on the offscreen platform, with every message
// box recorded instead of shown and the settings profile in a scratch directory.
#include "app/MessageService.h"

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
    CMessageRecorder recorder;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
