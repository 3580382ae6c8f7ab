#include "ui/QtMessageService.h"

#include "data/gui/MessageText.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

CQtMessageService::CQtMessageService(QObject* parent) : QObject(parent) {}

namespace {

// The fixed texts of the data layer's boxes, for the interface's catalogue. A text that is
// not among them (a provider's own message) is shown as it is.
[[maybe_unused]] const char* const kFixedTexts[] = {
    QT_TRANSLATE_NOOP("CMessageService", "连接数据失败，请检查网络和数据库设置是否正确"),
    QT_TRANSLATE_NOOP("CMessageService", "连接失败"),
    QT_TRANSLATE_NOOP("CMessageService", "数据库记录打开失败！"),
    QT_TRANSLATE_NOOP("CMessageService", "记录失败"),
    QT_TRANSLATE_NOOP("CMessageService", "数据库连接未知错误，无法捕捉具体错误信息!"),
    QT_TRANSLATE_NOOP("CMessageService", "错误"),
    QT_TRANSLATE_NOOP("CMessageService", "字段访问发生错误，请确认数据库结构没有改动。"),
    QT_TRANSLATE_NOOP("CMessageService", "字段访问"),
    QT_TRANSLATE_NOOP("CMessageService",
                      "无法读取数据库资料，可能数据库连接已经断开，请重新连接、然后重试。"),
    QT_TRANSLATE_NOOP("CMessageService", "连接问题"),
};

QString Translated(const std::string& text) {
    return CMessageText::Translate(text);
}

} // namespace

void CQtMessageService::Show(const std::string& text, const std::string& caption, MsgIcon icon) {
    if (QThread::currentThread() == thread()) {
        ShowNow(text, caption, icon);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, text, caption, icon] { ShowNow(text, caption, icon); },
        Qt::BlockingQueuedConnection);
}

void CQtMessageService::ShowNow(const std::string& text, const std::string& caption, MsgIcon icon) {
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
    QMessageBox box(qtIcon, Translated(caption), Translated(text), QMessageBox::Ok, owner);
    box.exec();
}
