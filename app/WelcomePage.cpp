#include "app/WelcomePage.h"

#include <QUrl>

CWelcomePage::CWelcomePage(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("WelcomePage"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &CWelcomePage::OnAnchor);
}

void CWelcomePage::SetContent(const Content& content) {
    m_content = content;
    setHtml(Html(content));
}

void CWelcomePage::OnAnchor(const QUrl& url) {
    const QString link = url.toString();
    if (link == QLatin1String(kOpenLink))
        emit openRequested();
    else if (link == QLatin1String(kMakeLink))
        emit makeRequested();
    else if (link == QLatin1String(kUpdateLink))
        emit updateRequested();
}

QString CWelcomePage::Html(const Content& c) {
    auto esc = [](const QString& text) { return text.toHtmlEscaped(); };
    QString html = QStringLiteral("<html><body style=\"font-size:11pt\">"
                                  "<h2>欢迎使用 Tolvarin 法律法规查询</h2>");
    if (!c.m_strBusy.isEmpty()) {
        html += QStringLiteral("<p><b>%1</b></p></body></html>").arg(esc(c.m_strBusy));
        return html;
    }
    if (!c.m_strRejected.isEmpty()) {
        html += QStringLiteral("<p>文件 <code>%1</code> 不是法规库：%2。</p>")
                    .arg(esc(c.m_strRejected), esc(c.m_strReason));
    } else {
        html += QStringLiteral("<p>没有找到法规库。程序依次查找了以下文件，都不存在：</p><ol>");
        for (const QString& path : c.m_arrLooked)
            html += QStringLiteral("<li><code>%1</code></li>").arg(esc(path));
        html += QStringLiteral("</ol>");
    }
    html += QStringLiteral("<p>您可以：</p><ul>");
    html += QStringLiteral("<li style=\"margin-bottom:8px\"><a href=\"%1\"><b>打开法规库…</b></a>"
                           "<br>选择一个已有的法规库文件（如 db1.mdb）。</li>")
                .arg(QLatin1String(kOpenLink));
    if (!c.m_strShippedLaws.isEmpty())
        html +=
            QStringLiteral(
                "<li style=\"margin-bottom:8px\"><a href=\"%1\"><b>用随附的法规建立法规库</b></a>"
                "<br>用程序随附的 1557 部中国法律法规（<code>%2</code>）在 <code>%3</code> "
                "建立法规库，只需几秒钟。</li>")
                .arg(QLatin1String(kMakeLink), esc(c.m_strShippedLaws), esc(c.m_strUserFile));
    else
        html += QStringLiteral("<li style=\"margin-bottom:8px\">用随附的法规建立法规库："
                               "没有找到随附的法规文件 laws-zh.jsonl.xz。</li>");
    html += QStringLiteral(
                "<li style=\"margin-bottom:8px\"><a href=\"%1\"><b>用智能更新下载法规库</b></a>"
                "<br>在 <code>%2</code> 建立空的法规库，从更新服务器 <code>%3</code> "
                "下载全部法规（需要能连接到该服务器）。</li>")
                .arg(QLatin1String(kUpdateLink), esc(c.m_strUserFile), esc(c.m_strServer));
    html += QStringLiteral("</ul><p>详细说明见 帮助 → 使用帮助（F1）。</p></body></html>");
    return html;
}
