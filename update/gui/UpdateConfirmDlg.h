#pragma once

#include <QDialog>

// Dialog 151 "数据更新": asks before an update run downloads anything. "确定" accepts,
// "放弃" (and closing the dialog) gives up.
class CUpdateConfirmDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 151 };
    explicit CUpdateConfirmDlg(QWidget* parent = nullptr);
};
