#pragma once

#include <QComboBox>

#include <vector>

class CShowLawView;

// The outline of the law on display: its 编, 章, 节 and 条 headings in a drop-down. Choosing
// one, or typing a heading such as "第二百三十二条" (or "232") and Enter, scrolls the page
// there.
class CLawOutline : public QComboBox {
    Q_OBJECT
public:
    explicit CLawOutline(CShowLawView* view, QWidget* parent = nullptr);

    // Reads the headings of the page shown.
    void Refresh();
    // Scrolls to the heading typed or chosen; false when the law has no such heading.
    bool GoTo(const QString& text);

    struct CHeading {
        QString m_strLabel;
        int m_nLevel; // 0 编, 1 章, 2 节, 3 条
        int m_nPosition;
    };
    const std::vector<CHeading>& Headings() const { return m_headings; }

    // The heading a line starts with ("第三章", "第二百三十二条"), or "" when none; `level`
    // receives its level.
    static QString HeadingOf(const QString& line, int* level = nullptr);
    // "232" → "第二百三十二条"; other texts stay as they are.
    static QString ArticleFromNumber(const QString& text);

    // The index of the heading a text position belongs to (the last one at or above it), -1
    // when it stands above the first.
    int HeadingAt(int position) const;

    // The list opens at the article being read.
    void showPopup() override;

private:
    CShowLawView* m_pView;
    std::vector<CHeading> m_headings;
};
