#pragma once

#include <QWidget>

class CBrowseFrame;
class CDocumentDatabase;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
struct CCategoryItem;

// The category tree pane: a caption strip "目录" over one tree per edition, both filled when
// the view is created; the current edition's tree is shown.
class CLeftView : public QWidget {
    Q_OBJECT
public:
    CLeftView(CDocumentDatabase* doc, CBrowseFrame* frame, QWidget* parent = nullptr);

    // Fills both trees, the English first, and leaves the Chinese edition current.
    void OnCreate();
    // Makes the tree of edition 0 or 1 the shown tree.
    void ShowTree(int edition);
    // Rebuilds the shown tree from the current edition's category table.
    bool FillTree();

    QTreeWidget* GetTree(int edition) const { return m_pTrees[edition == 1 ? 1 : 0]; }
    QTreeWidget* GetCurrentTree() const { return m_pCurTree; }
    QLabel* GetCaption() const { return m_pCaption; }

    // Selects the category with this id in an edition's tree (which lists it when that tree
    // is shown); false when the tree has no such category.
    bool SelectCategory(int edition, int id);

    // The selection of the shown tree changed.
    void OnSelChanged();

    static constexpr int kCaptionHeight = 19;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void AddChildren(QTreeWidgetItem* parent, const std::vector<CCategoryItem>& items);
    void LayoutPanes();

    CDocumentDatabase* m_pDoc;
    CBrowseFrame* m_pFrame;
    QLabel* m_pCaption;
    QTreeWidget* m_pTrees[2];
    QTreeWidget* m_pCurTree;
    bool m_bFilling = false;
};
