#include "display/gui/MoreHtmlView.h"

#include "display/gui/LocalDocument.h"
#include "display/gui/LocalImageHandler.h"
#include "display/gui/ProgramResources.h"

#include "display/ViewHtml.h"
#include "display/gui/PageDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTextBlock>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

// Carries a document parsed on a worker thread to the view; the view is cleared from the
// channel when it goes, so that a late document is dropped.
struct CMoreHtmlView::CBuildChannel {
    std::mutex m_lock;
    QObject* m_pTarget = nullptr;
};

namespace {

class CPageReadyEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const int type = QEvent::registerEventType();
        return static_cast<QEvent::Type>(type);
    }
    CPageReadyEvent(unsigned serial, QTextDocument* doc)
        : QEvent(EventType()), m_nSerial(serial), m_pDoc(doc) {}
    ~CPageReadyEvent() override { delete m_pDoc; }
    QTextDocument* Take() { return std::exchange(m_pDoc, nullptr); }
    unsigned m_nSerial;

private:
    QTextDocument* m_pDoc;
};

std::atomic<int> theRunningParsers{0};

// How much of a long page is shown while the whole is parsed.
constexpr size_t kFirstPartBytes = 64u << 10;

// The beginning of a page, cut where markup begins.
std::string FirstPart(const std::string& html) {
    const size_t at = CViewHtml::MarkupStartFrom(html, kFirstPartBytes);
    return at == std::string::npos ? html : html.substr(0, at);
}

constexpr const char* kPartScheme = "tolvarin-part";

} // namespace

CMoreHtmlView::CMoreHtmlView(QWidget* parent) : QTextBrowser(parent) {
    InitProgramResources();
    setDocument(new CLocalDocument(this));
    m_pImageHandler = new CLocalImageHandler(this);
    InstallImageHandler();
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    // A scroll bar that comes and goes changes the page's width, and a long law would be laid
    // out twice: once without it and once again with it.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(this, &QTextBrowser::anchorClicked, this, &CMoreHtmlView::OnAnchor);
}

CMoreHtmlView::~CMoreHtmlView() {
    if (m_pChannel) {
        std::lock_guard lock(m_pChannel->m_lock);
        m_pChannel->m_pTarget = nullptr;
    }
}

QVariant CMoreHtmlView::loadResource(int type, const QUrl& name) {
    if (!CLocalDocument::IsOwnResource(name))
        return {};
    return QTextBrowser::loadResource(type, name);
}

void CMoreHtmlView::InstallImageHandler() {
    document()->documentLayout()->registerHandler(QTextFormat::ImageObject, m_pImageHandler);
}

void CMoreHtmlView::Navigate2(const QUrl& url) {
    // The page arrives later, as a browser's navigation does.
    QTimer::singleShot(0, this, [this, url] { LoadPage(url); });
}

void CMoreHtmlView::LoadPage(const QUrl& url) {
    if (!CLocalDocument::IsOwnResource(url))
        return;
    QFile file(':' + url.path());
    if (!file.open(QIODevice::ReadOnly))
        return;
    InstallImageHandler();
    document()->setHtml(QString::fromUtf8(file.readAll()));
    m_bLoaded = true;
    OnDownloadComplete();
    OnDocumentComplete(url);
}

void CMoreHtmlView::OnDocumentComplete(const QUrl& url) {
    if (m_bPageRequested) {
        m_pHtmlDocument = m_bLoaded ? document() : nullptr;
        if (m_pHtmlDocument)
            ApplyDocumentSettings();
    }
    emit documentComplete(url);
}

void CMoreHtmlView::OnDownloadComplete() {
    if (m_bPageRequested && m_pHtmlDocument)
        ApplyDocumentSettings();
}

bool CMoreHtmlView::SetBodyHtml(const std::string& html) {
    if (!m_pHtmlDocument)
        return false;
    m_strBodyHtml = html;
    m_bPrepared = false;
    // The same text with other marks stays on the part the reader is in.
    if (!m_bKeepScroll)
        m_nPart = 0;
    Render();
    return true;
}

void CMoreHtmlView::ShowPart(int index) {
    if (index < 0 || index >= PartCount() || !m_pHtmlDocument)
        return;
    m_nPart = index;
    Render();
}

std::string CMoreHtmlView::ShownBodyHtml() const {
    if (!m_bPrepared || m_vPartStarts.empty())
        return m_strBodyHtml;
    const size_t begin = m_vPartStarts[static_cast<size_t>(m_nPart)];
    const size_t end = static_cast<size_t>(m_nPart + 1) < m_vPartStarts.size()
                           ? m_vPartStarts[static_cast<size_t>(m_nPart + 1)]
                           : m_strPrepared.size();
    return m_strPrepared.substr(begin, end - begin);
}

