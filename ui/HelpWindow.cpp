#include "ui/HelpWindow.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QPointer<CHelpWindow> g_pHelpWindow;
bool g_bEnglish = false;

} // namespace

QUrl CHelpWindow::ManualUrl(const QString& page) {
    return QUrl(QStringLiteral("qrc:/manual/") + (g_bEnglish ? QStringLiteral("en/") : QString()) +
                (page.isEmpty() ? QStringLiteral("index.html") : page));
}

void CHelpWindow::SetLanguage(const QString& code) {
    g_bEnglish = code == QLatin1String("en");
}

CHelpWindow* CHelpWindow::Instance() {
    return g_pHelpWindow;
}

CHelpWindow* CHelpWindow::ShowManual(QWidget* parent, const QString& page) {
    if (!g_pHelpWindow)
        g_pHelpWindow = new CHelpWindow(parent);
    if (!page.isEmpty() || g_pHelpWindow->m_pBrowser->source().isEmpty())
        g_pHelpWindow->m_pBrowser->setSource(ManualUrl(page));
    g_pHelpWindow->show();
    g_pHelpWindow->raise();
    g_pHelpWindow->activateWindow();
    return g_pHelpWindow;
}

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Tolvarin 使用帮助"));
    // The manual's width for reading, but never past the screen's edge.
    QSize size(760, 640);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);

    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setOpenLinks(false);
    connect(m_pBrowser, &QTextBrowser::anchorClicked, this, &CHelpWindow::OnAnchor);

    auto* back = new QPushButton(tr("目录"), this);
    connect(back, &QPushButton::clicked, this, [this] {
        m_pBrowser->setSource(ManualUrl());
        m_pBrowser->scrollToAnchor(QString());
    });
    auto* close = new QPushButton(tr("关闭"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pBrowser, 1);
    layout->addLayout(buttons);
}

void CHelpWindow::OnAnchor(const QUrl& url) {
    const QUrl target = m_pBrowser->source().resolved(url);
    if (target.scheme() == QLatin1String("qrc")) {
        // Within the manual: a place on this page or another page of it.
        if (target.adjusted(QUrl::RemoveFragment) ==
            m_pBrowser->source().adjusted(QUrl::RemoveFragment))
            m_pBrowser->scrollToAnchor(target.fragment());
        else
            m_pBrowser->setSource(target);
        return;
    }
    QDesktopServices::openUrl(target);
}
