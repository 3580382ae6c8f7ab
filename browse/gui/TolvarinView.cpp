#include "browse/gui/TolvarinView.h"

#include "browse/CategoryStatement.h"
#include "browse/LawRowFill.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/BrowseFrame.h"
#include "browse/gui/LawListModel.h"
#include "browse/gui/LawTitleDelegate.h"
#include "browse/gui/ListEvent.h"
#include "browse/gui/ListQueryChannel.h"
#include "data/DbConnection.h"
#include "data/DbErrorText.h"
#include "data/DocumentDatabase.h"
#include "data/LawVersions.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kColumnWidths[] = {25, 400, 100, 100, 150};
constexpr int kMinColumnWidth = 15;
// Lines of a title under (or beside) an icon before it is cut with "…".
constexpr int kLargeIconLines = 3;
constexpr int kSmallIconLines = 2;

const char* const kListingFailedStatus =
    QT_TRANSLATE_NOOP("CTolvarinView", "法规列表不完整：读取数据库时出错");
const char* const kBodySearchFailedStatus =
    QT_TRANSLATE_NOOP("CTolvarinView", "搜索结果不完整：读取数据库时出错");
const char* const kListingRefusedStatus =
    QT_TRANSLATE_NOOP("CTolvarinView", "没有列出法规：数据库无法执行这次查询");

// The icon views' items take their whole grid cell, so a title wraps over the lines the cell
// has room for instead of being cut on its first.
class CGridCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const auto* view = qobject_cast<const QListView*>(parent());
        if (view && view->gridSize().isValid())
            return view->gridSize();
        return QStyledItemDelegate::sizeHint(option, index);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // Under a large icon the title is centred and starts right below it.
        const auto* view = qobject_cast<const QListView*>(parent());
        if (view && view->viewMode() == QListView::IconMode)
            option->displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
    }
};

} // namespace

CTolvarinView::CTolvarinView(CDocumentDatabase* doc, CBrowseFrame* frame, QWidget* parent)
    : QWidget(parent), m_pDoc(doc), m_pFrame(frame), m_pModel(new CLawListModel(this)),
      m_pStack(new QStackedWidget(this)), m_pTable(new QTableView(m_pStack)),
      m_pIcons(new QListView(m_pStack)), m_pChannel(std::make_shared<CListQueryChannel>(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pStack);

    // A long law-text search's rows come with lawids and dates; the rows shown are read here.
    m_pModel->SetFiller([this](const std::vector<CLawRow*>& rows) {
        if (m_pDoc && m_pDoc->GetDatabase().IsOpen())
            CLawRowFill::Fill(m_pDoc->GetDatabase(), theEditionConfig.GetLawTable(), rows);
    });
    // Older versions of a law are greyed: looked up on the window's connection through the
    // index of titles, for the rows shown.
    m_pModel->SetHistoricalTest([this](const CLawRow& row) {
        if (!m_pDoc || !m_pDoc->GetDatabase().IsOpen())
            return false;
        return CLawVersions::IsHistorical(CLawVersions::Find(m_pDoc->GetDatabase(),
                                                             theEditionConfig.GetLawTable(),
                                                             row.m_strTopic),
                                          row.m_nLawId);
    });

    m_pTable->setModel(m_pModel);
    m_pTable->setItemDelegateForColumn(CLawListModel::ColTopic, new CLawTitleDelegate(m_pTable));
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setShowGrid(false);
    m_pTable->setWordWrap(false);
    m_pTable->setTabKeyNavigation(false);
    m_pTable->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_pTable->setIconSize(QSize(14, 14));
    QHeaderView* rows = m_pTable->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_pTable->fontMetrics().height() + 6);
    QHeaderView* header = m_pTable->horizontalHeader();
    header->setHighlightSections(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setStretchLastSection(true);
    header->setMinimumSectionSize(kMinColumnWidth);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < CLawListModel::ColumnCount; ++column)
        header->resizeSection(column, kColumnWidths[column]);
    header->setSectionResizeMode(CLawListModel::ColIcon, QHeaderView::Fixed);
    connect(header, &QHeaderView::sectionClicked, this, &CTolvarinView::SortByColumn);
    connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int) {
        // Only a drag of the user's counts; the widths the list sets itself are not kept.
        if (m_bFittingColumns || column == CLawListModel::ColumnCount - 1)
            return;
        m_bUserColumnWidths = true;
    });
    m_pTable->viewport()->installEventFilter(this);

    m_pIcons->setModel(m_pModel);
    m_pIcons->setItemDelegate(new CGridCellDelegate(m_pIcons));
    m_pIcons->setModelColumn(CLawListModel::ColTopic);
    m_pIcons->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pIcons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pIcons->setUniformItemSizes(true);
    m_pIcons->setLayoutMode(QListView::Batched);
    m_pIcons->setBatchSize(500);
    m_pIcons->setResizeMode(QListView::Adjust);

    m_pStack->addWidget(m_pTable);
    m_pStack->addWidget(m_pIcons);
    m_pStack->setCurrentWidget(m_pTable);

    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_pTable), static_cast<QAbstractItemView*>(m_pIcons)}) {
        // A click shows its row, also the row already shown: that drops the find's red marks.
        connect(view, &QAbstractItemView::clicked, this,
                [this](const QModelIndex& index) { OnRowClicked(index.row()); });
        connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current) {
                    // Keyboard moves show the law as a click does; a current row that the
                    // view sets by itself (taking the focus, a new listing, another view
                    // style) shows nothing.
                    if (m_bKeyMove && current.isValid() && current.row() != m_nLastShownRow)
                        OnRowClicked(current.row());
                });
        view->installEventFilter(this);
    }
    setFocusProxy(m_pTable);
}

