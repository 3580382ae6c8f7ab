#include "search/gui/SearchBox.h"

#include "browse/gui/BrowseFrame.h"
#include "browse/gui/LawListModel.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "data/DbConnection.h"
#include "data/DocumentDatabase.h"
#include "data/SearchIndex.h"
#include "data/TreeNode.h"
#include "data/gui/MessageText.h"
#include "ground/EditionConfig.h"
#include "search/QuickSearch.h"
#include "search/SearchLimits.h"
#include "search/gui/SearchIndexBuilder.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include <sqlite3.h>

#include <utility>

CSearchBox::CSearchBox(CBrowseFrame* frame, QWidget* window) : QWidget(window), m_pFrame(frame) {
    setObjectName(QStringLiteral("SearchBox"));
    setAccessibleName(tr("搜索栏"));
    m_pEdit = new QLineEdit(this);
    m_pEdit->setObjectName(QStringLiteral("SearchBoxEdit"));
    m_pEdit->setPlaceholderText(tr("搜索法规标题 (Ctrl+L)"));
    m_pEdit->setClearButtonEnabled(true);
    m_pEdit->setMinimumWidth(320);
    m_pEdit->setAccessibleName(tr("搜索"));
    m_pScope = new QComboBox(this);
    m_pScope->addItem(tr("当前分类"));
    m_pScope->addItem(tr("全部法规", "search scope"));
    // Every start searches the whole collection; a category is the user's choice of the
    // moment.
    m_pScope->setCurrentIndex(1);
    m_pScope->setAccessibleName(tr("搜索范围"));
    m_pBody = new QCheckBox(tr("正文"), this);
    m_pBody->setToolTip(tr("在法规正文中搜索"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 1, 4, 1);
    layout->addWidget(m_pEdit);
    layout->addWidget(m_pScope);
    layout->addWidget(m_pBody);

    m_pPause = new QTimer(this);
    m_pPause->setSingleShot(true);
    m_pPause->setInterval(kPauseMs);
    connect(m_pPause, &QTimer::timeout, this, &CSearchBox::RunSearch);
    // Each keystroke starts the pause again; the search of the last one runs.
    connect(m_pEdit, &QLineEdit::textChanged, m_pPause, qOverload<>(&QTimer::start));
    m_pEdit->installEventFilter(this);
    connect(m_pScope, &QComboBox::currentIndexChanged, m_pPause, qOverload<>(&QTimer::start));
    connect(m_pBody, &QCheckBox::toggled, this, [this](bool body) {
        m_pEdit->setPlaceholderText(body ? tr("搜索法规正文 (Ctrl+L)")
                                         : tr("搜索法规标题 (Ctrl+L)"));
        m_pPause->start();
    });
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::CTRL | Qt::Key_K)}) {
        auto* shortcut = new QShortcut(keys, window);
        connect(shortcut, &QShortcut::activated, this, [this] {
            m_pEdit->setFocus(Qt::ShortcutFocusReason);
            m_pEdit->selectAll();
        });
    }
    if (CTolvarinView* list = frame->GetListView()) {
        connect(list, &CTolvarinView::listingFinished, this, &CSearchBox::OnListingFinished);
        list->GetTable()->installEventFilter(this);
        list->GetIconView()->installEventFilter(this);
    }
    if (QWidget* page = frame->GetLawPage())
        page->installEventFilter(this);
    m_pEverywhere = new QPushButton(tr("在全部法规中搜索(&W)"), window);
    m_pEverywhere->setObjectName(QStringLiteral("SearchEverywhereButton"));
    m_pEverywhere->setFlat(true);
    m_pEverywhere->hide();
    connect(m_pEverywhere, &QPushButton::clicked, this, &CSearchBox::SearchEverywhere);
    frame->GetStatusBar()->addPermanentWidget(m_pEverywhere);
    m_pBuilder = new CSearchIndexBuilder(frame->GetStatusBar(), this);
    QTimer::singleShot(0, m_pBuilder, &CSearchIndexBuilder::Start);
}

