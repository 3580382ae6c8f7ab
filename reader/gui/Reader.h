#pragma once

#include "reader/Favourites.h"
#include "reader/LawHistory.h"
#include "reader/RecentLaws.h"

#include <QObject>
#include <QString>

#include <functional>

class CReaderFrame;
class QMenu;
class QMenuBar;
class QToolBar;

// What the main window remembers for its reader: back and forward over the laws shown, the
// favourites with their notes, the recent laws and, between runs, the panes, columns, view
// style, edition, categories and last laws. The frame calls its hooks; the rest is here.
class CReader : public QObject {
    Q_OBJECT
public:
    explicit CReader(CReaderFrame* frame);
    ~CReader() override;

    // The commands (registered with the frame by id), menus and the navigation toolbar.
    void CreateActions();
    void AddMenus(QMenuBar* bar, QMenu* before);
    QToolBar* CreateToolBar();
    void UpdateCommandStates();

    // The user has been shown a law of the current edition (history and recent laws);
    // `leavingScroll` is where the page stood before.
    void OnLawShown(int lawid, int leavingScroll);
    // Runs `what` once the law page can show a law (at once when it can already).
    void WhenPageReady(std::function<void()> what);

    // Back and forward within the current edition; false when there is nowhere to go.
    bool GoBack();
    bool GoForward();
    // Shows law `lawid` of the current edition at article `article` (an ArticleKey of
    // CCitationParser; 0 for its top) and, with `text`, at the first `text` from there, in
    // the history as any law shown. A law already shown scrolls there. False when the law
    // cannot be shown.
    bool OpenLawAt(int lawid, int article, const QString& text = {});
    // Shows a remembered law, switching the edition when it belongs to the other one, at
    // `article` when one is given.
    bool OpenLaw(const CLawRef& law, const std::string& article = {});
    // Shows a law given by its lawid or title in the current edition, at `article` ("232",
    // "第二百三十二条") when one is given; false when none.
    bool OpenLawByTitleOrId(const QString& text, const QString& article = {});
    // Shows a law of the current edition by its lawid (a version chosen in the page's header).
    bool OpenLawId(int lawid);
    // Moves the law page to an article of the law shown; the status bar says so when the law
    // has no such article.
    bool GoToArticle(const QString& article);
    // Adds the article under the caret to the favourites, or removes it when it is there;
    // false when the caret stands in no article.
    bool ToggleArticleFavourite();
    // A title search over all categories of the current edition.
    void SearchTitles(const QString& words);

    // The shown law as a reference (lawid 0 when none).
    CLawRef CurrentLaw() const;
    bool ToggleFavourite();
    void ShowFavourites();
    bool ExportFavourites(const QString& file);
    bool ImportFavourites(const QString& file);

    // Between runs. ForgetLayout drops the remembered layout and reading state (not the
    // favourites or the recent laws).
    void SaveState() const;
    void RestoreState();
    static void ForgetLayout();

    const CLawHistory& History() const { return m_history; }
    CFavourites& Favourites() { return m_favourites; }
    const CRecentLaws& RecentLaws() const { return m_recent; }
    // A run that only writes a file and ends (a screenshot) leaves the stored state alone.
    void SetPersistent(bool persistent) { m_bPersistent = persistent; }

    // Saves favourites and recent laws now (they change one by one, not only at the close).
    void SaveLists() const;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void ShowHistoryEntry(int lawid, int scroll);
    void AddRecent(int lawid);
    void HookScrollBar();
    void SetScroll(int scroll);
    int Scroll() const;
    void FillFavouritesMenu();
    void FillRecentMenu();
    void LoadLists();

    CReaderFrame* m_pFrame;
    // A scroll position waiting for the page to grow tall enough (-1: none).
    int m_nPendingScroll = -1;
    bool m_bScrollHooked = false;
    bool m_bPersistent = true;
    CLawHistory m_history;
    CFavourites m_favourites;
    CRecentLaws m_recent;
    QMenu* m_pFavouritesMenu = nullptr;
    QMenu* m_pRecentMenu = nullptr;
};
