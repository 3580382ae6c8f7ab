#pragma once

#include "ground/MessageService.h"

#include <QObject>

class QWidget;

// Shows the program's boxes as QMessageBox on the GUI thread. A call from another thread is
// marshalled to the GUI thread and waits there for OK, as the platform's box would.
class CQtMessageService final : public QObject, public CMessageService {
    Q_OBJECT
public:
    explicit CQtMessageService(QObject* parent = nullptr);
    void Show(const std::string& text, const std::string& caption, MsgIcon icon) override;

    // Owner window of the application-name boxes (the main frame once it exists).
    void SetOwner(QWidget* owner) { m_owner = owner; }

private:
    void ShowNow(const std::string& text, const std::string& caption, MsgIcon icon);
    QWidget* m_owner = nullptr;
};