void CMoreHtmlView::OnAnchor(const QUrl& url) {
    if (url.scheme() == QLatin1String(kPartScheme))
        ShowPart(url.path().toInt() - 1);
}

void CMoreHtmlView::SetTitle(const std::string* title) {
    if (title)
        m_strTitle = *title;
    if (m_pHtmlDocument)
        m_pHtmlDocument->setMetaInformation(QTextDocument::DocumentTitle,
                                            QString::fromStdString(m_strTitle));
}

void CMoreHtmlView::SetCharset(const std::string* charset) {
    // Text is UTF-8 throughout; the character set is kept for the page only.
    if (charset)
        m_strCharset = *charset;
}

void CMoreHtmlView::SetScript(const std::string* script) {
    // Stored only: the page never runs a script.
    if (script)
        m_strScript = *script;
}

void CMoreHtmlView::SetBodyAttribute(const std::string& name, const std::string& value) {
    if (!name.empty())
        m_listBodyAttributes.emplace_front(name, value);
    if (m_pHtmlDocument)
        Render();
}

void CMoreHtmlView::ApplyDocumentSettings() {
    SetTitle(nullptr);
    SetScript(nullptr);
    SetCharset(nullptr);
    SetBodyHtml(std::string());
    SetBodyAttribute(std::string(), std::string());
}

void CMoreHtmlView::Render() {
    QString attributes;
    for (const auto& [name, value] : m_listBodyAttributes) {
        const QString attrName = QString::fromStdString(name);
        bool plain = !attrName.isEmpty();
        for (QChar c : attrName)
            plain = plain && (c.isLetterOrNumber() || c == '-' || c == '_');
        if (plain)
            attributes +=
                ' ' + attrName + "=\"" + QString::fromStdString(value).toHtmlEscaped() + '"';
    }
    const QString title = QString::fromStdString(m_strTitle);
    const QString head =
        "<html><head><title>" + title.toHtmlEscaped() + "</title></head><body" + attributes + '>';
    const QString tail = QStringLiteral("</body></html>");
    const bool keepScroll = std::exchange(m_bKeepScroll, false);
    const int top = keepScroll ? TopPosition() : 0;
    const unsigned serial = ++m_nRenderSerial;
    if (!m_bPrepared) {
        m_strPrepared = CViewHtml::Prepare(AdaptBody(m_strBodyHtml));
        m_vPartStarts = CViewHtml::PartStarts(m_strPrepared, kPartBytes);
        m_bPrepared = true;
    }
    m_nPart = std::clamp(m_nPart, 0, std::max(0, PartCount() - 1));
    std::string body;
    if (m_vPartStarts.empty()) {
        body = m_strPrepared;
    } else {
        // A link to the other parts above and below the part shown.
        const int count = PartCount();
        QString links = QStringLiteral("<p align=\"center\">");
        if (m_nPart > 0)
            links += QStringLiteral("<a href=\"%1:%2\">%3</a>　")
                         .arg(QLatin1String(kPartScheme))
                         .arg(m_nPart)
                         .arg(tr("上一部分"));
        links += tr("全文过长，分 %1 部分显示：第 %2 部分").arg(count).arg(m_nPart + 1);
        if (m_nPart + 1 < count)
            links += QStringLiteral("　<a href=\"%1:%2\">%3</a>")
                         .arg(QLatin1String(kPartScheme))
                         .arg(m_nPart + 2)
                         .arg(tr("下一部分"));
        links += QStringLiteral("</p>");
        const std::string nav = links.toStdString();
        body = nav + ShownBodyHtml() + nav;
    }
    m_nPendingSerial = body.size() <= kBackgroundBytes ? 0 : serial;
    if (m_nPendingSerial == 0) {
        Install(CPageDocument::Build(head + QString::fromStdString(body) + tail, font(), title),
                keepScroll, top);
        return;
    }
    // A long page: its beginning now, the whole from a worker thread.
    Install(CPageDocument::Build(head + QString::fromStdString(FirstPart(body)) +
                                     QStringLiteral("<p>……</p>") + tail,
                                 font(), title),
            false, 0);
    if (!m_pChannel) {
        m_pChannel = std::make_shared<CBuildChannel>();
        m_pChannel->m_pTarget = this;
    }
    m_nPendingTop = top;
    m_bPendingKeep = keepScroll;
    QThread* gui = thread();
    ++theRunningParsers;
    std::thread([channel = m_pChannel, serial, gui, font = font(), title,
                 html = head + QString::fromStdString(body) + tail]() {
        QTextDocument* doc = CPageDocument::Build(html, font, title);
        doc->moveToThread(gui);
        {
            std::lock_guard lock(channel->m_lock);
            if (channel->m_pTarget)
                QCoreApplication::postEvent(channel->m_pTarget, new CPageReadyEvent(serial, doc));
            else
                delete doc;
        }
        --theRunningParsers;
    }).detach();
}

