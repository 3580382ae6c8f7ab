#include "display/gui/ShowLawView.h"

#include "data/CitationParser.h"
#include "data/DbConnection.h"
#include "data/DocumentDatabase.h"
#include "display/CitationLinks.h"
#include "display/LawArticles.h"
#include "display/LawPage.h"
#include "display/ViewHtml.h"
#include "display/gui/FindBar.h"
#include "display/gui/LocalImageHandler.h"
#include "display/gui/PageDocument.h"
#include "display/gui/PrintDocument.h"
#include "display/gui/PrintRun.h"
#include "ground/EditionConfig.h"
#include "ground/TextUtil.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTextBlock>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr int kMinZoom = -6;
constexpr int kMaxZoom = 16;
// Characters per line beyond which a wide window gets wider margins instead of longer lines.
constexpr int kReadableChars = 42;
constexpr const char* kDarkSearchColor = "#8CB4FF";
constexpr const char* kDarkFindColor = "#FF8A7A";
// Citations of laws the collection lacks, on a dark page.
constexpr const char* kDarkMissingColor = "#D9B77E";
// The links of the version list in the page's header.
constexpr const char* kVersionScheme = "tolvarin-version";
constexpr const char* kCompareScheme = "tolvarin-compare";

// A file name made of the title: characters that a file system or a shell would take for
// something else become '_'.
QString FileNameFor(const std::string& title) {
    QString name = QString::fromStdString(title).simplified();
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = '_';
    if (name.isEmpty() || name.startsWith('.'))
        name.prepend(QStringLiteral("law"));
    return name.left(120) + QStringLiteral(".pdf");
}

} // namespace

CShowLawView::CShowLawView(CDocumentDatabase* doc, QWidget* parent)
    : CMoreHtmlView(parent), m_pDoc(doc) {
    // Caret browsing: the keyboard moves a caret and selects text, so one article can be
    // copied without the mouse.
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    // The margins beside the text have the page's colour.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    connect(this, &QTextBrowser::anchorClicked, this, &CShowLawView::OnVersionAnchor);
    m_nBasePointSize = font().pointSize() > 0 ? font().pointSize() : 10;
    m_nZoom = std::clamp(QSettings().value(QLatin1String(kZoomKey), 0).toInt(), kMinZoom, kMaxZoom);
    m_pFindBar = new CFindBar(this, this);
    m_pFindBar->installEventFilter(this);
    ApplyZoom();
    connect(this, &QTextBrowser::anchorClicked, this, &CShowLawView::OnCitation);
}

QUrl CShowLawView::BlankPageUrl() {
    return QUrl(QStringLiteral("qrc:/html/145.html"));
}

void CShowLawView::OnInitialUpdate() {
    m_bPageRequested = true;
    Navigate2(BlankPageUrl());
}

bool CShowLawView::ShowLaw(int lawid, bool atFirstSearchWord) {
    if (lawid == 0 || !m_pDoc)
        return false;
    CLawFields law;
    if (!CLawPage::Load(m_pDoc->GetDatabase(), theEditionConfig.GetLawTable(), lawid, law))
        return false;
    // Citations become links to the laws cited, at the article cited.
    m_strShownBody = law.m_strBody;
    law.m_strBody = CCitationLinks::Insert(
        law.m_strBody, lawid, law.m_strDatum, m_pDoc->GetDatabase().GetConnectionHandle(),
        theEditionConfig.GetLawTable(), tr("本法规库未收录此法规").toStdString());
    size_t found = 0;
    const std::vector<std::string>& findWords = theEditionConfig.GetFindWords();
    const std::vector<std::string>& searchWords = theEditionConfig.GetSearchWords();
    std::string page =
        CLawPage::Render(law, theEditionConfig.GetPageTemplate(), searchWords, findWords, &found);
    if (!HasDocument())
        return false;
    m_vVersions =
        CLawVersions::Find(m_pDoc->GetDatabase(), theEditionConfig.GetLawTable(), law.m_strTopic);
    if (m_vVersions.size() < 2)
        m_vVersions.clear();
    const bool same = lawid == m_nShownLawId && theEditionConfig.GetEdition() == m_nShownEdition;
    if (same)
        KeepScrollOnNextPage();
    const bool anyFind = std::any_of(findWords.begin(), findWords.end(),
                                     [](const std::string& w) { return !w.empty(); });
    const bool anySearch = std::any_of(searchWords.begin(), searchWords.end(),
                                       [](const std::string& w) { return !w.empty(); });
    m_nScrollOnShow = anyFind ? 2 : (!same && atFirstSearchWord && anySearch ? 1 : 0);
    m_nShownLawId = lawid;
    m_nShownEdition = theEditionConfig.GetEdition();
    m_strShownTitle = law.m_strTopic;
    m_nFindCount = static_cast<int>(found);
    m_nCurrentMark = -1;
    m_strPendingArticle.clear();
    return SetBodyHtml(VersionsHtml() + page);
}

