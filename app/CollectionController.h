#pragma once

#include "data/CollectionLocator.h"
#include "data/gui/RecentFileList.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

class CMainFrame;
class CWelcomePage;
class QMenu;
class QAction;

// Which collection the window shows, and how the user gets one: 文件 → 打开 with its list of
// recent files, and, while there is none, the welcome page in the law pane with its three
// ways (open a file, make one from the shipped laws, fetch one with the online update).
class CCollectionController : public QObject {
    Q_OBJECT
public:
    explicit CCollectionController(CMainFrame* frame);
    ~CCollectionController() override;

    // Start-up, before the panes fill: takes the lookup's result. Without a collection the
    // program opens no connection at all and the law pane shows the welcome page.
    void Start(const CCollectionLocator::Result& found);

    bool HasCollection() const { return !GetCurrentFile().empty(); }
    std::string GetCurrentFile() const;
    CWelcomePage* GetWelcomePage() const;

    // 文件 → 打开: a file dialog, then OpenCollection.
    void OnFileOpen();
    // Shows `path` as the collection: both trees refilled, all laws listed. A file that holds
    // no collection is refused with a box and the current collection stays.
    bool OpenCollection(const QString& path);
    // The recent-file entries of the 文件 menu, after the given action.
    void FillRecentMenu(QMenu* menu, QAction* before);
    // Makes the user's collection from the shipped laws on a worker, then opens it.
    void MakeFromShippedLaws();
    // The online update needs a collection to write to: without one, an empty one is made
    // as the user's collection. False (with a box) when that is not possible.
    bool EnsureCollectionForUpdate();
    // A collection is being made.
    bool IsBusy() const { return m_bMaking; }

signals:
    // A collection was opened (or made and opened).
    void collectionOpened(const QString& path);

private:
    void ShowWelcome(const CCollectionLocator::Result& found);
    void HideWelcome();
    void Switch(const std::string& file);
    void UpdateRecentActions();
    void OnMakeFinished(bool ok, const QString& error);

    CMainFrame* m_pFrame;
    QPointer<CWelcomePage> m_pWelcome;
    CCollectionLocator::Result m_found;
    CRecentFileList m_recent;
    QList<QAction*> m_recentActions;
    std::thread m_maker;
    std::atomic<bool> m_bMaking{false};
};