void CSearchBox::SearchEverywhere() {
    m_pEverywhere->hide();
    {
        const QSignalBlocker quiet(m_pScope);
        m_pScope->setCurrentIndex(1);
    }
    RunSearch();
}

namespace {

// The number the statement `sql` counts (select count(*) ...); -1 when it fails.
long long CountOf(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    long long count = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return count;
}

} // namespace

void CSearchBox::RunSearch() {
    m_pPause->stop();
    m_pEverywhere->hide();
    m_strCountEverywhere.clear();
    CTolvarinView* list = m_pFrame->GetListView();
    CDocumentDatabase* doc = m_pFrame->GetDocument();
    if (!list || !doc)
        return;
    const std::string text = m_pEdit->text().toStdString();
    CQuickSearch::Request request;
    request.lawTable = theEditionConfig.GetLawTable();
    request.linkTable = theEditionConfig.GetLinkTable();
    request.body = m_pBody->isChecked();
    request.text = text;
    if (m_pScope->currentIndex() == 0)
        request.categoryId = theEditionConfig.GetCurTreeId();
    if (request.categoryId != 0) {
        CTreeNode node;
        node.SetNodeId(request.categoryId);
        request.rangeEnd = node.GetRangeEnd();
    }
    // A search beyond what the database can take is not run: the status bar says why, and
    // the list shows no result of it rather than an empty one.
    const std::string refusal = CQuickSearch::Refusal(request);
    if (!refusal.empty()) {
        m_bPending = false;
        m_bOpenFirst = false;
        list->ClearRows();
        m_strResult = CMessageText::Translate(refusal);
        m_pFrame->GetStatusBar()->showMessage(m_strResult);
        emit searchFinished();
        return;
    }
    if (doc->ConnectDatabase()) {
        sqlite3* db = doc->GetDatabase().GetConnectionHandle();
        request.indexedUpTo = CSearchIndex::BuiltUpTo(db, request.lawTable);
        // Many laws found: their rank groups come one by one, so the first rows are at once.
        request.streamed = CQuickSearch::ShouldStream(db, request);
    }
    const std::string sql = CQuickSearch::Statement(request);
    if (sql.empty()) {
        // Nothing typed: the list shows the category again, without the marks of a law-text
        // search.
        m_bPending = false;
        m_bOpenFirst = false;
        theEditionConfig.GetSearchWords().clear();
        list->ShowCategory(theEditionConfig.GetCurTreeId());
        return;
    }
    m_strWhere = tr("全部法规");
    if (request.categoryId != 0) {
        QTreeWidget* tree =
            m_pFrame->GetLeftView() ? m_pFrame->GetLeftView()->GetCurrentTree() : nullptr;
        if (tree && tree->currentItem())
            m_strWhere = QStringLiteral("\"%1\"").arg(tree->currentItem()->text(0));
    }
    // A law-text search: the law page marks the words in blue, as after the advanced search,
    // and a law chosen from its results opens at the first of them. A title search ends the
    // marking, as a category chosen in the tree does.
    if (request.body)
        theEditionConfig.GetSearchWords() = CQuickSearch::Words(text, true);
    else
        theEditionConfig.GetSearchWords().clear();
    m_nPendingCategory = request.categoryId;
    if (request.categoryId != 0 && !request.body) {
        // Titles are counted in the whole collection when the category finds little; the
        // law texts are not read a second time for a number.
        CQuickSearch::Request everywhere = request;
        everywhere.categoryId = 0;
        everywhere.rangeEnd = 0;
        everywhere.streamed = false;
        const std::string whole = CQuickSearch::Statement(everywhere);
        if (!whole.empty())
            m_strCountEverywhere = "select count(*) from (" + whole + ")";
    }
    m_bPending = true;
    list->RunQuery(sql, request.body);
    // Ranked rows are in no column's order.
    list->ClearSortArrow();
}

