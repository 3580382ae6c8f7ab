#include "browse/gui/LawListModel.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <numeric>

namespace {

// The headings follow the interface language; the no-records row's text too.
const char* const kHeadings[] = {
    " ", QT_TRANSLATE_NOOP("CLawListModel", "标题"), QT_TRANSLATE_NOOP("CLawListModel", "日期"),
    QT_TRANSLATE_NOOP("CLawListModel", "文号"), QT_TRANSLATE_NOOP("CLawListModel", "部门")};

const std::string& Field(const CLawRow& row, int column) {
    switch (column) {
    case CLawListModel::ColDatum:
        return row.m_strDatum;
    case CLawListModel::ColWenhao:
        return row.m_strWenhao;
    case CLawListModel::ColBumen:
        return row.m_strBumen;
    default:
        return row.m_strTopic;
    }
}

// Year, month and day of a date text as one number; -1 when the text is not a date.
long DateKey(std::string_view text) {
    long parts[3] = {0, 0, 0};
    int part = 0;
    int digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 4)
                return -1;
            parts[part] = parts[part] * 10 + (c - '0');
        } else if ((c == '-' || c == '/' || c == '.') && digits > 0 && part < 2) {
            ++part;
            digits = 0;
        } else if (c == ' ' && part == 2 && digits > 0) {
            break; // a time of day follows
        } else {
            return -1;
        }
    }
    if (part != 2 || digits == 0 || parts[1] < 1 || parts[1] > 12 || parts[2] < 1 || parts[2] > 31)
        return -1;
    return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

// Chinese order (pinyin for Han characters), ASCII case ignored.
QCollator& TextCollator() {
    static QCollator collator = [] {
        QCollator c(QLocale(QLocale::Chinese, QLocale::China));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace

CLawListModel::CLawListModel(QObject* parent)
    : QAbstractTableModel(parent), m_rowIcon(QStringLiteral(":/images/list/row.png")),
      m_headerIcon(QStringLiteral(":/images/list/header.png")) {}

int CLawListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CLawListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const CLawRow& CLawListModel::Row(int row) const {
    FillAround(row);
    return m_rows[static_cast<size_t>(row)];
}

void CLawListModel::FillAround(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size() ||
        !m_rows[static_cast<size_t>(row)].m_bPending)
        return;
    // A screen of rows above and a few below, so that scrolling either way reads seldom.
    constexpr int kBefore = 100, kAfter = 300;
    Fill(static_cast<size_t>(std::max(0, row - kBefore)),
         std::min(m_rows.size(), static_cast<size_t>(row) + kAfter));
}

void CLawListModel::FillAll() const {
    Fill(0, m_rows.size());
}

void CLawListModel::Fill(size_t from, size_t to) const {
    std::vector<CLawRow*> pending;
    for (size_t k = from; k < to; ++k)
        if (m_rows[k].m_bPending)
            pending.push_back(&m_rows[k]);
    if (pending.empty())
        return;
    if (m_filler)
        m_filler(pending);
    // Never asked again, read or not.
    for (CLawRow* row : pending)
        row->m_bPending = false;
}

QVariant CLawListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role != LawIdRole)
        FillAround(index.row());
    const CLawRow& row = m_rows[static_cast<size_t>(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::ToolTipRole:
        // A hit of a law-text search shows the text around it on every column.
        if (!row.m_strSnippet.empty())
            return QString::fromStdString(row.m_strTopic + "\n" + row.m_strSnippet);
        [[fallthrough]];
    case Qt::DisplayRole:
        if (column == ColIcon || (role == Qt::ToolTipRole && column != ColTopic))
            return {};
        if (row.m_nLawId == 0 && column == ColTopic)
            return QCoreApplication::translate("CLawListModel", row.m_strTopic.c_str());
        if (column == ColTopic && role == Qt::DisplayRole && IsHistorical(index.row()))
            return QString::fromStdString(row.m_strTopic) + QStringLiteral("（") +
                   QCoreApplication::translate("CLawListModel", "历史版本") + QStringLiteral("）");
        return QString::fromStdString(Field(row, column));
    case Qt::ForegroundRole:
        if (IsHistorical(index.row()))
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::DecorationRole:
        if (row.m_nLawId == 0)
            return {};
        if ((column == ColIcon && !m_bIconOnTopic) || (column == ColTopic && m_bIconOnTopic))
            return m_rowIcon;
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case LawIdRole:
        return row.m_nLawId;
    case SnippetRole:
        return QString::fromStdString(row.m_strSnippet);
    default:
        return {};
    }
}

