#pragma once

#include "search/gui/ExchangeDialog.h"

#include <string>

class QLineEdit;

// Dialog 150: the words to mark in the law on display.
class CFindDlg : public CExchangeDialog {
    Q_OBJECT
public:
    enum { IDD = 150, IDC_WORDS = 1004 };
    static constexpr int kMaxWordsBytes = 100;

    explicit CFindDlg(QWidget* parent = nullptr);

    std::string m_strWords; // as typed

protected:
    void DoDataExchange(CDialogExchange& dx) override;
    QWidget* FirstField() const override;

private:
    QLineEdit* m_pWordsEdit;
};
