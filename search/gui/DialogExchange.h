#pragma once

#include <string>

class QButtonGroup;
class QLineEdit;
class QWidget;

// Moves values between a dialog's controls and its members, one control after the other,
// and validates them on the way out. The first value that fails shows the framework's box,
// puts the focus on its control and ends the exchange; the dialog stays open.
class CDialogExchange {
public:
    explicit CDialogExchange(bool saveAndValidate) : m_bSaveAndValidate(saveAndValidate) {}

    bool IsSaving() const { return m_bSaveAndValidate; }
    bool HasFailed() const { return m_pFailed != nullptr; }
    QWidget* GetFailedControl() const { return m_pFailed; }

    // A text field, with its byte limit (a Chinese character counting two).
    void Text(QLineEdit* edit, std::string& value, int maxBytes);
    // An integer field within [min, max].
    void Int(QLineEdit* edit, int& value, int min, int max);
    // The index of the checked button of a group of radio buttons (-1: none).
    void Radio(QButtonGroup* group, int& value);
    // When saving: refuses the field with `text` unless `ok` (a check of the form's own).
    void Check(QLineEdit* edit, bool ok, const std::string& text);

    // The framework's integer parse: optional blanks and sign, decimal digits, blanks.
    static bool ParseInt(const std::string& text, int& value);

    static constexpr const char* kIntegerPrompt = "Please enter an integer.";
    static constexpr const char* kIntegerRangePrompt = "Please enter an integer between %1 and %2.";
    static constexpr const char* kTextSizePrompt = "Enter no more than %1 characters.";

private:
    void Fail(QLineEdit* edit, const std::string& text);

    bool m_bSaveAndValidate;
    QWidget* m_pFailed = nullptr;
};
