#include "browse/gui/LawTitleDelegate.h"

#include "browse/gui/LawListModel.h"
#include "display/LawPage.h"
#include "ground/EditionConfig.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

std::vector<std::pair<QString, bool>>
CLawTitleDelegate::MarkRuns(const QString& snippet, const std::vector<std::string>& words) {
    std::vector<bool> marked(static_cast<size_t>(snippet.size()), false);
    for (const std::string& word : words) {
        const QString w = QString::fromStdString(word);
        if (w.isEmpty())
            continue;
        for (qsizetype at = snippet.indexOf(w, 0, Qt::CaseInsensitive); at >= 0;
             at = snippet.indexOf(w, at + w.size(), Qt::CaseInsensitive))
            std::fill(marked.begin() + at, marked.begin() + at + w.size(), true);
    }
    std::vector<std::pair<QString, bool>> runs;
    for (qsizetype i = 0; i < snippet.size(); ++i) {
        const bool mark = marked[static_cast<size_t>(i)];
        if (runs.empty() || runs.back().second != mark)
            runs.emplace_back(QString(), mark);
        runs.back().first += snippet[i];
    }
    return runs;
}

void CLawTitleDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const QString snippet = index.data(CLawListModel::SnippetRole).toString();
    if (snippet.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The title on the first line as every row has it, the snippet on the second.
    QStyleOptionViewItem first = option;
    initStyleOption(&first, index);
    const int line = option.fontMetrics.height();
    first.rect.setHeight(line + 4);
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = QIcon();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);
    first.backgroundBrush = Qt::NoBrush;
    first.state &= ~QStyle::State_HasFocus;
    style->drawControl(QStyle::CE_ItemViewItem, &first, painter, option.widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    QColor plain = text;
    if (!selected)
        plain.setAlpha(170);
    const QColor mark = selected ? text : QColor(QLatin1String(CLawPage::kSearchColor));
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    QRect area = option.rect.adjusted(margin, line + 4, -margin, 0);
    painter->save();
    painter->setClipRect(option.rect);
    QFont bold = option.font;
    bold.setBold(true);
    int x = area.left();
    const int baseline = area.top() + option.fontMetrics.ascent();
    for (const auto& [part, marked] : MarkRuns(snippet, theEditionConfig.GetSearchWords())) {
        const QFontMetrics metrics(marked ? bold : option.font);
        const int room = area.right() - x;
        if (room <= 0)
            break;
        QString shown = part;
        if (metrics.horizontalAdvance(part) > room)
            shown = metrics.elidedText(part, Qt::ElideRight, room);
        painter->setFont(marked ? bold : option.font);
        painter->setPen(marked ? mark : plain);
        painter->drawText(QPoint(x, baseline), shown);
        x += metrics.horizontalAdvance(shown);
        if (shown != part)
            break;
    }
    painter->restore();
}
