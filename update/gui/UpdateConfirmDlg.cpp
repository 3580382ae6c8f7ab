#include "update/gui/UpdateConfirmDlg.h"

#include <QHBoxLayout>
#include <QPushButton>

CUpdateConfirmDlg::CUpdateConfirmDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("数据更新"));
    setObjectName(QStringLiteral("CUpdateConfirmDlg"));
    auto* ok = new QPushButton(tr("确定"), this);
    auto* giveUp = new QPushButton(tr("放弃"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    giveUp->setObjectName(QStringLiteral("IDCANCEL"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(giveUp, &QPushButton::clicked, this, &QDialog::reject);
    // Two buttons side by side, centred, as the dialog resource lays them out.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(48, 24, 48, 24);
    layout->setSpacing(24);
    layout->addWidget(ok);
    layout->addWidget(giveUp);
    setFixedSize(sizeHint().expandedTo(QSize(300, 80)));
}
