#pragma once

#include <QWidget>

#include <vector>

class CShowLawView;
class QLabel;
class QLineEdit;
class QTimer;
class QToolButton;

// The bar at the bottom of the law page that finds a text in it as it is typed: every
// occurrence is marked in red, the one the reader is at is selected, and the bar counts
// them ("第 n / N 处"). Enter and Shift+Enter (F3 and Shift+F3 from the window) go to the
// next and the previous one, Esc closes the bar and drops the marks. It only marks the page
// shown; the page is not rendered again.
class CFindBar : public QWidget {
    Q_OBJECT
public:
    explicit CFindBar(CShowLawView* view, QWidget* parent = nullptr);

    // Shows the bar with the keyboard in its box, the text there selected; a short selection
    // of the page becomes the text to find.
    void Open();
    // Hides the bar and drops its marks; the keyboard goes back to the page.
    void Close();

    // Moves to the next (or previous) occurrence, wrapping round, and selects it; false when
    // the page has none.
    bool FindNext(bool backward = false);
    // Finds the text now, without waiting for the typing to pause.
    void SearchNow();

    // Occurrences on the page, and the one selected (from 1; 0 for none).
    int GetCount() const { return static_cast<int>(m_vHits.size()); }
    int GetCurrent() const { return m_nCurrent + 1; }
    QString GetCountText() const;
    QLineEdit* GetEdit() const { return m_pEdit; }

    // "第 n / N 处" ("共 N 处" before one is chosen), or "未找到" when the text occurs nowhere.
    static QString CountText(int current, int count);
    // The start of each occurrence of `what` in `text`, in order, not overlapping; a Latin
    // letter matches either case.
    static std::vector<int> FindAll(const QString& text, const QString& what);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void OnPageShown();
    // Finds the text typed on the page; `select` goes to the occurrence nearest below the
    // place being read.
    void Search(bool select);
    void Select(int index);
    void UpdateMarks();
    void UpdateCount();

    CShowLawView* m_pView;
    QLineEdit* m_pEdit;
    QLabel* m_pCount;
    QToolButton* m_pPrevious;
    QToolButton* m_pNext;
    QTimer* m_pTyping;
    // The page's text as the document numbers its positions, read once per page.
    QString m_strText;
    bool m_bTextRead = false;
    QString m_strSearched;
    std::vector<int> m_vHits;
    int m_nLength = 0;
    int m_nCurrent = -1;
};
