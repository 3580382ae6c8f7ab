#include "app/CommandLine.h"
#include "app/InterfaceLanguage.h"
#include "app/MainFrame.h"
#include "app/PdfExport.h"
#include "app/SingleInstance.h"
#include "app/TolvarinApp.h"
#include "ground/MessageService.h"
#include "ui/AppIcon.h"
#include "ui/QtMessageService.h"
#include "ui/QtTranslations.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

bool WantsScreenshot(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--screenshot", 12) == 0 ||
            std::strncmp(argv[i], "-screenshot", 11) == 0)
            return true;
    return false;
}

bool WantsHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h") ||
            !std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-v"))
            return true;
    return false;
}

// Two notes of Qt that say nothing to the user of a screenshot run: the offscreen platform
// cannot pass size hints, and a root session has no runtime folder.
QtMessageHandler g_previousHandler = nullptr;
void QuietScreenshotMessages(QtMsgType type, const QMessageLogContext& context,
                             const QString& text) {
    if (text.contains(QLatin1String("propagateSizeHints")) ||
        text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

} // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        if (WantsScreenshot(argc, argv) || WantsHelp(argc, argv) ||
            CPdfExport::Wanted(argc, argv)) {
            // A screenshot needs no screen.
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            g_previousHandler = qInstallMessageHandler(QuietScreenshotMessages);
        } else {
            std::fprintf(stderr,
                         "tolvarin: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                         "Start it under a virtual display:\n"
                         "  xvfb-run -a %s\n"
                         "or write a picture of the window without one:\n"
                         "  %s --screenshot tolvarin.png\n",
                         argv[0], argv[0]);
            return 1;
        }
    }
    QApplication application(argc, argv);
    // The desktop matches the running program with its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvarin"));
    QApplication::setWindowIcon(AppIcon());
    if (CPdfExport::Wanted(argc, argv))
        return CPdfExport::Run(QApplication::arguments());
    CQtMessageService messages;
    // A screenshot runs unattended: its boxes go to standard error instead of waiting for OK.
    const bool screenshot = WantsScreenshot(argc, argv);
    if (!screenshot)
        SetMessageService(&messages);

    // One window per collection: a later start hands its request to the running window.
    // Runs that write a file and end, and --new-window, keep to themselves.
    CCommandLine line;
    const bool parsed = line.Parse(QApplication::arguments());
    CTolvarinApp::SetRegistryKey();
    CInterfaceLanguage::Install(CInterfaceLanguage::Choose(line.m_strLanguage));
    // Qt's own dialogs in Chinese too; the command line's help stays as it is.
    if (CInterfaceLanguage::Current() == CInterfaceLanguage::Chinese && !WantsHelp(argc, argv))
        CQtTranslations::Install();
    QString instanceName;
    if (parsed && !line.IsBatchRun() && !line.m_bNewWindow) {
        instanceName = CSingleInstance::NameFor(QDir::currentPath());
        if (CSingleInstance::SendToRunning(instanceName, QApplication::arguments()))
            return 0;
    }

    CTolvarinApp app;
    if (!app.InitInstance(QApplication::arguments())) {
        SetMessageService(nullptr);
        return app.ExitInstance(1);
    }
    if (!instanceName.isEmpty())
        app.ListenForOtherStarts(instanceName);
    messages.SetOwner(app.GetMainFrame());
    const int code = app.ExitInstance(QApplication::exec());
    SetMessageService(nullptr);
    return code;
}
