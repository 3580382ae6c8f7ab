#include "display/gui/FindBar.h"

#include "display/gui/ShowLawView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

// Typing pauses this long before the page is searched, so a fast typist is not held up.
constexpr int kTypingPauseMs = 120;
// More marks than this are kept only around the occurrence selected: painting stays quick
// on a long law and a one-character text.
constexpr int kMaxMarks = 4000;

} // namespace

CFindBar::CFindBar(CShowLawView* view, QWidget* parent)
    : QWidget(parent), m_pView(view), m_pEdit(new QLineEdit(this)), m_pCount(new QLabel(this)),
      m_pPrevious(new QToolButton(this)), m_pNext(new QToolButton(this)),
      m_pTyping(new QTimer(this)) {
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    auto* label = new QLabel(tr("查找："), this);
    label->setBuddy(m_pEdit);
    m_pEdit->setPlaceholderText(tr("在本法规中查找"));
    m_pEdit->setAccessibleName(tr("在本法规中查找"));
    m_pEdit->setClearButtonEnabled(true);
    m_pEdit->setMaxLength(200);
    m_pEdit->setMinimumWidth(fontMetrics().horizontalAdvance(QChar(0x4E2D)) * 16);
    m_pEdit->installEventFilter(this);
    m_pPrevious->setText(tr("上一处"));
    m_pPrevious->setToolTip(tr("上一处 (Shift+Enter, Shift+F3)"));
    m_pNext->setText(tr("下一处"));
    m_pNext->setToolTip(tr("下一处 (Enter, F3)"));
    auto* close = new QToolButton(this);
    close->setText(tr("关闭"));
    close->setToolTip(tr("关闭查找栏 (Esc)"));
    m_pCount->setMinimumWidth(fontMetrics().horizontalAdvance(CountText(999, 9999)));
    layout->addWidget(label);
    layout->addWidget(m_pEdit);
    layout->addWidget(m_pPrevious);
    layout->addWidget(m_pNext);
    layout->addWidget(m_pCount);
    layout->addStretch(1);
    layout->addWidget(close);

    m_pTyping->setSingleShot(true);
    m_pTyping->setInterval(kTypingPauseMs);
    connect(m_pTyping, &QTimer::timeout, this, &CFindBar::SearchNow);
    connect(m_pEdit, &QLineEdit::textChanged, this, [this] { m_pTyping->start(); });
    connect(m_pPrevious, &QToolButton::clicked, this, [this] { FindNext(true); });
    connect(m_pNext, &QToolButton::clicked, this, [this] { FindNext(false); });
    connect(close, &QToolButton::clicked, this, &CFindBar::Close);
    connect(view, &CMoreHtmlView::pageShown, this, &CFindBar::OnPageShown);
    UpdateCount();
    hide();
}

QString CFindBar::CountText(int current, int count) {
    if (count <= 0)
        return tr("未找到");
    return current > 0 ? tr("第 %1 / %2 处").arg(current).arg(count) : tr("共 %1 处").arg(count);
}

QString CFindBar::GetCountText() const {
    return m_pCount->text();
}

std::vector<int> CFindBar::FindAll(const QString& text, const QString& what) {
    std::vector<int> hits;
    if (what.isEmpty())
        return hits;
    for (qsizetype at = text.indexOf(what, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(what, at + what.size(), Qt::CaseInsensitive))
        hits.push_back(static_cast<int>(at));
    return hits;
}

void CFindBar::Open() {
    const QString selected = m_pView->textCursor().selectedText();
    if (!selected.isEmpty() && selected.size() <= 50 &&
        !selected.contains(QChar::ParagraphSeparator))
        m_pEdit->setText(selected);
    show();
    raise();
    m_pEdit->setFocus(Qt::ShortcutFocusReason);
    m_pEdit->selectAll();
    SearchNow();
}

void CFindBar::Close() {
    m_pTyping->stop();
    m_vHits.clear();
    m_nCurrent = -1;
    m_strSearched.clear();
    m_pView->setExtraSelections({});
    QTextCursor cursor = m_pView->textCursor();
    cursor.clearSelection();
    m_pView->setTextCursor(cursor);
    hide();
    m_pView->setFocus(Qt::OtherFocusReason);
}

void CFindBar::OnPageShown() {
    m_bTextRead = false;
    m_strText.clear();
    m_strSearched.clear();
    m_vHits.clear();
    m_nCurrent = -1;
    // Another law while the bar is open: its occurrences are marked and counted, but the page
    // stays where it opened until the reader moves to one.
    if (isVisible())
        Search(false);
}

void CFindBar::SearchNow() {
    Search(true);
}

void CFindBar::Search(bool select) {
    m_pTyping->stop();
    if (!isVisible())
        return;
    const QString what = m_pEdit->text();
    if (what == m_strSearched && m_bTextRead)
        return;
    if (!m_bTextRead) {
        // Raw text: one character per document position, block ends included.
        m_strText = m_pView->document()->toRawText();
        m_bTextRead = true;
    }
    m_strSearched = what;
    m_vHits = FindAll(m_strText, what);
    m_nLength = static_cast<int>(what.size());
    m_nCurrent = -1;
    if (m_vHits.empty() || !select) {
        UpdateMarks();
        UpdateCount();
        return;
    }
    // The first occurrence at or after the text the reader is at, else the first of all.
    const int from = m_pView->ReadingPosition();
    const auto at = std::lower_bound(m_vHits.begin(), m_vHits.end(), from);
    Select(at == m_vHits.end() ? 0 : static_cast<int>(at - m_vHits.begin()));
}

bool CFindBar::FindNext(bool backward) {
    if (m_pTyping->isActive() || m_strSearched != m_pEdit->text())
        SearchNow();
    if (m_vHits.empty())
        return false;
    const int count = GetCount();
    if (m_nCurrent < 0)
        Select(backward ? count - 1 : 0);
    else
        Select((m_nCurrent + (backward ? count - 1 : 1)) % count);
    return true;
}

void CFindBar::Select(int index) {
    m_nCurrent = index;
    const int start = m_vHits[static_cast<size_t>(index)];
    UpdateMarks();
    m_pView->SelectRange(start, start + m_nLength);
    UpdateCount();
}

void CFindBar::UpdateMarks() {
    QTextCharFormat red;
    red.setForeground(CShowLawView::MarkColor(true, m_pView->IsDarkPalette()));
    const int count = GetCount();
    int first = 0;
    int last = count;
    if (count > kMaxMarks) {
        first = std::clamp(std::max(m_nCurrent, 0) - kMaxMarks / 2, 0, count - kMaxMarks);
        last = first + kMaxMarks;
    }
    QList<QTextEdit::ExtraSelection> marks;
    marks.reserve(last - first);
    QTextCursor cursor(m_pView->document());
    for (int i = first; i < last; ++i) {
        const int start = m_vHits[static_cast<size_t>(i)];
        cursor.setPosition(start);
        cursor.setPosition(start + m_nLength, QTextCursor::KeepAnchor);
        marks.push_back({cursor, red});
    }
    m_pView->setExtraSelections(marks);
}

void CFindBar::UpdateCount() {
    const bool any = !m_vHits.empty();
    m_pCount->setText(m_pEdit->text().isEmpty() ? QString() : CountText(GetCurrent(), GetCount()));
    m_pPrevious->setEnabled(any);
    m_pNext->setEnabled(any);
}

bool CFindBar::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_pEdit && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            FindNext(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
