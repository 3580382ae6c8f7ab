#pragma once

#include <QObject>

class CMainFrame;
class CVersionCompareDlg;
class QAction;
class QPoint;

// Articles and versions in the law page: "复制条文" (the article under the caret with its
// citation), the page's context menu with it, the version list's links in the page's header
// and "版本对照" of two versions of the law shown.
class CArticleCommands : public QObject {
    Q_OBJECT
public:
    explicit CArticleCommands(CMainFrame* frame);

    // Copies the article under the caret (or the articles selected) with its citation to the
    // clipboard; false (and a word in the status bar) when the caret stands in no article.
    bool CopyArticle();
    // Compares two versions in a window of their own; the window shown (nullptr when the
    // versions cannot be read).
    CVersionCompareDlg* Compare(int olderLawId, int newerLawId);
    // Compares the law shown with its version in force, or, when it is the one in force,
    // with the version before it; nullptr when it has no other version.
    CVersionCompareDlg* CompareShown();

    QAction* CopyAction() const { return m_pCopy; }
    QAction* CompareAction() const { return m_pCompare; }

private:
    void ShowContextMenu(const QPoint& pos);

    CMainFrame* m_pFrame;
    QAction* m_pCopy = nullptr;
    QAction* m_pCompare = nullptr;
};
