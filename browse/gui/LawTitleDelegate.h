#pragma once

#include <QString>
#include <QStyledItemDelegate>

#include <string>
#include <utility>
#include <vector>

// Draws the title column of the law list. A hit of a law-text search shows a second line
// under its title: the text around its first hit (the worker made it with the row), the
// search words in it marked in the page's blue.
class CLawTitleDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The snippet cut into runs, each marked (a search word) or not. A Latin letter of a word
    // matches either case, as the search does.
    static std::vector<std::pair<QString, bool>> MarkRuns(const QString& snippet,
                                                          const std::vector<std::string>& words);
};