std::string CShowLawView::VersionsHtml() const {
    if (m_vVersions.empty())
        return {};
    // One line above the page: every version by date, the one shown in bold, the others
    // links; "对照" beside each older one compares it with the one shown (or, on an older
    // one, with the one in force).
    QString html = QStringLiteral("<p>") + tr("版本：").toHtmlEscaped();
    for (size_t i = 0; i < m_vVersions.size(); ++i) {
        const CLawVersion& version = m_vVersions[i];
        const QString date = version.m_strDatum.empty()
                                 ? tr("日期不详")
                                 : QString::fromStdString(version.m_strDatum);
        const QString label = date + ' ' + (i == 0 ? tr("现行") : tr("历史版本"));
        if (i > 0)
            html += QStringLiteral("　");
        if (version.m_nLawId == m_nShownLawId)
            html += QStringLiteral("<b>") + label.toHtmlEscaped() + QStringLiteral("</b>");
        else
            html += QStringLiteral("<a href=\"%1:%2\">%3</a>")
                        .arg(QLatin1String(kVersionScheme))
                        .arg(version.m_nLawId)
                        .arg(label.toHtmlEscaped());
        const int newer =
            i == 0 ? 0
                   : (version.m_nLawId == m_nShownLawId ? m_vVersions[0].m_nLawId : m_nShownLawId);
        if (newer != 0 && newer != version.m_nLawId &&
            !CLawVersions::IsHistorical(m_vVersions, newer))
            html += QStringLiteral(" [<a href=\"%1:%2:%3\">%4</a>]")
                        .arg(QLatin1String(kCompareScheme))
                        .arg(version.m_nLawId)
                        .arg(newer)
                        .arg(tr("对照").toHtmlEscaped());
    }
    html += QStringLiteral("</p>");
    return html.toStdString();
}

void CShowLawView::OnVersionAnchor(const QUrl& url) {
    const QStringList parts = url.path().split(QLatin1Char(':'));
    if (url.scheme() == QLatin1String(kVersionScheme) && parts.size() == 1) {
        if (const int lawid = parts[0].toInt(); lawid > 0)
            emit versionRequested(lawid);
    } else if (url.scheme() == QLatin1String(kCompareScheme) && parts.size() == 2) {
        const int older = parts[0].toInt();
        const int newer = parts[1].toInt();
        if (older > 0 && newer > 0)
            emit compareRequested(older, newer);
    }
}

