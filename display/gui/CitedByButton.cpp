#include "display/gui/CitedByButton.h"

#include "data/CitationParser.h"
#include "data/CitationTable.h"
#include "data/DbConnection.h"
#include "data/DocumentDatabase.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QStyle>
#include <QWidgetAction>

#include <set>

namespace {

constexpr int kTitleChars = 24;
constexpr int kSentenceChars = 38;
// What a row keeps: the citing law, its article and the citation's text.
constexpr int kLawRole = Qt::UserRole;
constexpr int kArticleRole = Qt::UserRole + 1;
constexpr int kTextRole = Qt::UserRole + 2;

QString Elided(const std::string& text, int chars) {
    const QString s = QString::fromStdString(text).simplified();
    return s.size() > chars ? s.left(chars - 1) + QChar(0x2026) : s;
}

} // namespace

CCitedByButton::CCitedByButton(CShowLawView* view, CDocumentDatabase* doc, QWidget* parent)
    : QToolButton(parent), m_pView(view), m_pDoc(doc), m_pMenu(new QMenu(this)),
      m_pList(new QListWidget(m_pMenu)) {
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    // A list that scrolls in the pop-up: a law may be cited hundreds of times.
    m_pList->setAccessibleName(tr("引用本法规的法规"));
    m_pList->setWordWrap(false);
    m_pList->setTextElideMode(Qt::ElideRight);
    m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pList->setMinimumSize(fontMetrics().horizontalAdvance(QChar(0x4E2D)) * 44,
                            fontMetrics().height() * 24);
    m_pList->setAlternatingRowColors(true);
    auto* holder = new QWidgetAction(m_pMenu);
    holder->setDefaultWidget(m_pList);
    m_pMenu->addAction(holder);
    connect(m_pMenu, &QMenu::aboutToShow, m_pList, [this] {
        m_pList->setFocus(Qt::PopupFocusReason);
        if (m_pList->count() > 0 && !m_pList->currentItem())
            m_pList->setCurrentRow(0);
    });
    connect(m_pList, &QListWidget::itemActivated, this, &CCitedByButton::OnItem);
    // One click opens, as in a menu, where the style does not make it activate already.
    if (!m_pList->style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick, nullptr,
                                     m_pList))
        connect(m_pList, &QListWidget::itemClicked, this, &CCitedByButton::OnItem);
    setMenu(m_pMenu);
    setAccessibleName(tr("被引用"));
    setText(tr("被引用"));
    setEnabled(false);
    connect(view, &CShowLawView::pageShown, this, [this] { Refresh(); });
}

void CCitedByButton::Refresh(bool force) {
    const int lawid = m_pView->GetShownLawId();
    const int edition = theEditionConfig.GetEdition();
    if (!force && lawid == m_nShownLawId && edition == m_nShownEdition)
        return;
    m_nShownLawId = lawid;
    m_nShownEdition = edition;
    m_pList->clear();
    m_nCitations = m_nLaws = 0;
    std::vector<CCitingRow> rows;
    long long total = 0;
    const bool read =
        lawid != 0 && m_pDoc && m_pDoc->ConnectDatabase() &&
        CCitationTable::CitedBy(m_pDoc->GetDatabase().GetConnectionHandle(),
                                theEditionConfig.GetLawTable(), lawid, rows, kMaxEntries, &total);
    std::set<int> laws;
    for (const CCitingRow& row : rows)
        laws.insert(row.m_nLawId);
    m_nCitations = static_cast<int>(total);
    m_nLaws = static_cast<int>(laws.size());
    if (!read) {
        setText(tr("被引用"));
        setToolTip(lawid ? tr("法规间的引用尚未整理") : QString());
        setEnabled(false);
        return;
    }
    // The laws are counted among the citations listed; past the list's length the button
    // counts the citations.
    const bool whole = m_nCitations <= kMaxEntries;
    setText(whole ? tr("被引用 (%1)").arg(m_nLaws) : tr("被引用 (%1 处)").arg(m_nCitations));
    setToolTip(whole
                   ? tr("%1 部法规引用本法规 %2 处，新的在前").arg(m_nLaws).arg(m_nCitations)
                   : tr("本法规被引用 %1 处，列出最新的 %2 处").arg(m_nCitations).arg(kMaxEntries));
    setEnabled(!rows.empty());
    for (const CCitingRow& row : rows) {
        const QString article =
            QString::fromStdString(CCitationParser::ArticleLabel(row.m_nArticle));
        const QString cited = QString::fromStdString(CCitationParser::ArticleLabel(row.m_nCited));
        QString head = QString::fromStdString(row.m_strCitingDate) + QStringLiteral("　") +
                       Elided(row.m_strCitingTitle, kTitleChars);
        if (!article.isEmpty())
            head += QStringLiteral("　") + article;
        if (!cited.isEmpty())
            head += tr("（引%1）").arg(cited);
        // The sentence without the heading the row names already.
        QString sentence = QString::fromStdString(row.m_strSentence).simplified();
        if (!article.isEmpty() && sentence.startsWith(article))
            sentence = sentence.mid(article.size()).trimmed();
        auto* item = new QListWidgetItem(head + QStringLiteral("\n　") +
                                         (sentence.size() > kSentenceChars
                                              ? sentence.left(kSentenceChars - 1) + QChar(0x2026)
                                              : sentence));
        item->setToolTip(QStringLiteral("<b>") +
                         QString::fromStdString(row.m_strCitingTitle).toHtmlEscaped() +
                         QStringLiteral("</b> ") + article + QStringLiteral("<br>") +
                         QString::fromStdString(row.m_strSentence).toHtmlEscaped());
        item->setData(kLawRole, row.m_nLawId);
        item->setData(kArticleRole, row.m_nArticle);
        item->setData(kTextRole, QString::fromStdString(row.m_strText));
        m_pList->addItem(item);
    }
    if (m_nCitations > static_cast<int>(rows.size())) {
        auto* more = new QListWidgetItem(
            tr("……另有 %1 处").arg(m_nCitations - static_cast<int>(rows.size())));
        more->setFlags(Qt::NoItemFlags);
        m_pList->addItem(more);
    }
}

void CCitedByButton::OnItem(QListWidgetItem* item) {
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    m_pMenu->hide();
    // Opened from the event loop: the law shown next fills the list again, which must not
    // happen while the list is still handling the click on one of its rows.
    const int lawid = item->data(kLawRole).toInt();
    const int article = item->data(kArticleRole).toInt();
    const QString text = item->data(kTextRole).toString();
    QMetaObject::invokeMethod(
        m_pView,
        [view = m_pView, lawid, article, text] { emit view->openLawAt(lawid, article, text); },
        Qt::QueuedConnection);
}

void CCitedByButton::Activate(int row) {
    OnItem(m_pList->item(row));
}