CTolvarinView::~CTolvarinView() {
    m_pChannel->Detach();
    if (m_nRequestedToken != 0)
        StopListQuery();
}

void CTolvarinView::OnInitialUpdate() {
    ShowCategory(0);
    ResetSortArrow();
}

void CTolvarinView::ShowCategory(int categoryId) {
    const std::string sql = CategoryStatement(theEditionConfig, categoryId);
    ResetSortArrow();
    RunQuery(sql);
}

void CTolvarinView::RunQuery(const std::string& sql, bool bodyResults) {
    // The listings and the dialogs' searches come newest first.
    ResetSortArrow();
    BeginRequest();
    m_bBodyResults = bodyResults;
    m_nRequestedToken = StartListQuery(sql, m_pChannel);
}

void CTolvarinView::StartTask(ListTask task) {
    BeginRequest();
    m_nRequestedToken = StartListTask(std::move(task), m_pChannel);
}

void CTolvarinView::BeginRequest() {
    // Whatever an older request still delivers is dropped from now on.
    m_pModel->Clear();
    UpdateRowHeight();
    m_nLastShownRow = -1;
    m_nShownToken = 0;
    m_nBodySearchToken = 0;
    m_bBodyResults = false;
    // The list stays usable; the cursor says that rows are still coming.
    m_pStack->setCursor(Qt::BusyCursor);
}

void CTolvarinView::StopListing() {
    if (m_nRequestedToken != 0) {
        m_nRequestedToken = 0;
        StopListQuery();
        m_pStack->unsetCursor();
    }
}

void CTolvarinView::ClearRows() {
    StopListing();
    m_nShownToken = 0;
    m_nLastShownRow = -1;
    m_bBodyResults = false;
    m_pModel->Clear();
}

void CTolvarinView::AppendRows(const std::vector<CLawRow>& rows) {
    m_pModel->Append(rows);
    UpdateRowHeight();
}

void CTolvarinView::UpdateRowHeight() {
    // Hits with the text around them take two lines, other rows one.
    const bool snippets = m_pModel->rowCount() > 0 && !m_pModel->Row(0).m_strSnippet.empty();
    const int line = m_pTable->fontMetrics().height();
    m_pTable->verticalHeader()->setDefaultSectionSize(snippets ? 2 * line + 8 : line + 6);
}

void CTolvarinView::AddNoRecordsRow() {
    m_pModel->AddNoRecordsRow();
}

int CTolvarinView::GetRowCount() const {
    return m_pModel->rowCount();
}

const CLawRow& CTolvarinView::GetRow(int row) const {
    return m_pModel->Row(row);
}

bool CTolvarinView::event(QEvent* e) {
    if (e->type() == CListEvent::EventType()) {
        OnListEvent(static_cast<CListEvent*>(e));
        return true;
    }
    return QWidget::event(e);
}