std::string CShowLawView::ArticleCitation(std::string* heading) const {
    // The page's text as lines, and the caret and selection in it as byte offsets.
    const QString text = document()->toPlainText();
    const QTextCursor cursor = textCursor();
    auto bytes = [&text](int position) {
        return static_cast<size_t>(text.left(position).toUtf8().size());
    };
    const std::string plain = text.toStdString();
    CLawUnit first, last;
    if (!CLawArticles::ArticlesBetween(plain, bytes(cursor.selectionStart()),
                                       bytes(cursor.selectionEnd()), first, last))
        return {};
    // Cited in Chinese numerals, however the law writes its headings.
    auto named = [](const CLawUnit& unit) {
        return unit.m_nNumber > 0 ? CLawArticles::ArticleHeading(unit.m_nNumber)
                                  : unit.m_strHeading;
    };
    if (heading)
        *heading = named(first);
    const std::string_view all(plain);
    std::string out = CLawArticles::Citation(
        m_strShownTitle, named(first), all.substr(first.m_nBegin, first.m_nEnd - first.m_nBegin));
    if (last.m_nBegin > first.m_nBegin) {
        // Each further article the selection runs over, with its own heading line.
        for (const CLawUnit& unit :
             CLawArticles::Split(all.substr(first.m_nEnd, last.m_nEnd - first.m_nEnd))) {
            if (unit.m_nKind != CLawUnit::Article)
                continue;
            const std::string_view piece =
                all.substr(first.m_nEnd + unit.m_nBegin, unit.m_nEnd - unit.m_nBegin);
            const std::string cited = CLawArticles::Citation({}, named(unit), piece);
            // Without the empty title's brackets: the heading and the text.
            out += '\n' + cited.substr(std::string_view("《》").size());
        }
    }
    return out;
}

bool CShowLawView::GoToArticle(const std::string& heading) {
    if (IsLoading()) {
        m_strPendingArticle = heading;
        return true;
    }
    return ScrollToArticle(heading);
}

bool CShowLawView::ScrollToArticle(const std::string& heading) {
    int wantKind = -1;
    int wantNumber = 0;
    if (CLawArticles::HeadingOf(heading, &wantKind, &wantNumber).empty())
        return false;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QChar first = document()->characterAt(block.position());
        if (first != QChar(0x7B2C) && !first.isSpace() && first != QChar(0x3000))
            continue;
        // By number: "第十条" finds a heading written "第10条" too.
        int kind = -1;
        int number = 0;
        const std::string found =
            CLawArticles::HeadingOf(block.text().left(40).toStdString(), &kind, &number);
        if (found.empty() || kind != wantKind ||
            (wantNumber > 0 ? number != wantNumber : found != heading))
            continue;
        QTextCursor cursor(document());
        cursor.setPosition(block.position());
        setTextCursor(cursor);
        ScrollToPosition(block.position());
        return true;
    }
    return false;
}

void CShowLawView::OnPageShown() {
    if (const std::string article = std::exchange(m_strPendingArticle, {}); !article.empty())
        ScrollToArticle(article);
    const int what = std::exchange(m_nScrollOnShow, 0);
    const int article = std::exchange(m_nPendingArticle, -1);
    if (article >= 0 && ScrollToArticle(article, std::exchange(m_strPendingText, {})))
        return;
    if (what != 0)
        ScrollToFirstMark(what == 2);
}

void CShowLawView::ScrollToArticleOnShow(int articleKey, const QString& text) {
    m_nPendingArticle = articleKey;
    m_strPendingText = text;
}

bool CShowLawView::ScrollToArticle(int articleKey, const QString& text) {
    int from = -1;
    if (articleKey > 0) {
        const QString label = QString::fromStdString(CCitationParser::ArticleLabel(articleKey));
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            const QString line = block.text().left(label.size() + 8).trimmed();
            // "第十条" is not the heading "第十条之一".
            if (line.startsWith(label) && !line.mid(label.size()).startsWith(QChar(0x4E4B))) {
                from = block.position();
                break;
            }
        }
    }
    if (!text.isEmpty()) {
        const QTextCursor found = document()->find(text, std::max(0, from));
        if (!found.isNull()) {
            SelectMark({found.selectionStart(), found.selectionEnd()});
            return true;
        }
    }
    if (from < 0)
        return false;
    ScrollToPosition(from);
    QTextCursor cursor(document());
    cursor.setPosition(from);
    setTextCursor(cursor);
    return true;
}

