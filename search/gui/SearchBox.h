#pragma once

#include <QWidget>

#include <string>
#include <vector>

class CBrowseFrame;
class CSearchIndexBuilder;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;

// The search box of the main window, always shown at the right of the menu bar (Ctrl+L or Ctrl+K
// puts the cursor into it): searches the titles as the user types, in the current category
// or everywhere, or the law texts when "正文" is checked; hands the ranked statement
// (CQuickSearch) to the law list, whose worker drops the rows of the query a newer
// keystroke replaced; tells in the status bar how many laws were found where. It starts in
// the whole collection; when a category's title search finds nothing or little, the status
// bar says how many laws the whole collection holds and offers them (a button in the status
// bar, Alt+W, or Enter in the box when the category found nothing). A law-text
// hit opens with its first occurrence a third of the way down: the words are the law page's
// blue search words, and the page scrolls to the first of them. It also has a collection
// without a full-text index indexed in the background. From the keyboard: Down or Enter in
// the box opens the first law found (after the search, when the typing pause is not over
// yet) with the focus on its row; Esc in the list or on the law page comes back to the box.
class CSearchBox : public QWidget {
    Q_OBJECT
public:
    // `window` is the main window: the parent of the box and of its Ctrl+L and Ctrl+K
    // shortcuts.
    CSearchBox(CBrowseFrame* frame, QWidget* window);

    QLineEdit* GetEdit() const { return m_pEdit; }
    QCheckBox* GetBodyToggle() const { return m_pBody; }
    QComboBox* GetScope() const { return m_pScope; }
    CSearchIndexBuilder* GetIndexBuilder() const { return m_pBuilder; }
    // The offer of the whole collection in the status bar (hidden when there is none).
    QPushButton* GetEverywhereButton() const { return m_pEverywhere; }
    // Searches the box's text in the whole collection from now on.
    void SearchEverywhere();

    // A category's search that finds fewer laws than this offers the whole collection.
    static constexpr int kFewFound = 5;

    // Runs the search for the box's text now (the typing pause is over).
    void RunSearch();
    // The status text of the last search that ended ("在"…"中找到 N 部法规").
    const QString& GetResultText() const { return m_strResult; }

    // Milliseconds of typing pause before a search starts.
    static constexpr int kPauseMs = 150;

    // Opens the first law of the box's results and puts the focus on its row; false when
    // the list shows none.
    bool OpenFirstResult();

signals:
    // A search of the box has ended and its count is in the status bar.
    void searchFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void OnListingFinished();
    // Opens the first result now, or once the search under way has ended.
    void OpenFirstWhenFound();

    CBrowseFrame* m_pFrame;
    QLineEdit* m_pEdit;
    QComboBox* m_pScope;
    QCheckBox* m_pBody;
    QTimer* m_pPause;
    QPushButton* m_pEverywhere;
    CSearchIndexBuilder* m_pBuilder;
    QString m_strWhere;  // where the pending search looks, for the status bar
    QString m_strResult; // what the last search found
    // The pending search: its category (0: everywhere) and what the whole collection is
    // counted with when it finds little (empty: not counted).
    int m_nPendingCategory = 0;
    std::string m_strCountEverywhere;
    bool m_bPending = false;
    bool m_bOpenFirst = false; // open the first law once the pending search ends
};