QVariant CLawListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return section == ColIcon
                   ? QString()
                   : QCoreApplication::translate("CLawListModel", kHeadings[section]);
    if (role == Qt::DecorationRole && section == ColIcon)
        return m_headerIcon;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

int CLawListModel::CompareDates(std::string_view a, std::string_view b) {
    const long ka = DateKey(a);
    const long kb = DateKey(b);
    return ka < kb ? -1 : ka > kb ? 1 : 0;
}

int CLawListModel::CompareTexts(std::string_view a, std::string_view b) {
    return TextCollator().compare(QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())),
                                  QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())));
}

void CLawListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount || m_rows.size() < 2)
        return;
    // Pending rows have their dates already.
    if (column != ColDatum)
        FillAll();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<size_t> order_(m_rows.size());
    std::iota(order_.begin(), order_.end(), size_t{0});
    const bool descending = order == Qt::DescendingOrder;
    if (column == ColDatum) {
        std::vector<long> keys(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            keys[i] = DateKey(m_rows[i].m_strDatum);
        std::stable_sort(order_.begin(), order_.end(), [&](size_t x, size_t y) {
            return descending ? keys[x] > keys[y] : keys[x] < keys[y];
        });
    } else {
        // One collation key per row, then plain key comparisons.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(m_rows.size());
        for (const CLawRow& row : m_rows)
            keys.push_back(TextCollator().sortKey(QString::fromStdString(Field(row, column))));
        std::stable_sort(order_.begin(), order_.end(), [&](size_t x, size_t y) {
            const int c = keys[x].compare(keys[y]);
            return descending ? c > 0 : c < 0;
        });
    }
    std::vector<CLawRow> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (size_t i = 0; i < order_.size(); ++i) {
        newRowOf[order_[i]] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[order_[i]]));
    }
    m_rows.swap(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.push_back(this->index(newRowOf[static_cast<size_t>(index.row())], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CLawListModel::SetHistoricalTest(HistoricalTest test) {
    m_historical = std::move(test);
    m_historicalByLaw.clear();
}

bool CLawListModel::IsHistorical(int row) const {
    if (!m_historical || row < 0 || row >= rowCount())
        return false;
    const CLawRow& law = Row(row);
    if (law.m_nLawId == 0)
        return false;
    const auto [it, added] = m_historicalByLaw.try_emplace(law.m_nLawId, false);
    if (added)
        it->second = m_historical(law);
    return it->second;
}

void CLawListModel::Clear() {
    // A new listing may come from another edition or a changed collection.
    m_historicalByLaw.clear();
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}

void CLawListModel::Append(std::vector<CLawRow>&& rows) {
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.empty())
        m_rows = std::move(rows);
    else
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                      std::make_move_iterator(rows.end()));
    endInsertRows();
}

void CLawListModel::Append(const std::vector<CLawRow>& rows) {
    std::vector<CLawRow> copy = rows;
    Append(std::move(copy));
}

void CLawListModel::AddNoRecordsRow() {
    CLawRow row;
    row.m_strTopic = QT_TRANSLATE_NOOP("CLawListModel", "没有发现记录");
    Append(std::vector<CLawRow>{row});
}

void CLawListModel::SetIconOnTopic(bool on) {
    if (m_bIconOnTopic == on)
        return;
    m_bIconOnTopic = on;
    if (!m_rows.empty())
        emit dataChanged(index(0, ColIcon), index(rowCount() - 1, ColTopic), {Qt::DecorationRole});
}
