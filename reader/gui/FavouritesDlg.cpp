#include "reader/gui/FavouritesDlg.h"

#include "reader/Favourites.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum { ColTitle, ColEdition, ColNote, ColumnCount };

} // namespace

CFavouritesDlg::CFavouritesDlg(CFavourites& favourites, QWidget* parent)
    : QDialog(parent), m_favourites(favourites), m_pTable(new QTableWidget(this)),
      m_pOpen(new QPushButton(tr("打开(&O)"), this)),
      m_pDelete(new QPushButton(tr("删除(&D)"), this)) {
    setObjectName(QStringLiteral("FavouritesDlg"));
    setWindowTitle(tr("收藏夹"));
    resize(640, 400);

    auto* label = new QLabel(tr("收藏的法规(&L)："), this);
    label->setBuddy(m_pTable);
    m_pTable->setColumnCount(ColumnCount);
    m_pTable->setHorizontalHeaderLabels({tr("标题"), tr("版本"), tr("备注")});
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setSectionResizeMode(ColTitle, QHeaderView::Stretch);
    m_pTable->horizontalHeader()->setSectionResizeMode(ColEdition, QHeaderView::ResizeToContents);
    m_pTable->horizontalHeader()->resizeSection(ColNote, 200);
    m_pTable->setTabKeyNavigation(false);
    m_pTable->setAccessibleName(tr("收藏的法规"));
    m_pTable->setAccessibleDescription(
        tr("每行一部法规：标题、版本和备注；在备注栏中输入可修改备注，回车打开法规"));

    auto* exportButton = new QPushButton(tr("导出(&E)..."), this);
    auto* importButton = new QPushButton(tr("导入(&I)..."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_pOpen, QDialogButtonBox::ActionRole);
    buttons->addButton(m_pDelete, QDialogButtonBox::ActionRole);
    buttons->addButton(exportButton, QDialogButtonBox::ActionRole);
    buttons->addButton(importButton, QDialogButtonBox::ActionRole);
    buttons->button(QDialogButtonBox::Close)->setText(tr("关闭"));
    m_pOpen->setAccessibleDescription(tr("显示选中的法规并关闭收藏夹"));
    m_pDelete->setAccessibleDescription(tr("从收藏夹删除选中的法规"));
    exportButton->setAccessibleDescription(tr("把收藏夹保存到文件"));
    importButton->setAccessibleDescription(tr("把文件中的收藏加入收藏夹"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_pTable);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pOpen, &QPushButton::clicked, this, &CFavouritesDlg::OpenSelected);
    connect(m_pDelete, &QPushButton::clicked, this, &CFavouritesDlg::DeleteSelected);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(
            this, tr("导出收藏夹"), QStringLiteral("tolvarin-favourites.json"),
            tr("收藏夹 (*.json)"));
        if (!file.isEmpty())
            emit exportRequested(file);
    });
    connect(importButton, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, tr("导入收藏夹"), QString(),
                                                          tr("收藏夹 (*.json);;所有文件 (*)"));
        if (!file.isEmpty())
            emit importRequested(file);
    });
    connect(m_pTable, &QTableWidget::cellDoubleClicked, this, [this](int, int column) {
        if (column != ColNote)
            OpenSelected();
    });
    connect(m_pTable, &QTableWidget::itemSelectionChanged, this, &CFavouritesDlg::UpdateButtons);
    connect(m_pTable, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_bLoading || item->column() != ColNote)
            return;
        m_favourites.SetNote(static_cast<std::size_t>(item->row()), item->text().toStdString());
        emit listChanged();
    });
    m_pOpen->setDefault(true);
    Reload();
}

void CFavouritesDlg::Reload() {
    m_bLoading = true;
    const auto& items = m_favourites.Items();
    m_pTable->setRowCount(static_cast<int>(items.size()));
    for (int row = 0; row < static_cast<int>(items.size()); ++row) {
        const CFavourites::Item& item = items[static_cast<std::size_t>(row)];
        auto* title = new QTableWidgetItem(QString::fromStdString(LawRefLabel(item.m_law)) +
                                           QString::fromStdString(item.m_strArticle));
        title->setFlags(title->flags() & ~Qt::ItemIsEditable);
        auto* edition = new QTableWidgetItem(item.m_law.m_nEdition == 1 ? tr("英文") : tr("中文"));
        edition->setFlags(edition->flags() & ~Qt::ItemIsEditable);
        m_pTable->setItem(row, ColTitle, title);
        m_pTable->setItem(row, ColEdition, edition);
        m_pTable->setItem(row, ColNote,
                          new QTableWidgetItem(QString::fromStdString(item.m_strNote)));
    }
    m_bLoading = false;
    if (!items.empty() && m_pTable->currentRow() < 0)
        m_pTable->setCurrentCell(0, ColTitle);
    UpdateButtons();
}

QList<int> CFavouritesDlg::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_pTable->selectionModel()->selectedIndexes())
        if (!rows.contains(index.row()))
            rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CFavouritesDlg::UpdateButtons() {
    const bool selected = !SelectedRows().isEmpty();
    m_pOpen->setEnabled(selected);
    m_pDelete->setEnabled(selected);
}

void CFavouritesDlg::OpenSelected() {
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty())
        return;
    m_nChosen = rows.front();
    accept();
}

void CFavouritesDlg::DeleteSelected() {
    QList<int> rows = SelectedRows();
    std::reverse(rows.begin(), rows.end());
    for (int row : rows)
        m_favourites.RemoveAt(static_cast<std::size_t>(row));
    Reload();
    emit listChanged();
}

int CFavouritesDlg::DoModal() {
    m_nChosen = -1;
    return exec() == QDialog::Accepted ? m_nChosen : -1;
}