void CTolvarinView::OnListEvent(CListEvent* e) {
    if (e->m_nToken == 0 || e->m_nToken != m_nRequestedToken)
        return; // a superseded request
    switch (e->m_kind) {
    case CListEvent::Begin:
        m_nShownToken = e->m_nToken;
        m_nLastShownRow = -1;
        m_pModel->Clear();
        if (!m_listingFailure.m_strError.empty() && m_pFrame) {
            const QString status = m_pFrame->GetStatusBar()->currentMessage();
            if (status == tr(kListingFailedStatus) || status == tr(kBodySearchFailedStatus) ||
                status == tr(kListingRefusedStatus))
                m_pFrame->GetStatusBar()->clearMessage();
        }
        m_listingFailure = CListFailure();
        break;
    case CListEvent::Failed:
        if (e->m_nToken == m_nShownToken) {
            m_listingFailure = e->m_failure;
            if (m_listingFailure.m_strError.empty())
                m_listingFailure.m_strError = "unknown error";
        }
        break;
    case CListEvent::Rows:
        if (e->m_nToken != m_nShownToken)
            return;
        m_pModel->Append(std::move(e->m_rows));
        UpdateRowHeight();
        if (e->m_bRepaintNow)
            m_pStack->currentWidget()->repaint();
        break;
    case CListEvent::End:
        // A refused statement found nothing because it read nothing: no "no records" row.
        if (m_pModel->rowCount() == 0 && !WasListingRefused())
            m_pModel->AddNoRecordsRow();
        m_nRequestedToken = 0;
        m_pStack->unsetCursor();
        m_pStack->currentWidget()->update();
        if (WasListingRefused()) {
            ReportListingRefused();
        } else if (!m_listingFailure.m_strError.empty()) {
            if (e->m_nToken == m_nBodySearchToken)
                ReportBodySearchFailure();
            else
                ReportListingFailure();
        }
        emit listingFinished();
        break;
    }
}

void CTolvarinView::ReportListingFailure() {
    int laws = 0;
    for (const CLawRow& row : m_pModel->Rows())
        laws += row.m_nLawId != 0 ? 1 : 0;
    if (m_pFrame)
        m_pFrame->GetStatusBar()->showMessage(tr(kListingFailedStatus));
    ShowMessage(CDbErrorText::Compose("读取法规列表时出错，列表只列出了已读到的 " +
                                          std::to_string(laws) + " 条法规，其余的没有列出。",
                                      m_listingFailure.m_nCode, m_listingFailure.m_strError),
                "读取失败", MsgIcon::Warning);
}

void CTolvarinView::ReportListingRefused() {
    if (m_pFrame)
        m_pFrame->GetStatusBar()->showMessage(tr(kListingRefusedStatus));
    ShowMessage(CDbErrorText::Compose("无法列出法规：数据库无法执行这次查询，列表中没有结果。",
                                      m_listingFailure.m_nCode, m_listingFailure.m_strError),
                "查询失败", MsgIcon::Warning);
}

void CTolvarinView::ReportBodySearchFailure() {
    if (m_pFrame)
        m_pFrame->GetStatusBar()->showMessage(tr(kBodySearchFailedStatus));
    // The search composed its own text: how many windows, and the engine's words.
    ShowMessage(m_listingFailure.m_strError, "读取失败", MsgIcon::Warning);
}

void CTolvarinView::ResetSortArrow() {
    m_pTable->horizontalHeader()->setSortIndicator(CLawListModel::ColDatum, Qt::DescendingOrder);
}

void CTolvarinView::ClearSortArrow() {
    m_pTable->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
}

void CTolvarinView::SortByColumn(int column) {
    if (column < 0 || column >= CLawListModel::ColumnCount)
        return;
    const bool ascending = column != m_nLastClickColumn || !m_bLastClickAscending;
    m_nLastClickColumn = column;
    m_bLastClickAscending = ascending;
    const Qt::SortOrder order = ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
    const bool large = m_pModel->rowCount() > 20000;
    if (large)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pModel->sort(column, order);
    if (large)
        QApplication::restoreOverrideCursor();
    m_nLastShownRow = -1;
    m_pTable->horizontalHeader()->setSortIndicator(column, order);
}

int CTolvarinView::GetSortColumn() const {
    return m_pTable->horizontalHeader()->sortIndicatorSection();
}

bool CTolvarinView::IsSortAscending() const {
    return m_pTable->horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder;
}

