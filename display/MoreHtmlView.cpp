#include "display/MoreHtmlView.h"

#include "display/LocalDocument.h"
#include "display/LocalImageHandler.h"
#include "display/ProgramResources.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QTimer>

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
    // The vertical scroll bar stays, as the browser control's did: a law longer than the
    // window is then laid out once, not again for the narrower width once the bar appears.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

CMoreHtmlView::~CMoreHtmlView() = default;

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
    Render();
    return true;
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
    InstallImageHandler();
    const QString html = "<html><head><title>" +
                         QString::fromStdString(m_strTitle).toHtmlEscaped() +
                         "</title></head><body" + attributes + '>' +
                         QString::fromStdString(m_strBodyHtml) + "</body></html>";
    document()->setHtml(html);
    document()->setMetaInformation(QTextDocument::DocumentTitle,
                                   QString::fromStdString(m_strTitle));
}
