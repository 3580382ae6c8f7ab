#pragma once

#include "app/CommandLine.h"

#include <QObject>
#include <QString>

#include <memory>

class CMainFrame;
class CTolvarinDoc;

// The application: creates the one document and the main frame in start-up order, and
// optionally renders the main window to a PNG once its first listing has filled.
class CTolvarinApp : public QObject {
    Q_OBJECT
public:
    CTolvarinApp();
    ~CTolvarinApp() override;

    // Start-up; false ends the process. A QApplication must exist.
    bool InitInstance(const QStringList& arguments);
    // Waits for the law-list workers and releases the document. Returns the exit code.
    int ExitInstance(int exitCode);

    CMainFrame* GetMainFrame() const { return m_pFrame.get(); }
    CTolvarinDoc* GetDocument() const { return m_pDoc.get(); }

    bool IsSplashEnabled() const { return m_bShowSplash; }
    const QString& GetScreenshotFile() const { return m_strScreenshot; }
    const CCommandLine& GetCommandLine() const { return m_commandLine; }

    // Takes the arguments of later starts on the local socket `name` (see CSingleInstance);
    // false when another window listens there already.
    bool ListenForOtherStarts(const QString& name);
    // Carries out what a command line asks of the window: a law to show, a search to run.
    void HandleRequest(const CCommandLine& line);
    // A later start's arguments: its request, and the window comes to the front.
    void OnOtherStart(const QStringList& arguments);

    // Sets the organisation and application names under which the settings are kept.
    static void SetRegistryKey();

private:
    void WriteScreenshot();
    void SelectScreenshotLaw();

    CCommandLine m_commandLine;
    std::unique_ptr<CTolvarinDoc> m_pDoc;
    class CSingleInstance* m_pInstance = nullptr;
    std::unique_ptr<CMainFrame> m_pFrame;
    bool m_bShowSplash = true;
    QString m_strScreenshot;
};
