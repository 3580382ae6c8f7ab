#pragma once

#include <QToolButton>

class CDocumentDatabase;
class CShowLawView;
class QListWidget;
class QListWidgetItem;
class QMenu;

// "被引用": beside the outline of the law shown, the laws of the collection that cite it,
// newest first, with their count. Each entry names the citing law, its article and the
// article cited, with the sentence around the citation; choosing one opens that law there
// (through the view's openLawAt).
class CCitedByButton : public QToolButton {
    Q_OBJECT
public:
    CCitedByButton(CShowLawView* view, CDocumentDatabase* doc, QWidget* parent = nullptr);

    // Reads the citations of the law shown again (the citation table was built meanwhile);
    // without `force` only when another law is shown.
    void Refresh(bool force = false);
    // How many citations there are, and how many laws cite among those listed.
    int CitationCount() const { return m_nCitations; }
    int LawCount() const { return m_nLaws; }
    QMenu* GetMenu() const { return m_pMenu; }
    QListWidget* GetList() const { return m_pList; }
    // Opens the citation of the list's row `row`, as choosing it does (from the event loop).
    void Activate(int row);

    // The most entries the list shows (the newest); the count says how many there are.
    static constexpr int kMaxEntries = 500;

private:
    void OnItem(QListWidgetItem* item);

    CShowLawView* m_pView;
    CDocumentDatabase* m_pDoc;
    QMenu* m_pMenu;
    QListWidget* m_pList;
    int m_nShownLawId = -1;
    int m_nShownEdition = -1;
    int m_nCitations = 0;
    int m_nLaws = 0;
};