bool CShowLawView::ReadLaw(int lawid, std::string& title, std::string& body) const {
    sqlite3* db = m_pDoc ? m_pDoc->GetDatabase().GetConnectionHandle() : nullptr;
    if (!db)
        return false;
    sqlite3_stmt* stmt = nullptr;
    const std::string sql =
        std::string("SELECT topic,body FROM ") + theEditionConfig.GetLawTable() + " WHERE lawid=?1";
    bool ok = false;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_int(stmt, 1, lawid);
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            auto text = [&](int i) {
                const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, i));
                return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt, i)))
                         : std::string();
            };
            title = text(0);
            body = text(1);
            ok = true;
        }
    }
    sqlite3_finalize(stmt);
    return ok;
}

QString CShowLawView::CitationTip(const QString& href) const {
    std::vector<int> lawids;
    int article = 0;
    if (!CCitationLinks::ParseHref(href.toStdString(), lawids, article))
        return {};
    QString tip;
    for (int lawid : lawids) {
        std::string title, body;
        if (lawid == m_nShownLawId) {
            title = m_strShownTitle;
            body = m_strShownBody;
        } else if (!ReadLaw(lawid, title, body)) {
            continue;
        }
        std::string text = CCitationParser::ArticleText(body, article);
        if (text.empty() && article)
            text = tr("（未找到%1）")
                       .arg(QString::fromStdString(CCitationParser::ArticleLabel(article)))
                       .toStdString();
        if (!tip.isEmpty())
            tip += QStringLiteral("<hr>");
        tip += QStringLiteral("<b>") + QString::fromStdString(title).toHtmlEscaped() +
               QStringLiteral("</b><br>") +
               QString::fromStdString(text).toHtmlEscaped().replace(
                   QRegularExpression(QStringLiteral("\\n+")), QStringLiteral("<br>"));
    }
    if (lawids.size() > 1)
        tip += QStringLiteral("<hr>") + tr("这个简称指两部法规，点击选择其一。");
    return tip.isEmpty()
               ? tip
               : QStringLiteral("<div style=\"max-width:32em\">") + tip + QStringLiteral("</div>");
}

bool CShowLawView::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString href = anchorAt(help->pos());
        if (href.startsWith(QLatin1String(CCitationLinks::kScheme))) {
            const QString tip = CitationTip(href);
            if (!tip.isEmpty()) {
                QToolTip::showText(help->globalPos(), tip, viewport());
                return true;
            }
        }
        const QString own = cursorForPosition(help->pos()).charFormat().toolTip();
        if (!own.isEmpty()) {
            QToolTip::showText(help->globalPos(), own, viewport());
            return true;
        }
        QToolTip::hideText();
        e->ignore();
        return true;
    }
    return CMoreHtmlView::viewportEvent(e);
}

void CShowLawView::OnCitation(const QUrl& url) {
    std::vector<int> lawids;
    int article = 0;
    if (!CCitationLinks::ParseHref(url.toString().toStdString(), lawids, article))
        return;
    int chosen = lawids.front();
    if (lawids.size() > 1) {
        // A short title two laws share: the reader chooses.
        QMenu menu(this);
        for (int lawid : lawids) {
            std::string title, body;
            if (ReadLaw(lawid, title, body))
                menu.addAction(QString::fromStdString(title))->setData(lawid);
        }
        const QAction* picked = menu.exec(QCursor::pos());
        if (!picked)
            return;
        chosen = picked->data().toInt();
    }
    emit openLawAt(chosen, article, {});
}

std::vector<CShowLawView::CMark> CShowLawView::CollectMarks(bool find) const {
    const QColor want = MarkColor(find, IsDarkPalette());
    std::vector<CMark> marks;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() ||
                fragment.charFormat().foreground().color().rgb() != want.rgb())
                continue;
            const int start = fragment.position();
            const int end = start + fragment.length();
            if (!marks.empty() && marks.back().m_nEnd == start)
                marks.back().m_nEnd = end;
            else
                marks.push_back({start, end});
        }
    }
    return marks;
}

