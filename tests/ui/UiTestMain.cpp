// Runs the GUI tests inside one QApplication on the offscreen platform, with every message
// box recorded instead of shown.
#include "app/MessageService.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                   : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setOrganizationName("morvexal");
    QApplication::setApplicationName("tolvarin-ui-tests");
    CMessageRecorder recorder;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
