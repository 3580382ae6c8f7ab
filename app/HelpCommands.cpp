#include "app/HelpCommands.h"

#include "ui/AboutDlg.h"
#include "ui/HelpWindow.h"
#include "ui/MakerInfo.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
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

void OnHelpContents(QWidget* parent) {
    // A help file of the working directory is the desktop's to show; without one (as
    // usual) the program's own manual.
    const QString file = QDir::current().absoluteFilePath(QString::fromLatin1(kHelpFileName));
    if (QFileInfo::exists(file))
        OpenWithDesktop(QUrl::fromLocalFile(file));
    else
        CHelpWindow::ShowManual(parent ? parent->window() : nullptr);
}

void OnVisitWebSite(QWidget*) {
    OpenWithDesktop(QUrl::fromUserInput(CMakerInfo::Load().m_strWebAddress));
}

void OnSendSuggestion(QWidget*) {
    OpenWithDesktop(QUrl(QStringLiteral("mailto:") + CMakerInfo::Load().m_strMailAddress));
}
