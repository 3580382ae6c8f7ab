#include "ui/QtMessageService.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

CQtMessageService::CQtMessageService(QObject* parent) : QObject(parent) {}

void CQtMessageService::Show(const std::string& text, const std::string& caption, MsgIcon icon) {
    if (QThread::currentThread() == thread()) {
        ShowNow(text, caption, icon);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, text, caption, icon] { ShowNow(text, caption, icon); },
        Qt::BlockingQueuedConnection);
}

void CQtMessageService::ShowNow(const std::string& text, const std::string& caption,
                                MsgIcon icon) {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MsgIcon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case MsgIcon::Warning:
        qtIcon = QMessageBox::Warning;
        break;
    case MsgIcon::Error:
        qtIcon = QMessageBox::Critical;
        break;
    case MsgIcon::Question:
        qtIcon = QMessageBox::Question;
        break;
    case MsgIcon::None:
        break;
    }
    // Boxes with a fixed caption have no owner; the application's boxes sit over the frame.
    QWidget* owner = caption == kAppMessageCaption ? m_owner : nullptr;
    QMessageBox box(qtIcon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, owner);
    box.exec();
}
