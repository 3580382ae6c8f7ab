#pragma once

#include <QDialog>

#include <initializer_list>
#include <utility>

class CDialogExchange;
class QBoxLayout;
class QButtonGroup;
class QLineEdit;
class QPushButton;

// A modal dialog built from a dialog resource's description: controls carry their ids, the
// members are exchanged with the controls when the dialog opens and validated when the user
// confirms. A value that fails validation keeps the dialog open on that control.
class CExchangeDialog : public QDialog {
    Q_OBJECT
public:
    enum { IDOK = 1, IDCANCEL = 2 };

    CExchangeDialog(int resourceId, QWidget* parent);

    int GetResourceId() const { return m_nResourceId; }

    // Controls to members (true, with validation) or members to controls (false). True when
    // every value passed.
    bool UpdateData(bool saveAndValidate);

    // Fills the controls from the members and puts the focus on the first field.
    void InitDialog();
    // InitDialog, then runs the dialog; QDialog::Accepted when the user confirmed and every
    // value passed.
    int DoModal();

    // The control with a resource id, or nullptr.
    QWidget* GetDlgItem(int controlId) const;

    // The start button validates before closing.
    void accept() override;

protected:
    virtual void DoDataExchange(CDialogExchange& dx) = 0;
    // The field that has the focus when the dialog opens.
    virtual QWidget* FirstField() const = 0;

    static void SetControlId(QWidget* control, int controlId);
    // A text field limited to a number of bytes (a Chinese character counting two).
    QLineEdit* CreateTextEdit(int controlId, int maxBytes);
    // Radio buttons (id and text) as one group with the indices 0, 1, ..., laid out in a row.
    QButtonGroup* CreateRadioGroup(std::initializer_list<std::pair<int, QString>> buttons,
                                   QBoxLayout* row);
    // The start and cancel buttons; Enter starts, Escape cancels.
    QWidget* CreateButtons(const QString& okText, const QString& cancelText);

private:
    int m_nResourceId;
};