int CMoreHtmlView::RunningParsers() {
    return theRunningParsers.load();
}

bool CMoreHtmlView::event(QEvent* e) {
    if (e->type() == CPageReadyEvent::EventType()) {
        auto* ready = static_cast<CPageReadyEvent*>(e);
        if (ready->m_nSerial == m_nPendingSerial && m_nPendingSerial != 0) {
            m_nPendingSerial = 0;
            // Where the reader has scrolled to in the beginning stays in view.
            const int top = m_bPendingKeep ? m_nPendingTop : TopPosition();
            Install(ready->Take(), true, top);
        }
        return true;
    }
    return QTextBrowser::event(e);
}

void CMoreHtmlView::Install(QTextDocument* doc, bool keepScroll, int topPosition) {
    QTextDocument* old = document();
    // Marks laid over the text (the find bar's) belong to the old document, which goes: they
    // are dropped while it is still there.
    setExtraSelections({});
    doc->setParent(this);
    doc->setDefaultFont(font());
    setDocument(doc);
    if (m_pHtmlDocument)
        m_pHtmlDocument = doc;
    InstallImageHandler();
    if (old && old != doc && old->parent() == this)
        delete old;
    if (keepScroll)
        ScrollToPosition(topPosition);
    else
        verticalScrollBar()->setValue(0);
    if (m_nPendingSerial == 0) {
        OnPageShown();
        emit pageShown();
    }
}

int CMoreHtmlView::TopPosition() const {
    // A little below the edge: the edge itself may belong to the line above.
    return cursorForPosition(QPoint(0, 2)).position();
}

void CMoreHtmlView::ScrollToPosition(int position) {
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return;
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    QRectF rect = layout->blockBoundingRect(block);
    if (const QTextLayout* lines = block.layout(); lines && lines->lineCount() > 0) {
        const QTextLine line = lines->lineForTextPosition(position - block.position());
        if (line.isValid())
            rect.translate(0, line.y());
    }
    // The layout is lazy: make sure the scroll range reaches the block.
    QScrollBar* bar = verticalScrollBar();
    const int y = static_cast<int>(rect.top());
    if (bar->maximum() < y)
        bar->setRange(0, std::max(y, static_cast<int>(layout->documentSize().height()) -
                                         viewport()->height()));
    bar->setValue(y);
}

int CMoreHtmlView::LineTop(int position) const {
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return -1;
    QRectF rect = document()->documentLayout()->blockBoundingRect(block);
    if (const QTextLayout* lines = block.layout(); lines && lines->lineCount() > 0) {
        const QTextLine line = lines->lineForTextPosition(position - block.position());
        if (line.isValid())
            rect.translate(0, line.y());
    }
    return static_cast<int>(rect.top());
}

void CMoreHtmlView::JumpToPosition(int position) {
    ScrollToPosition(position);
    // The top of the line before: the end of the position's paragraph's line above, or the
    // last line of the paragraph before it.
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return;
    int above = -1;
    const QTextLayout* lines = block.layout();
    const int index =
        lines ? lines->lineForTextPosition(position - block.position()).lineNumber() : -1;
    if (index > 0) {
        above = LineTop(block.position() + lines->lineAt(index - 1).textStart());
    } else if (const QTextBlock previous = block.previous(); previous.isValid()) {
        const QTextLayout* previousLines = previous.layout();
        const int last = previousLines ? previousLines->lineCount() - 1 : -1;
        above = LineTop(previous.position() +
                        (last >= 0 ? previousLines->lineAt(last).textStart() : 0));
    }
    if (above >= 0)
        verticalScrollBar()->setValue(std::min(verticalScrollBar()->value(), above));
}

int CMoreHtmlView::ReadingPosition() const {
    // Below the top line, which a jump leaves as context, when the page is not at its start.
    const int line = QFontMetrics(document()->defaultFont()).lineSpacing();
    const int y = verticalScrollBar()->value() > 0 ? line * 3 / 2 : 2;
    return cursorForPosition(QPoint(0, y)).position();
}