void CShowLawView::SelectMark(const CMark& mark) {
    SelectRange(mark.m_nStart, mark.m_nEnd);
}

void CShowLawView::SelectRange(int start, int end) {
    QTextCursor cursor(document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    // The mark a third of the way down, with text around it.
    ScrollToPosition(start);
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(std::max(0, bar->value() - viewport()->height() / 3));
    ensureCursorVisible();
}

bool CShowLawView::ScrollToFirstMark(bool find) {
    const std::vector<CMark> marks = CollectMarks(find);
    if (marks.empty())
        return false;
    if (find)
        m_nCurrentMark = 0;
    SelectMark(marks.front());
    return true;
}

bool CShowLawView::FindNext(bool backward) {
    const std::vector<CMark> marks = CollectMarks(true);
    if (marks.empty())
        return false;
    const int count = static_cast<int>(marks.size());
    if (m_nCurrentMark < 0 || m_nCurrentMark >= count)
        m_nCurrentMark = backward ? count - 1 : 0;
    else
        m_nCurrentMark = (m_nCurrentMark + (backward ? count - 1 : 1)) % count;
    SelectMark(marks[static_cast<size_t>(m_nCurrentMark)]);
    return true;
}

QColor CShowLawView::MarkColor(bool find, bool dark) {
    if (dark)
        return QColor(QLatin1String(find ? kDarkFindColor : kDarkSearchColor));
    return QColor(QLatin1String(find ? CLawPage::kFindColor : CLawPage::kSearchColor));
}

bool CShowLawView::IsDarkPalette() const {
    return palette().color(QPalette::Base).lightness() < 128;
}

std::string CShowLawView::AdaptBody(const std::string& html) const {
    if (!IsDarkPalette())
        return html;
    // The marks' colours are dark blue and red, hard to read on a dark page: lighter ones.
    std::string out = html;
    ReplaceAll(out, std::string("<font color=") + CLawPage::kSearchColor + ">",
               std::string("<font color=") + kDarkSearchColor + ">");
    ReplaceAll(out, std::string("<font color=") + CLawPage::kFindColor + ">",
               std::string("<font color=") + kDarkFindColor + ">");
    ReplaceAll(out, std::string("style=\"color:") + CCitationLinks::kMissingColor + "\"",
               std::string("style=\"color:") + kDarkMissingColor + "\"");
    return out;
}

void CShowLawView::changeEvent(QEvent* e) {
    CMoreHtmlView::changeEvent(e);
    if (e->type() == QEvent::PaletteChange && HasDocument() && !GetBodyHtml().empty()) {
        KeepScrollOnNextPage();
        SetBodyHtml(GetBodyHtml());
    }
}

void CShowLawView::ZoomBy(int steps) {
    m_nZoom = std::clamp(m_nZoom + steps, kMinZoom, kMaxZoom);
    ApplyZoom();
}

void CShowLawView::ZoomReset() {
    m_nZoom = 0;
    ApplyZoom();
}

void CShowLawView::ApplyZoom() {
    const int top = HasDocument() ? TopPosition() : 0;
    QFont f = font();
    f.setPointSize(std::max(4, m_nBasePointSize + m_nZoom));
    setFont(f);
    document()->setDefaultFont(f);
    QSettings().setValue(QLatin1String(kZoomKey), m_nZoom);
    UpdateMargins();
    if (top > 0)
        ScrollToPosition(top);
}

int CShowLawView::ReadableWidth() const {
    return fontMetrics().horizontalAdvance(QChar(0x4E2D)) * kReadableChars;
}

void CShowLawView::UpdateMargins() {
    // The page keeps a twentieth of the width free at each side, as the template's 90% table
    // did, and on a wide window the lines stop at a readable length.
    const int width = viewport()->width() + viewportMargins().left() + viewportMargins().right();
    int side = width / 20;
    if (width - 2 * side > ReadableWidth())
        side = (width - ReadableWidth()) / 2;
    // The find bar, when open, stands below the text rather than over it.
    const int bottom = m_pFindBar && !m_pFindBar->isHidden() ? m_pFindBar->sizeHint().height() : 0;
    if (viewportMargins().left() != side || viewportMargins().right() != side ||
        viewportMargins().bottom() != bottom)
        setViewportMargins(side, 0, side, bottom);
    PlaceFindBar();
}

void CShowLawView::PlaceFindBar() {
    if (!m_pFindBar || m_pFindBar->isHidden())
        return;
    const QRect area = contentsRect();
    const int scrollBar = verticalScrollBar()->isVisible() ? verticalScrollBar()->width() : 0;
    const int height = m_pFindBar->sizeHint().height();
    m_pFindBar->setGeometry(area.left(), area.bottom() + 1 - height, area.width() - scrollBar,
                            height);
}

void CShowLawView::resizeEvent(QResizeEvent* e) {
    CMoreHtmlView::resizeEvent(e);
    UpdateMargins();
}

bool CShowLawView::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_pFindBar && (e->type() == QEvent::Show || e->type() == QEvent::Hide))
        UpdateMargins();
    return CMoreHtmlView::eventFilter(watched, e);
}

