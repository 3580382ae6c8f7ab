#include "browse/gui/LeftView.h"

#include "browse/CategoryLoader.h"
#include "browse/gui/BrowseFrame.h"
#include "browse/gui/TolvarinView.h"
#include "data/DbErrorText.h"
#include "data/DocumentDatabase.h"
#include "ground/AppConstants.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"

#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

constexpr int kIdRole = Qt::UserRole;

QIcon RootIcon() {
    return QIcon(QStringLiteral(":/images/tree/root.png"));
}

QIcon CategoryIcon() {
    QIcon icon;
    const QPixmap normal(QStringLiteral(":/images/tree/category.png"));
    const QPixmap selected(QStringLiteral(":/images/tree/category-selected.png"));
    if (!normal.isNull())
        icon.addPixmap(normal, QIcon::Normal);
    if (!selected.isNull())
        icon.addPixmap(selected, QIcon::Selected);
    return icon;
}

} // namespace

CLeftView::CLeftView(CDocumentDatabase* doc, CBrowseFrame* frame, QWidget* parent)
    : QWidget(parent), m_pDoc(doc), m_pFrame(frame), m_pCaption(new QLabel(this)) {
    m_pCaption->setText(tr("目录"));
    m_pCaption->setAlignment(Qt::AlignCenter);
    m_pCaption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_pCaption->setAutoFillBackground(true);
    m_pCaption->setBackgroundRole(QPalette::Button);
    for (QTreeWidget*& tree : m_pTrees) {
        tree = new QTreeWidget(this);
        tree->setHeaderHidden(true);
        tree->setColumnCount(1);
        tree->setRootIsDecorated(true);
        tree->setIconSize(QSize(16, 16));
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setUniformRowHeights(true);
        tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        tree->header()->setStretchLastSection(false);
        tree->hide();
        connect(tree, &QTreeWidget::itemSelectionChanged, this, [this, tree] {
            if (tree == m_pCurTree && !m_bFilling)
                OnSelChanged();
        });
    }
    m_pCurTree = m_pTrees[0];
    m_pCurTree->show();
    setFocusProxy(m_pCurTree);
    setMinimumWidth(0);
}

void CLeftView::OnCreate() {
    theEditionConfig.SetEdition(1);
    ShowTree(1);
    FillTree();
    theEditionConfig.SetEdition(0);
    ShowTree(0);
    FillTree();
}

void CLeftView::ShowTree(int edition) {
    QTreeWidget* next = m_pTrees[edition == 1 ? 1 : 0];
    if (next == m_pCurTree)
        return;
    const bool hadFocus = m_pCurTree->hasFocus();
    QTreeWidget* previous = m_pCurTree;
    m_pCurTree = next;
    setFocusProxy(m_pCurTree);
    LayoutPanes();
    m_pCurTree->show();
    // The focus goes to the new tree before the old one hides, so that it never passes
    // through the panes after it (the law list would take it as a click on its first row).
    if (hadFocus)
        m_pCurTree->setFocus();
    previous->hide();
}

bool CLeftView::FillTree() {
    m_bFilling = true;
    QTreeWidget* tree = m_pCurTree;
    tree->clear();
    auto* root = new QTreeWidgetItem(tree);
    root->setText(0, QString::fromUtf8(theEditionConfig.GetCaption()));
    root->setIcon(0, RootIcon());
    root->setData(0, kIdRole, 0);
    QFont bold = root->font(0);
    bold.setBold(true);
    root->setFont(0, bold);
    if (m_pDoc && m_pDoc->ConnectDatabase()) {
        CCategoryLoader loader(m_pDoc->GetDatabase(), theEditionConfig.GetTreeTable());
        AddChildren(root, loader.LoadChildren(0));
        if (loader.HasFailed()) {
            // What was read is shown; the user learns that it is not all there is.
            if (m_pFrame)
                m_pFrame->GetStatusBar()->showMessage(tr("目录不完整：读取数据库时出错"));
            ShowMessage(CDbErrorText::Compose("读取目录时出错，目录“" +
                                                  std::string(theEditionConfig.GetCaption()) +
                                                  "”只显示了已读到的类别。",
                                              loader.GetFailureCode(), loader.GetFailure()),
                        "读取失败", MsgIcon::Warning);
        }
    }
    root->setExpanded(true);
    tree->setCurrentItem(root);
    root->setSelected(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_bFilling = false;
    return true;
}

void CLeftView::AddChildren(QTreeWidgetItem* parent, const std::vector<CCategoryItem>& items) {
    const QIcon icon = CategoryIcon();
    for (const CCategoryItem& item : items) {
        auto* node = new QTreeWidgetItem(parent);
        node->setText(0, QString::fromStdString(item.m_strName));
        // A long name that the pane cuts off is shown whole in the tooltip.
        node->setToolTip(0, node->text(0));
        node->setIcon(0, icon);
        node->setData(0, kIdRole, item.m_nId);
        AddChildren(node, item.m_children);
    }
}

void CLeftView::OnSelChanged() {
    const QList<QTreeWidgetItem*> selected = m_pCurTree->selectedItems();
    if (selected.isEmpty())
        return;
    theEditionConfig.GetSearchWords().clear();
    const int id = selected.front()->data(0, kIdRole).toInt();
    theEditionConfig.SetCurTreeId(id);
    if (CTolvarinView* list = m_pFrame ? m_pFrame->GetListView() : nullptr)
        list->ShowCategory(id);
}

void CLeftView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    LayoutPanes();
}

void CLeftView::LayoutPanes() {
    m_pCaption->setGeometry(0, 0, width(), kCaptionHeight);
    m_pCurTree->setGeometry(0, kCaptionHeight, width(), std::max(0, height() - kCaptionHeight));
}

bool CLeftView::SelectCategory(int edition, int id) {
    QTreeWidget* tree = GetTree(edition);
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, kIdRole).toInt() != id)
            continue;
        for (QTreeWidgetItem* parent = (*it)->parent(); parent; parent = parent->parent())
            parent->setExpanded(true);
        tree->setCurrentItem(*it);
        tree->scrollToItem(*it);
        return true;
    }
    return false;
}