void CTolvarinView::SetStyle(Style style) {
    m_style = style;
    const bool hadFocus = GetFocusWidget()->hasFocus();
    if (style == Style::Report) {
        m_pModel->SetIconOnTopic(false);
        m_pStack->setCurrentWidget(m_pTable);
        setFocusProxy(m_pTable);
    } else {
        m_pModel->SetIconOnTopic(true);
        // Titles are long ("中华人民共和国…" is where most of them would be cut): the icon
        // views wrap them over a few lines and the list gives them a wide column; the
        // tooltip has the whole title.
        const int line = m_pIcons->fontMetrics().lineSpacing();
        const int character = m_pIcons->fontMetrics().horizontalAdvance(QChar(0x4E2D));
        m_pIcons->setTextElideMode(Qt::ElideRight);
        if (style == Style::LargeIcon) {
            m_pIcons->setViewMode(QListView::IconMode);
            m_pIcons->setIconSize(QSize(32, 32));
            m_pIcons->setGridSize(QSize(character * 10 + 16, 32 + kLargeIconLines * line + 14));
            m_pIcons->setWordWrap(true);
            m_pIcons->setFlow(QListView::LeftToRight);
            m_pIcons->setWrapping(true);
        } else {
            m_pIcons->setViewMode(QListView::ListMode);
            m_pIcons->setIconSize(QSize(14, 14));
            if (style == Style::SmallIcon) {
                // Small icons run in rows, two lines of title each.
                m_pIcons->setGridSize(QSize(character * 16 + 30, kSmallIconLines * line + 8));
                m_pIcons->setWordWrap(true);
                m_pIcons->setFlow(QListView::LeftToRight);
            } else {
                // The list style runs in columns, a title of 26 characters on one line.
                m_pIcons->setGridSize(QSize(character * 26 + 30, line + 6));
                m_pIcons->setWordWrap(false);
                m_pIcons->setFlow(QListView::TopToBottom);
            }
            m_pIcons->setWrapping(true);
        }
        m_pIcons->setMovement(QListView::Static);
        m_pStack->setCurrentWidget(m_pIcons);
        setFocusProxy(m_pIcons);
    }
    // The other view shows the row being read as its current one.
    QAbstractItemView* shown = static_cast<QAbstractItemView*>(GetFocusWidget());
    if (m_nLastShownRow >= 0 && m_nLastShownRow < m_pModel->rowCount()) {
        const QModelIndex index =
            m_pModel->index(m_nLastShownRow, style == Style::Report ? CLawListModel::ColTopic
                                                                    : CLawListModel::ColTopic);
        shown->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    }
    if (hadFocus)
        GetFocusWidget()->setFocus();
}

void CTolvarinView::ArrangeIcons() {
    if (m_style == Style::LargeIcon || m_style == Style::SmallIcon)
        m_pIcons->doItemsLayout();
}

QWidget* CTolvarinView::GetFocusWidget() const {
    return m_style == Style::Report ? static_cast<QWidget*>(m_pTable)
                                    : static_cast<QWidget*>(m_pIcons);
}

void CTolvarinView::OnRowClicked(int row) {
    if (row < 0 || row >= m_pModel->rowCount())
        return;
    m_nLastShownRow = row;
    const int lawid = m_pModel->Row(row).m_nLawId;
    if (m_pFrame)
        m_pFrame->ShowLaw(lawid, m_bBodyResults);
    theEditionConfig.SetCurLawId(lawid);
}

void CTolvarinView::SelectLaw(int lawid) {
    if (lawid == 0)
        return;
    auto* view = static_cast<QAbstractItemView*>(GetFocusWidget());
    const QModelIndex current = view->currentIndex();
    if (current.isValid() && m_pModel->Row(current.row()).m_nLawId == lawid)
        return;
    const std::vector<CLawRow>& rows = m_pModel->Rows();
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [lawid](const CLawRow& row) { return row.m_nLawId == lawid; });
    if (found == rows.end())
        return;
    const int row = static_cast<int>(found - rows.begin());
    m_nLastShownRow = row;
    const bool keyMove = std::exchange(m_bKeyMove, false);
    view->selectionModel()->setCurrentIndex(m_pModel->index(row, CLawListModel::ColTopic),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    m_bKeyMove = keyMove;
    view->scrollTo(view->currentIndex());
}

