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
    QString html = QStringLiteral("<html><body style=\"font-size:11pt\"><h2>%1</h2>")
                       .arg(tr("欢迎使用 Tolvarin 法律法规查询"));
    if (!c.m_strBusy.isEmpty()) {
        html += QStringLiteral("<p><b>%1</b></p></body></html>").arg(esc(c.m_strBusy));
        return html;
    }
    // What is the matter, in one line; the places looked at come in the details below.
    if (!c.m_strRejected.isEmpty())
        html += QStringLiteral("<p>%1</p>")
                    .arg(tr("文件 %1 不是法规库：%2。")
                             .arg(QStringLiteral("<code>%1</code>").arg(esc(c.m_strRejected)),
                                  esc(c.m_strReason)));
    else
        html += QStringLiteral("<p>%1</p>").arg(tr("还没有法规库。请选择一种方式开始："));

    // The actions first, each with a line of what it does.
    const QString item = QStringLiteral("<p style=\"margin-top:14px; margin-left:12px\">"
                                        "<a href=\"%1\"><span style=\"font-size:13pt\"><b>%2"
                                        "</b></span></a><br>%3</p>");
    const QString none =
        QStringLiteral("<p style=\"margin-top:14px; margin-left:12px\">"
                       "<span style=\"font-size:13pt\"><b>%1</b></span><br>%2</p>");
    if (!c.m_strShippedLaws.isEmpty())
        html += item.arg(QLatin1String(kMakeLink), tr("用随附的法规建立法规库"),
                         tr("用程序随附的 1557 部中国法律法规建立您自己的法规库，只需几秒钟。"));
    else
        html +=
            none.arg(tr("用随附的法规建立法规库"), tr("没有找到随附的法规文件 laws-zh.jsonl.xz。"));
    html += item.arg(QLatin1String(kOpenLink), tr("打开法规库…"),
                     tr("选择一个已有的法规库文件（如 db1.mdb）。"));
    html += item.arg(QLatin1String(kUpdateLink), tr("用智能更新下载法规库"),
                     tr("建立空的法规库，从更新服务器下载全部法规（需要能连接到该服务器）。"));

    // The details: where the program looked and where things go.
    html += QStringLiteral("<hr><h3>%1</h3><p>%2</p><ol>")
                .arg(tr("详细信息"), tr("程序依次查找了以下位置："));
    for (const QString& path : c.m_arrLooked)
        html += QStringLiteral("<li><code>%1</code></li>").arg(esc(path));
    html += QStringLiteral("</ol><table cellspacing=\"4\">");
    const QString row = QStringLiteral("<tr><td>%1</td><td><code>%2</code></td></tr>");
    html += row.arg(tr("新的法规库建在："), esc(c.m_strUserFile));
    if (!c.m_strShippedLaws.isEmpty())
        html += row.arg(tr("随附的法规："), esc(c.m_strShippedLaws));
    html += row.arg(tr("更新服务器："), esc(c.m_strServer));
    html += QStringLiteral("</table><p>%1</p></body></html>")
                .arg(tr("详细说明见 帮助 → 使用帮助（F1）。"));
    return html;
}
