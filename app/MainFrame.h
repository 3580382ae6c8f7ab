#pragma once

#include "app/TolvarinDoc.h"
#include "ground/SyncEvent.h"
#include "reader/gui/ReaderFrame.h"

#include <QMainWindow>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class CArticleCommands;
class CCollectionController;
class CFrameMessageTarget;
class CLeftView;
class CReader;
class CShowLawView;
class CTolvarinView;
class QAction;
class QActionGroup;
class QLabel;
class QSplitter;
class QTimer;
class QToolBar;

// The main window: menu, the small and the large toolbar, the status bar and three panes
// (category tree, law list, law text). It owns the edition, view-style and stop commands,
// shows the update's progress and decides whether the program may close.
class CMainFrame : public QMainWindow, public CReaderFrame {
    Q_OBJECT
public:
    explicit CMainFrame(CTolvarinDoc* doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Bars and panes; false when any of them cannot be made.
    bool Create();
    // The views' initial update: the first listing and the blank law page.
    void InitialUpdate();

    // Restores the saved bar layout and window placement and shows the window.
    void RestoreFrameState(int nCmdShow = 0);
    // Saves the bar layout ("Control Bar State") and the window placement.
    void SaveFrameState();

    CLeftView* GetLeftView() const override { return m_pLeftView; }
    CTolvarinView* GetListView() const override { return m_pListView; }
    CShowLawView* GetLawView() const override { return m_pLawView; }
    CTolvarinDoc* GetDocument() const override { return m_pDoc; }
    QStatusBar* GetStatusBar() const override { return statusBar(); }
    QMainWindow* GetWindow() override { return this; }
    // History, favourites, recent laws and the remembered reading state.
    CReader* GetReader() const { return m_pReader; }
    CArticleCommands* GetArticleCommands() const { return m_pArticleCommands; }
    // Forgets the remembered bar layout, placement and reading state (--reset-layout).
    static void ForgetLayout();
    // Which collection is shown, 文件 → 打开, the recent files and the welcome page.
    CCollectionController* GetCollections() const { return m_pCollections; }

    // Shows a law in the law text pane (0 shows nothing).
    void ShowLaw(int lawid, bool atFirstSearchWord = false) override;
    QWidget* GetLawPage() const override;
    // Renders the current edition's last law again (after the word lists changed).
    void ShowCurrentLaw();

    // The action of a command id (nullptr for none), and running a command by id as the
    // menu would (nothing when the command is disabled).
    QAction* Action(int id) const override;
    // A new command with its id, menu text, status prompt and tooltip.
    QAction* AddAction(int id, const QString& text, const QString& prompt = {},
                       const QString& tip = {}) override;
    bool ExecuteCommand(int id);
    // Enables, checks and unchecks the commands after the program's state.
    void UpdateCommandStates() override;

    // The status bar's text: the last progress or prompt, else "Ready".
    QString GetStatusText() const;

    // Posts a frame message (103 to 106, or WM_CLOSE) from any thread; false when no main
    // window exists.
    static bool PostMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam);

    // Commands.
    void OnEdition(int edition) override;
    void OnUpdateStop();
    void OnViewStyle(int id) override;
    void OnFilePrint();
    void OnFilePrintSetup();
    void OnEditCopy();
    void OnNextPane(bool forward);
    void OnTitleSearch();
    void OnAdvancedSearch();
    void OnFindInText();

    // Frame messages.
    void OnFrameMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam);
    void OnUpdateFinished();
    // A run ended without success (posted by the update host); says so after a stop.
    void OnUpdateEnded(bool stopped);
    // The run's closing warning (records merged with replaced bytes), shown when it ends.
    void SetUpdateWarning(const QString& text) { m_strUpdateWarning = text; }
    QString m_strUpdateWarning;

    // The online update's state, shared with its worker threads.
    std::atomic<int> m_bDownloading{0};
    std::atomic<int> m_bUpdateFailed{0};
    std::atomic<int> m_bStopRequested{0};
    CSyncEvent* m_pStopEvent;

    // What the search dialogs preset.
    std::string m_strLastTitleSearch;

signals:
    // The window has accepted a close.
    void frameClosed();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void CreateActions();
    void CreateMenus();
    bool CreateToolBars();
    bool CreateStatusBar();
    bool CreateClient();

    CTolvarinDoc* m_pDoc;
    CCollectionController* m_pCollections = nullptr;
    std::unique_ptr<CSyncEvent> m_stopEvent;
    std::unique_ptr<CFrameMessageTarget> m_pTarget;
    std::map<int, QAction*> m_actions;
    QActionGroup* m_pStyleGroup = nullptr;
    QToolBar* m_pSmallToolBar = nullptr;
    QToolBar* m_pLargeToolBar = nullptr;
    QLabel* m_pReady = nullptr;
    QSplitter* m_pOuterSplitter = nullptr;
    QSplitter* m_pInnerSplitter = nullptr;
    CLeftView* m_pLeftView = nullptr;
    CTolvarinView* m_pListView = nullptr;
    CShowLawView* m_pLawView = nullptr;
    QTimer* m_pIdleTimer = nullptr;
    CReader* m_pReader = nullptr;
    CArticleCommands* m_pArticleCommands = nullptr;
};
