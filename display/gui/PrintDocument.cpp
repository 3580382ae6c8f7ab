#include "display/gui/PrintDocument.h"

#include "display/HtmlText.h"
#include "display/ViewHtml.h"
#include "display/gui/LocalImageHandler.h"
#include "display/gui/PageDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextFrame>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace {

// Margins of the text on the paper, as Qt's own printing has them.
constexpr double kMarginInches = 2 / 2.54;
// Steps of the layout reported as progress, besides one per part parsed.
constexpr int kLayoutSteps = 8;

// True when the part begins with a tag that starts a block of its own: pasted after the part
// before it, it must not run on in that part's last line.
bool StartsBlock(std::string_view part) {
    if (part.empty() || part.front() != '<')
        return false;
    const size_t end = CHtmlText::MarkupEnd(part, 0);
    for (const char* tag : {"p", "div", "table", "h1", "h2", "h3", "h4", "h5", "h6", "ul", "ol",
                            "li", "pre", "blockquote", "hr", "center", "dl", "dt", "dd"})
        if (CHtmlText::IsTag(part, 0, end, tag))
            return true;
    return false;
}

} // namespace

CPrintDocument::CPaper CPrintDocument::CPaper::Of(QPagedPaintDevice* printer) {
    const QMarginsF margins = printer->pageLayout().margins(QPageLayout::Millimeter);
    if (margins.left() == 0 && margins.right() == 0 && margins.top() == 0 && margins.bottom() == 0)
        printer->setPageMargins(QMarginsF(2, 2, 2, 2), QPageLayout::Millimeter);
    CPaper paper;
    paper.m_nDpiX = printer->logicalDpiX();
    paper.m_nDpiY = printer->logicalDpiY();
    paper.m_page = QSizeF(printer->width(), printer->height());
    return paper;
}

CPrintDocument::CPrintDocument() {
    setUndoRedoEnabled(false);
}

std::unique_ptr<CPrintDocument> CPrintDocument::Build(const std::string& bodyHtml,
                                                      const QString& title, const QFont& font,
                                                      const CPaper& paper,
                                                      const Progress& progress) {
    const std::string prepared = CViewHtml::Prepare(bodyHtml);
    std::vector<size_t> starts = CViewHtml::PartStarts(prepared, kPartBytes);
    if (starts.empty())
        starts.push_back(0);
    const int parts = static_cast<int>(starts.size());
    const int total = parts + kLayoutSteps;
    const QString head = "<html><head><title>" + title.toHtmlEscaped() + "</title></head><body>";
    const QString tail = QStringLiteral("</body></html>");

    std::unique_ptr<CPrintDocument> doc(new CPrintDocument);
    doc->setDefaultFont(font);
    // The content goes in before the document has a layout: a layout would be redone at every
    // part added.
    QTextCursor end(doc.get());
    for (int i = 0; i < parts; ++i) {
        if (progress && !progress(i, total))
            return nullptr;
        const size_t begin = starts[static_cast<size_t>(i)];
        const size_t stop = i + 1 < parts ? starts[static_cast<size_t>(i) + 1] : prepared.size();
        const std::string_view part(prepared.data() + begin, stop - begin);
        const QString html =
            head + QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size())) + tail;
        if (i == 0) {
            doc->setHtml(html);
            CPageDocument::SplitLines(doc.get());
            continue;
        }
        CLocalDocument piece;
        piece.setUndoRedoEnabled(false);
        piece.setDefaultFont(font);
        piece.setHtml(html);
        CPageDocument::SplitLines(&piece);
        end.movePosition(QTextCursor::End);
        if (StartsBlock(part))
            end.insertBlock();
        end.insertFragment(QTextDocumentFragment(&piece));
    }
    doc->setMetaInformation(QTextDocument::DocumentTitle, title);
    // Images are drawn from the program's own resources only.
    doc->documentLayout()->registerHandler(QTextFormat::ImageObject,
                                           new CLocalImageHandler(doc.get()));
    if (!doc->LayOut(paper, progress, parts, total))
        return nullptr;
    return doc;
}

