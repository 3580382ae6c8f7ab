#include "app/HelpCommands.h"

#include "ui/AboutDlg.h"
#include "ui/MakerInfo.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace {

void OpenWithDesktop(const QUrl& url) {
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

} // namespace

void OnAppAbout(QWidget* parent) {
    CAboutDlg dlg(parent);
    dlg.exec();
}

void OnHelpContents(QWidget*) {
    OpenWithDesktop(QUrl::fromLocalFile(QDir::current().absoluteFilePath(kHelpFileName)));
}

void OnVisitWebSite(QWidget*) {
    OpenWithDesktop(QUrl::fromUserInput(CMakerInfo::Load().m_strWebAddress));
}

void OnSendSuggestion(QWidget*) {
    OpenWithDesktop(QUrl(QStringLiteral("mailto:") + CMakerInfo::Load().m_strMailAddress));
}
