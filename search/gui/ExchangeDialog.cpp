#include "search/gui/ExchangeDialog.h"

#include "search/gui/DialogExchange.h"
#include "search/gui/GbkLimitValidator.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>

namespace {
constexpr const char* kControlId = "controlId";
}

CExchangeDialog::CExchangeDialog(int resourceId, QWidget* parent)
    : QDialog(parent), m_nResourceId(resourceId) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
}

void CExchangeDialog::SetControlId(QWidget* control, int controlId) {
    control->setProperty(kControlId, controlId);
    control->setObjectName(QStringLiteral("control%1").arg(controlId));
}

QWidget* CExchangeDialog::GetDlgItem(int controlId) const {
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QVariant id = child->property(kControlId);
        if (id.isValid() && id.toInt() == controlId)
            return child;
    }
    return nullptr;
}

QLineEdit* CExchangeDialog::CreateTextEdit(int controlId, int maxBytes) {
    auto* edit = new QLineEdit(this);
    SetControlId(edit, controlId);
    edit->setValidator(new CGbkLimitValidator(maxBytes, edit));
    return edit;
}

QButtonGroup*
CExchangeDialog::CreateRadioGroup(std::initializer_list<std::pair<int, QString>> buttons,
                                  QBoxLayout* row) {
    auto* group = new QButtonGroup(this);
    int index = 0;
    for (const auto& [controlId, text] : buttons) {
        auto* radio = new QRadioButton(text, this);
        SetControlId(radio, controlId);
        group->addButton(radio, index++);
        row->addWidget(radio);
    }
    row->addStretch(1);
    return group;
}

QWidget* CExchangeDialog::CreateButtons(const QString& okText, const QString& cancelText) {
    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton(okText, QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton(cancelText, QDialogButtonBox::RejectRole);
    SetControlId(ok, IDOK);
    SetControlId(cancel, IDCANCEL);
    ok->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &CExchangeDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CExchangeDialog::reject);
    return box;
}

bool CExchangeDialog::UpdateData(bool saveAndValidate) {
    CDialogExchange dx(saveAndValidate);
    DoDataExchange(dx);
    return !dx.HasFailed();
}

void CExchangeDialog::InitDialog() {
    UpdateData(false);
    if (QWidget* first = FirstField()) {
        first->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(first))
            edit->selectAll();
    }
}

int CExchangeDialog::DoModal() {
    InitDialog();
    return exec();
}

void CExchangeDialog::accept() {
    if (UpdateData(true))
        QDialog::accept();
}
