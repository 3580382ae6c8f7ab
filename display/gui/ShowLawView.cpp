#include "display/gui/ShowLawView.h"

#include "data/DocumentDatabase.h"
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
#include <QFileDialog>
#include <QKeyEvent>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTextBlock>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace {

constexpr int kMinZoom = -6;
constexpr int kMaxZoom = 16;
// Characters per line beyond which a wide window gets wider margins instead of longer lines.
constexpr int kReadableChars = 42;
constexpr const char* kDarkSearchColor = "#8CB4FF";
constexpr const char* kDarkFindColor = "#FF8A7A";

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
    m_nBasePointSize = font().pointSize() > 0 ? font().pointSize() : 10;
    m_nZoom = std::clamp(QSettings().value(QLatin1String(kZoomKey), 0).toInt(), kMinZoom, kMaxZoom);
    m_pFindBar = new CFindBar(this, this);
    m_pFindBar->installEventFilter(this);
    ApplyZoom();
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
    size_t found = 0;
    const std::vector<std::string>& findWords = theEditionConfig.GetFindWords();
    const std::vector<std::string>& searchWords = theEditionConfig.GetSearchWords();
    const std::string page =
        CLawPage::Render(law, theEditionConfig.GetPageTemplate(), searchWords, findWords, &found);
    if (!HasDocument())
        return false;
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
    return SetBodyHtml(page);
}

void CShowLawView::OnPageShown() {
    const int what = std::exchange(m_nScrollOnShow, 0);
    if (what != 0)
        ScrollToFirstMark(what == 2);
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