void CPrintDocument::LayOut(const CPaper& paper) {
    LayOut(paper, {}, 0, 0);
}

bool CPrintDocument::LayOut(const CPaper& paper, const Progress& progress, int done, int total) {
    m_paper = paper;
    m_metrics = QImage(1, 1, QImage::Format_RGB32);
    m_metrics.setDotsPerMeterX(static_cast<int>(std::lround(paper.m_nDpiX / 0.0254)));
    m_metrics.setDotsPerMeterY(static_cast<int>(std::lround(paper.m_nDpiY / 0.0254)));
    m_margins = QPointF(kMarginInches * paper.m_nDpiX, kMarginInches * paper.m_nDpiY);
    // The text runs between the margins, a page at a time; the margins are left out of the
    // document and added when a page is painted.
    QTextFrameFormat frame = rootFrame()->frameFormat();
    frame.setMargin(0);
    frame.setPadding(0);
    rootFrame()->setFrameFormat(frame);
    QAbstractTextDocumentLayout* layout = documentLayout();
    layout->setPaintDevice(&m_metrics);
    setPageSize(QSizeF(std::max(1.0, paper.m_page.width() - 2 * m_margins.x()),
                       std::max(1.0, paper.m_page.height() - 2 * m_margins.y())));
    // The layout is made a stretch at a time, so that progress can be told and a stop heard.
    const int steps = total - done;
    const int length = characterCount();
    for (int step = 1; step < steps; ++step) {
        if (progress && !progress(done + step - 1, total))
            return false;
        const QTextBlock block = findBlock(std::max(0, length * step / steps - 1));
        if (block.isValid())
            layout->blockBoundingRect(block);
    }
    if (progress && !progress(total - 1, total))
        return false;
    pageCount();
    if (progress)
        progress(total, total);
    return true;
}

int CPrintDocument::Pages() const {
    return pageCount();
}

std::pair<int, int> CPrintDocument::PageRange(QPagedPaintDevice* printer) const {
    const QPageRanges ranges = printer->pageRanges();
    int first = ranges.firstPage();
    int last = ranges.lastPage();
    if (first == 0 && last == 0) {
        first = 1;
        last = Pages();
    }
    return {std::max(1, first), std::min(Pages(), last)};
}

void CPrintDocument::PaintPage(QPainter& painter, int index) const {
    const qreal height = pageSize().height();
    const QRectF view(0, (index - 1) * height, pageSize().width(), height);
    painter.save();
    painter.translate(m_margins.x(), m_margins.y() - view.top());
    painter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    // Black text on white paper, whatever the screen's palette.
    context.palette.setColor(QPalette::Text, Qt::black);
    documentLayout()->draw(&painter, context);
    painter.restore();

    painter.save();
    painter.setFont(defaultFont());
    const QString number = QString::number(index);
    const QFontMetrics metrics(defaultFont(), painter.device());
    painter.drawText(qRound(m_paper.m_page.width() - m_margins.x() -
                            painter.fontMetrics().horizontalAdvance(number)),
                     qRound(m_paper.m_page.height() - m_margins.y() + metrics.ascent() +
                            5.0 * m_paper.m_nDpiY / 72),
                     number);
    painter.restore();
}

bool CPrintDocument::PrintAll(QPagedPaintDevice* printer) {
    const CPaper paper = CPaper::Of(printer);
    if (!(paper == m_paper))
        LayOut(paper);
    const auto [first, last] = PageRange(printer);
    QPainter painter(printer);
    if (!painter.isActive())
        return false;
    for (int page = first; page <= last; ++page) {
        if (page > first && !printer->newPage())
            return false;
        PaintPage(painter, page);
    }
    return true;
}