void CShowLawView::keyPressEvent(QKeyEvent* e) {
    // Esc on the page closes an open find bar as it does in the bar.
    if (e->key() == Qt::Key_Escape && m_pFindBar && !m_pFindBar->isHidden()) {
        m_pFindBar->Close();
        return;
    }
    CMoreHtmlView::keyPressEvent(e);
}

void CShowLawView::OnFilePrint() {
    if (m_pPrintRun)
        return;
    QPrintDialog dialog(&m_printer, this);
    dialog.setWindowTitle(tr("打印"));
    if (dialog.exec() == QDialog::Accepted)
        StartPrintRun(&m_printer, CPrintRun::Print);
}

void CShowLawView::OnPrintPreview() {
    if (!m_pPrintRun)
        StartPrintRun(&m_printer, CPrintRun::Preview);
}

void CShowLawView::OnExportPdf() {
    if (m_pPrintRun)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString file = QFileDialog::getSaveFileName(this, tr("另存为 PDF"),
                                                      folder + '/' + FileNameFor(m_strShownTitle),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (!file.isEmpty())
        ExportPdfTo(file);
}

void CShowLawView::ExportPdfTo(const QString& file) {
    if (m_pPrintRun)
        return;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    QPrinter* target = printer.get();
    StartPrintRun(target, CPrintRun::Print, std::move(printer));
}

void CShowLawView::StartPrintRun(QPrinter* printer, int mode, std::unique_ptr<QPrinter> owned) {
    // The whole law, never only the part on screen; the marks in their colours for paper.
    m_pPrintRun = new CPrintRun(this, GetBodyHtml(), QString::fromStdString(m_strShownTitle),
                                printer, static_cast<CPrintRun::Mode>(mode), std::move(owned));
    // The run deletes itself later; another may start as soon as this one has ended.
    connect(m_pPrintRun, &CPrintRun::finished, this, [this](bool ok) {
        m_pPrintRun = nullptr;
        emit printFinished(ok);
    });
    m_pPrintRun->Start();
}

void CShowLawView::PrintTo(QPrinter* printer) {
    PrintBodyHtml(GetBodyHtml(), QString::fromStdString(m_strShownTitle), printer);
}

void CShowLawView::PrintBodyHtml(const std::string& bodyHtml, const QString& title,
                                 QPagedPaintDevice* printer) {
    // A copy of its own, off screen and laid out for the paper, never the view's document.
    if (!title.isEmpty()) {
        if (auto* paper = dynamic_cast<QPrinter*>(printer))
            paper->setDocName(title);
        else if (auto* pdf = dynamic_cast<QPdfWriter*>(printer))
            pdf->setTitle(title);
    }
    const std::unique_ptr<CPrintDocument> doc = CPrintDocument::Build(
        bodyHtml, title, QApplication::font(), CPrintDocument::CPaper::Of(printer));
    doc->PrintAll(printer);
}
