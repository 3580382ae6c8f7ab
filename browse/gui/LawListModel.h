#pragma once

#include "browse/LawRow.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

// The rows of the law list: title, date, document number and department, with the lawid as
// item data. Rows are appended in batches; sorting compares dates as dates.
class CLawListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColIcon = 0, ColTopic, ColDatum, ColWenhao, ColBumen, ColumnCount };
    static constexpr int LawIdRole = Qt::UserRole + 1;
    // The text around the first hit of a law-text search (empty for other rows).
    static constexpr int SnippetRole = Qt::UserRole + 2;

    explicit CLawListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    void Clear();
    void Append(std::vector<CLawRow>&& rows);
    void Append(const std::vector<CLawRow>& rows);
    // The row "没有发现记录" with lawid 0.
    void AddNoRecordsRow();

    // Every row as delivered: a pending row (CLawRow::m_bPending) has its lawid and date
    // only.
    const std::vector<CLawRow>& Rows() const { return m_rows; }
    // A row with all its columns: the pending rows around it are read first.
    const CLawRow& Row(int row) const;

    // Reads the columns of pending rows (CLawRowFill); set by the view, which knows the
    // connection. Rows are read when they are shown or asked for, a block at a time, and all
    // of them before a sort by a column other than the date.
    using Filler = std::function<void(const std::vector<CLawRow*>&)>;
    void SetFiller(Filler filler) { m_filler = std::move(filler); }

    // Tells whether a row's law is an older version of another law (see CLawVersions); such
    // rows are greyed and their titles carry the mark "历史版本". Asked only for the rows
    // shown, once per law.
    using HistoricalTest = std::function<bool(const CLawRow&)>;
    void SetHistoricalTest(HistoricalTest test);
    bool IsHistorical(int row) const;

    // Shows the row icon on the title (the icon and list styles show only the title column).
    void SetIconOnTopic(bool on);

    // Orders two date texts as dates ("2003-1-5" before "2003-10-01"); a text that is not a
    // date sorts before every date. Negative, zero or positive.
    static int CompareDates(std::string_view a, std::string_view b);
    // Chinese collation: Han characters by pinyin, letters without regard to case.
    static int CompareTexts(std::string_view a, std::string_view b);

private:
    // Reads the pending rows of the block around `row`, or of every row.
    void FillAround(int row) const;
    void FillAll() const;
    void Fill(size_t from, size_t to) const;

    // Mutable: the pending rows' columns are read when they are first shown.
    mutable std::vector<CLawRow> m_rows;
    Filler m_filler;
    QIcon m_rowIcon;
    QIcon m_headerIcon;
    bool m_bIconOnTopic = false;
    HistoricalTest m_historical;
    mutable std::unordered_map<int, bool> m_historicalByLaw;
};
