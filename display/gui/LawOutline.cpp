#include "display/gui/LawOutline.h"

#include "display/gui/ShowLawView.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

// More headings than this are not listed (a law of many megabytes).
constexpr size_t kMaxHeadings = 20000;
constexpr int kMaxLabelChars = 40;

bool IsNumeral(QChar c) {
    static const QString numerals = QStringLiteral("零〇一二三四五六七八九十百千两0123456789");
    return numerals.contains(c);
}

QString ChineseNumber(int n) {
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    if (n <= 0 || n >= 10000)
        return QString::number(n);
    const int parts[] = {n / 1000, n / 100 % 10, n / 10 % 10, n % 10};
    static const QString units[] = {QStringLiteral("千"), QStringLiteral("百"),
                                    QStringLiteral("十"), QString()};
    QString out;
    bool zero = false;
    for (int i = 0; i < 4; ++i) {
        if (parts[i] == 0) {
            zero = !out.isEmpty();
            continue;
        }
        if (zero)
            out += digits[0];
        zero = false;
        // "十二", not "一十二", when ten leads.
        if (!(i == 2 && parts[i] == 1 && out.isEmpty()))
            out += digits[parts[i]];
        out += units[i];
    }
    return out;
}

} // namespace

CLawOutline::CLawOutline(CShowLawView* view, QWidget* parent) : QComboBox(parent), m_pView(view) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(25);
    setMinimumContentsLength(16);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lineEdit()->setPlaceholderText(tr("转到条文，如 第二百三十二条"));
    setToolTip(tr("转到条文"));
    setAccessibleName(tr("转到条文"));
    lineEdit()->setAccessibleName(tr("转到条文"));
    QComboBox::view()->setAccessibleName(tr("条文目录"));
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && static_cast<size_t>(index) < m_headings.size())
            m_pView->JumpToPosition(m_headings[static_cast<size_t>(index)].m_nPosition);
    });
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] { GoTo(currentText()); });
    connect(view, &CShowLawView::pageShown, this, &CLawOutline::Refresh);
}

QString CLawOutline::HeadingOf(const QString& line, int* level) {
    qsizetype i = 0;
    while (i < line.size() && (line[i].isSpace() || line[i] == QChar(0x3000)))
        ++i;
    if (i >= line.size() || line[i] != QChar(0x7B2C)) // 第
        return {};
    qsizetype j = i + 1;
    while (j < line.size() && IsNumeral(line[j]))
        ++j;
    if (j == i + 1 || j >= line.size())
        return {};
    static const QString kinds = QStringLiteral("编章节条");
    const qsizetype kind = kinds.indexOf(line[j]);
    if (kind < 0)
        return {};
    if (level)
        *level = static_cast<int>(kind);
    return line.mid(i, j + 1 - i);
}

QString CLawOutline::ArticleFromNumber(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n > 0 ? QStringLiteral("第") + ChineseNumber(n) + QStringLiteral("条") : text;
}

void CLawOutline::Refresh() {
    m_headings.clear();
    const QTextDocument* doc = m_pView->document();
    for (QTextBlock block = doc->begin(); block.isValid() && m_headings.size() < kMaxHeadings;
         block = block.next()) {
        // Most lines are no heading: their first character says so without copying them.
        const QChar first = doc->characterAt(block.position());
        if (first != QChar(0x7B2C) && !first.isSpace() && first != QChar(0x3000))
            continue;
        const QString text = block.text();
        int level = 0;
        const QString head = HeadingOf(text.left(24), &level);
        if (head.isEmpty())
            continue;
        QString label = level == 3 ? head : text.trimmed().left(kMaxLabelChars);
        label.replace(QChar(0x3000), QChar(' '));
        m_headings.push_back({label, level, block.position()});
    }
    clear();
    for (const CHeading& heading : m_headings)
        addItem(QString(heading.m_nLevel * 2, QChar(' ')) + heading.m_strLabel);
    setCurrentIndex(-1);
    setEnabled(!m_headings.empty());
}

bool CLawOutline::GoTo(const QString& text) {
    QString want = ArticleFromNumber(text.trimmed());
    want.remove(QChar(' '));
    if (want.isEmpty())
        return false;
    const CHeading* found = nullptr;
    for (const CHeading& heading : m_headings) {
        QString label = heading.m_strLabel;
        label.remove(QChar(' '));
        if (label == want || HeadingOf(label) == want) {
            found = &heading;
            break;
        }
        if (!found && label.startsWith(want))
            found = &heading;
    }
    if (!found)
        return false;
    m_pView->JumpToPosition(found->m_nPosition);
    return true;
}

int CLawOutline::HeadingAt(int position) const {
    // The headings are in the page's order: the last one at or above the position.
    const auto after =
        std::upper_bound(m_headings.begin(), m_headings.end(), position,
                         [](int p, const CHeading& heading) { return p < heading.m_nPosition; });
    return after == m_headings.begin() ? -1 : static_cast<int>(after - m_headings.begin()) - 1;
}

void CLawOutline::showPopup() {
    // The list opens at the article being read, not at the one last chosen.
    const int current = HeadingAt(m_pView->ReadingPosition());
    if (current >= 0)
        setCurrentIndex(current);
    QComboBox::showPopup();
}
