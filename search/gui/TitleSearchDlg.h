#pragma once

#include "search/gui/ExchangeDialog.h"

#include <string>

class QButtonGroup;
class QLineEdit;

// Dialog 148: the words of a title search and its scope.
class CTitleSearchDlg : public CExchangeDialog {
    Q_OBJECT
public:
    enum { IDD = 148, IDC_KEYWORDS = 1004, IDC_SCOPE_CURRENT = 1014, IDC_SCOPE_ALL = 1015 };
    static constexpr int kMaxTitleBytes = 150;

    explicit CTitleSearchDlg(QWidget* parent = nullptr);

    std::string m_strTitle; // the words, as typed
    int m_nScope = 0;       // 0 the current category, 1 all categories

protected:
    void DoDataExchange(CDialogExchange& dx) override;
    QWidget* FirstField() const override;

private:
    QLineEdit* m_pTitleEdit;
    QButtonGroup* m_pScopeGroup;
};
