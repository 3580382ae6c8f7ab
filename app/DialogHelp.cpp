#include "app/DialogHelp.h"

#include "ui/HelpWindow.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>

CDialogHelp::CDialogHelp(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

CDialogHelp::~CDialogHelp() {
    qApp->removeEventFilter(this);
}

QString CDialogHelp::PageOf(const QString& className) {
    static const struct {
        const char* dialog;
        const char* page;
    } pages[] = {
        {"CTitleSearchDlg", "search-box.html"},
        {"CAdvancedSearchDlg", "search-box.html"},
        {"CFindDlg", "find.html"},
        {"CFavouritesDlg", "favourites.html"},
        {"CUpdateConfirmDlg", "update.html"},
        {"CCollectionInfoDlg", "collection.html"},
        {"CVersionCompareDlg", "versions.html"},
        {"QPrintDialog", "print.html"},
        {"QPrintPreviewDialog", "print.html"},
        {"QPageSetupDialog", "print.html"},
    };
    for (const auto& entry : pages)
        if (className == QLatin1String(entry.dialog))
            return QString::fromLatin1(entry.page);
    return QStringLiteral("index.html");
}

bool CDialogHelp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1 ||
        static_cast<QKeyEvent*>(event)->modifiers() != Qt::NoModifier)
        return false;
    // The dialog the key was typed in (the event reaches the focused widget first).
    auto* widget = qobject_cast<QWidget*>(watched);
    auto* dialog = widget ? qobject_cast<QDialog*>(widget->window()) : nullptr;
    if (!dialog)
        return false;
    CHelpWindow::ShowManual(dialog, PageOf(QString::fromLatin1(dialog->metaObject()->className())));
    return true;
}