QList<int> CTolvarinView::SelectedRows() const {
    const QAbstractItemView* view = m_style == Style::Report
                                        ? static_cast<const QAbstractItemView*>(m_pTable)
                                        : static_cast<const QAbstractItemView*>(m_pIcons);
    QList<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool CTolvarinView::HasSelection() const {
    const QAbstractItemView* view = m_style == Style::Report
                                        ? static_cast<const QAbstractItemView*>(m_pTable)
                                        : static_cast<const QAbstractItemView*>(m_pIcons);
    return view->selectionModel()->hasSelection();
}

bool CTolvarinView::CopySelection() {
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty())
        return false;
    QString text;
    for (int row : rows) {
        const CLawRow& law = m_pModel->Row(row);
        text += QString::fromStdString(law.m_strTopic) + '\t' +
                QString::fromStdString(law.m_strDatum) + '\t' +
                QString::fromStdString(law.m_strWenhao) + '\t' +
                QString::fromStdString(law.m_strBumen) + '\n';
    }
    QApplication::clipboard()->setText(text);
    return true;
}

void CTolvarinView::SetColumnWidths(const std::vector<int>& widths) {
    const bool defaults = std::equal(widths.begin(), widths.end(), std::begin(kColumnWidths) + 1,
                                     std::begin(kColumnWidths) + 1 + widths.size());
    m_bFittingColumns = true;
    QHeaderView* header = m_pTable->horizontalHeader();
    for (size_t i = 0; i < widths.size() && static_cast<int>(i) + 2 < header->count(); ++i)
        if (widths[i] >= header->minimumSectionSize() && widths[i] <= 10000)
            header->resizeSection(static_cast<int>(i) + 1, widths[i]);
    m_bFittingColumns = false;
    // The widths the program started with are not the user's choice: they are fitted still.
    m_bUserColumnWidths = !defaults;
    FitColumns();
}

std::vector<int> CTolvarinView::UserColumnWidths() const {
    std::vector<int> widths;
    if (!m_bUserColumnWidths)
        return widths;
    const QHeaderView* header = m_pTable->horizontalHeader();
    for (int column = 1; column + 1 < header->count(); ++column)
        widths.push_back(header->sectionSize(column));
    return widths;
}

void CTolvarinView::FitColumns() {
    // Until the user sets the widths, a wide list shares its room between the title, the
    // document number and the department rather than leaving it empty; the department, the
    // last column, stretches to the edge.
    if (m_bUserColumnWidths)
        return;
    int total = 0;
    for (int width : kColumnWidths)
        total += width;
    const int extra = std::max(0, m_pTable->viewport()->width() - total);
    m_bFittingColumns = true;
    QHeaderView* header = m_pTable->horizontalHeader();
    header->resizeSection(CLawListModel::ColTopic,
                          kColumnWidths[CLawListModel::ColTopic] + extra / 2);
    header->resizeSection(CLawListModel::ColWenhao,
                          kColumnWidths[CLawListModel::ColWenhao] + extra / 5);
    m_bFittingColumns = false;
}

bool CTolvarinView::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_pTable->viewport()) {
        if (e->type() == QEvent::Resize)
            FitColumns();
        return QWidget::eventFilter(watched, e);
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->matches(QKeySequence::Copy)) {
        CopySelection();
        return true;
    }
    if (e->type() == QEvent::KeyPress) {
        // Enter or Space on a row: the law is shown and the keyboard goes on to read it.
        const auto* key = static_cast<QKeyEvent*>(e);
        const bool open =
            key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
        if (open && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                     key->key() == Qt::Key_Space)) {
            auto* view = qobject_cast<QAbstractItemView*>(watched);
            const QModelIndex current = view ? view->currentIndex() : QModelIndex();
            if (current.isValid()) {
                OnRowClicked(current.row());
                if (m_pFrame && m_pFrame->GetLawPage() && m_pModel->Row(current.row()).m_nLawId)
                    m_pFrame->GetLawPage()->setFocus(Qt::OtherFocusReason);
            }
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress)
        m_bKeyMove = true;
    else if (e->type() == QEvent::KeyRelease || e->type() == QEvent::FocusOut ||
             e->type() == QEvent::FocusIn || e->type() == QEvent::MouseButtonPress)
        m_bKeyMove = false;
    return QWidget::eventFilter(watched, e);
}