bool CSearchBox::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, e);
    const auto* key = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return QWidget::eventFilter(watched, e);
    if (watched == m_pEdit) {
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Return ||
            key->key() == Qt::Key_Enter) {
            OpenFirstWhenFound();
            return true;
        }
    } else if (key->key() == Qt::Key_Escape) {
        // An open find bar under the page takes Esc first: it closes.
        const auto* bar = qobject_cast<QWidget*>(watched)
                              ? static_cast<QWidget*>(watched)->findChild<QWidget*>(
                                    QStringLiteral("FindBar"), Qt::FindDirectChildrenOnly)
                              : nullptr;
        if (bar && !bar->isHidden())
            return QWidget::eventFilter(watched, e);
        // From the list or the law page back to the box, its text ready to be replaced.
        m_pEdit->setFocus(Qt::ShortcutFocusReason);
        m_pEdit->selectAll();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void CSearchBox::OpenFirstWhenFound() {
    // The list shows the box's results once its search has ended and the typing has not
    // started another; else the search runs now and the law opens when it ends.
    const bool shown = !m_pPause->isActive() && !m_bPending && !m_strResult.isEmpty();
    if (shown) {
        if (!OpenFirstResult() && !m_pEverywhere->isHidden()) {
            // Nothing in the category: the whole collection, whose first law opens.
            m_bOpenFirst = true;
            SearchEverywhere();
        }
        return;
    }
    if (m_pEdit->text().trimmed().isEmpty())
        return;
    m_bOpenFirst = true;
    if (!m_bPending)
        RunSearch();
}

bool CSearchBox::OpenFirstResult() {
    CTolvarinView* list = m_pFrame->GetListView();
    if (!list || list->GetRowCount() == 0 || list->GetRow(0).m_nLawId == 0)
        return false;
    auto* view = static_cast<QAbstractItemView*>(list->GetFocusWidget());
    view->setFocus(Qt::OtherFocusReason);
    view->selectionModel()->setCurrentIndex(view->model()->index(0, CLawListModel::ColTopic),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    list->OnRowClicked(0);
    return true;
}

void CSearchBox::OnListingFinished() {
    if (!m_bPending) {
        // The list shows something else now (a category, a dialog's search): the box's count
        // no longer describes it.
        if (!m_strResult.isEmpty() && m_pFrame->GetStatusBar()->currentMessage() == m_strResult)
            m_pFrame->GetStatusBar()->clearMessage();
        m_strResult.clear();
        m_bOpenFirst = false;
        m_pEverywhere->hide();
        return;
    }
    m_bPending = false;
    CTolvarinView* list = m_pFrame->GetListView();
    int found = list->GetRowCount();
    if (found == 1 && list->GetRow(0).m_nLawId == 0)
        found = 0;
    m_strResult = tr("在%1中找到 %2 部法规").arg(m_strWhere).arg(found);
    if (m_nPendingCategory != 0 && found < kFewFound) {
        // Little in the category: what the whole collection holds, and the way there.
        long long whole = -1;
        CDocumentDatabase* doc = m_pFrame->GetDocument();
        if (!m_strCountEverywhere.empty() && doc && doc->ConnectDatabase())
            whole = CountOf(doc->GetDatabase().GetConnectionHandle(), m_strCountEverywhere);
        if (whole > found) {
            m_strResult += tr("，全部法规中有 %1 部").arg(whole);
            m_pEverywhere->setText(tr("在全部法规中搜索(&W) (%1)").arg(whole));
            m_pEverywhere->show();
        } else if (m_strCountEverywhere.empty()) {
            // A law-text search: offered without a count.
            m_pEverywhere->setText(tr("在全部法规中搜索(&W)"));
            m_pEverywhere->show();
        }
    }
    m_pFrame->GetStatusBar()->showMessage(m_strResult);
    if (std::exchange(m_bOpenFirst, false))
        OpenFirstResult();
    emit searchFinished();
}
