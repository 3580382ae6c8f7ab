#pragma once

#include <QDialog>

class CLinkLabel;
class QPushButton;

// "关于Tolvarin": the product and its version, the ownership notice, the service line and the
// maker's mail and web addresses as links that open in the desktop's mail program and browser
// and leave the box open. The maker's values come from CMakerInfo.
class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    CLinkLabel* WebLink() const { return m_pWebLink; }
    CLinkLabel* MailLink() const { return m_pMailLink; }
    QPushButton* OkButton() const { return m_pOkButton; }

    static constexpr const char* kCaption = "关于Tolvarin";
    static constexpr const char* kProductLine = "Tolvarin V1.0";
    static constexpr const char* kServiceLinePrefix = "服务热线：";

private:
    void OnInitDialog();

    CLinkLabel* m_pWebLink = nullptr;
    CLinkLabel* m_pMailLink = nullptr;
    QPushButton* m_pOkButton = nullptr;
};
