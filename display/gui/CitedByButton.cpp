#include "display/gui/CitedByButton.h"

#include "data/CitationParser.h"
#include "data/CitationTable.h"
#include "data/DbConnection.h"
#include "data/DocumentDatabase.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"

#include <QAction>
#include <QMenu>

#include <set>

namespace {

constexpr int kTitleChars = 28;
constexpr int kSentenceChars = 48;

QString Elided(const std::string& text, int chars) {
    const QString s = QString::fromStdString(text).simplified();
    return s.size() > chars ? s.left(chars - 1) + QChar(0x2026) : s;
}

} // namespace

CCitedByButton::CCitedByButton(CShowLawView* view, CDocumentDatabase* doc, QWidget* parent)
    : QToolButton(parent), m_pView(view), m_pDoc(doc), m_pMenu(new QMenu(this)) {
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_pMenu->setToolTipsVisible(true);
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
    m_pMenu->clear();
    m_nCitations = m_nLaws = 0;
    std::vector<CCitingRow> rows;
    const bool read = lawid != 0 && m_pDoc && m_pDoc->ConnectDatabase() &&
                      CCitationTable::CitedBy(m_pDoc->GetDatabase().GetConnectionHandle(),
                                              theEditionConfig.GetLawTable(), lawid, rows);
    std::set<int> laws;
    for (const CCitingRow& row : rows)
        laws.insert(row.m_nLawId);
    m_nCitations = static_cast<int>(rows.size());
    m_nLaws = static_cast<int>(laws.size());
    if (!read) {
        setText(tr("被引用"));
        setToolTip(lawid ? tr("法规间的引用尚未整理") : QString());
        setEnabled(false);
        return;
    }
    setText(tr("被引用 (%1)").arg(m_nLaws));
    setToolTip(tr("%1 部法规引用本法规 %2 处，新的在前").arg(m_nLaws).arg(m_nCitations));
    setEnabled(!rows.empty());
    int shown = 0;
    for (const CCitingRow& row : rows) {
        if (shown++ == kMaxEntries) {
            m_pMenu->addAction(tr("……另有 %1 处").arg(m_nCitations - kMaxEntries))
                ->setEnabled(false);
            break;
        }
        const QString article =
            QString::fromStdString(CCitationParser::ArticleLabel(row.m_nArticle));
        const QString cited = QString::fromStdString(CCitationParser::ArticleLabel(row.m_nCited));
        QString text = QString::fromStdString(row.m_strCitingDate) + QStringLiteral("　") +
                       Elided(row.m_strCitingTitle, kTitleChars);
        if (!article.isEmpty())
            text += QStringLiteral("　") + article;
        if (!cited.isEmpty())
            text += tr("（引%1）").arg(cited);
        text += QStringLiteral("：") + Elided(row.m_strSentence, kSentenceChars);
        // An ampersand would be taken for a mnemonic.
        text.replace('&', QStringLiteral("&&"));
        QAction* action = m_pMenu->addAction(text);
        action->setToolTip(QStringLiteral("<b>") +
                           QString::fromStdString(row.m_strCitingTitle).toHtmlEscaped() +
                           QStringLiteral("</b> ") + article + QStringLiteral("<br>") +
                           QString::fromStdString(row.m_strSentence).toHtmlEscaped());
        const int citing = row.m_nLawId;
        const int at = row.m_nArticle;
        const QString quoted = QString::fromStdString(row.m_strText);
        connect(action, &QAction::triggered, m_pView,
                [view = m_pView, citing, at, quoted] { emit view->openLawAt(citing, at, quoted); });
    }
}
