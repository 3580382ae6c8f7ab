#include "search/gui/DialogExchange.h"

#include "ground/MessageService.h"
#include "ground/TextUtil.h"
#include "search/gui/GbkLimitValidator.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

#include <cctype>
#include <climits>

namespace {

std::string Fill(std::string text, const std::string& first, const std::string& second = {}) {
    ReplaceAll(text, "%1", first);
    ReplaceAll(text, "%2", second);
    return text;
}

} // namespace

bool CDialogExchange::ParseInt(const std::string& text, int& value) {
    size_t i = 0;
    auto isBlank = [&](size_t k) { return std::isspace(static_cast<unsigned char>(text[k])); };
    while (i < text.size() && isBlank(i))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const size_t digits = i;
    long long number = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        number = number * 10 + (text[i] - '0');
        if (number > static_cast<long long>(INT_MAX) + 1)
            return false;
        ++i;
    }
    if (i == digits)
        return false;
    while (i < text.size() && isBlank(i))
        ++i;
    if (i != text.size())
        return false;
    if (negative)
        number = -number;
    if (number < INT_MIN || number > INT_MAX)
        return false;
    value = static_cast<int>(number);
    return true;
}

void CDialogExchange::Fail(QLineEdit* edit, const std::string& text) {
    m_pFailed = edit;
    AppMessageBox(text, MsgIcon::Warning);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void CDialogExchange::Text(QLineEdit* edit, std::string& value, int maxBytes) {
    if (HasFailed())
        return;
    if (!m_bSaveAndValidate) {
        edit->setText(QString::fromStdString(value));
        return;
    }
    const QString text = edit->text();
    if (CGbkLimitValidator::ByteCount(text) > maxBytes) {
        Fail(edit, Fill(kTextSizePrompt, std::to_string(maxBytes)));
        return;
    }
    value = text.toStdString();
}

void CDialogExchange::Int(QLineEdit* edit, int& value, int min, int max) {
    if (HasFailed())
        return;
    if (!m_bSaveAndValidate) {
        edit->setText(QString::number(value));
        return;
    }
    int parsed = 0;
    if (!ParseInt(edit->text().toStdString(), parsed)) {
        Fail(edit, kIntegerPrompt);
        return;
    }
    if (parsed < min || parsed > max) {
        Fail(edit, Fill(kIntegerRangePrompt, std::to_string(min), std::to_string(max)));
        return;
    }
    value = parsed;
}

void CDialogExchange::Radio(QButtonGroup* group, int& value) {
    if (HasFailed())
        return;
    const QList<QAbstractButton*> buttons = group->buttons();
    if (m_bSaveAndValidate) {
        value = -1;
        for (QAbstractButton* button : buttons)
            if (button->isChecked())
                value = group->id(button);
        return;
    }
    const bool exclusive = group->exclusive();
    group->setExclusive(false);
    for (QAbstractButton* button : buttons)
        button->setChecked(group->id(button) == value);
    group->setExclusive(exclusive);
}

void CDialogExchange::Check(QLineEdit* edit, bool ok, const std::string& text) {
    if (!m_bSaveAndValidate || HasFailed() || ok)
        return;
    Fail(edit, text);
}
