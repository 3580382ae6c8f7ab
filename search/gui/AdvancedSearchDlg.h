#pragma once

#include "search/AdvancedSearchValues.h"
#include "search/gui/ExchangeDialog.h"

#include <string>

class QButtonGroup;
class QLineEdit;

// Dialog 149: the advanced search form. Created anew for every search.
class CAdvancedSearchDlg : public CExchangeDialog {
    Q_OBJECT
public:
    enum {
        IDD = 149,
        IDC_TITLE = 1004,
        IDC_WENHAO = 1005,
        IDC_BUMEN = 1006,
        IDC_CONTENT = 1007,
        IDC_FROM_YEAR = 1008,
        IDC_FROM_MONTH = 1009,
        IDC_FROM_DAY = 1010,
        IDC_TO_YEAR = 1011,
        IDC_TO_MONTH = 1012,
        IDC_TO_DAY = 1013,
        IDC_SCOPE_CURRENT = 1014,
        IDC_SCOPE_ALL = 1015,
    };
    static constexpr int kMaxFieldBytes = 50;

    explicit CAdvancedSearchDlg(QWidget* parent = nullptr);

    // The members as the search composes them.
    CAdvancedSearchValues GetValues() const;

    std::string m_strTitle;
    std::string m_strWenhao;
    std::string m_strBumen;
    std::string m_strContent;
    int m_nFromYear = 0;
    int m_nFromMonth = 0;
    int m_nFromDay = 0;
    int m_nToYear = 0;
    int m_nToMonth = 0;
    int m_nToDay = 0;
    int m_nScope = 0;

protected:
    void DoDataExchange(CDialogExchange& dx) override;
    QWidget* FirstField() const override;

private:
    QLineEdit* CreateNumberEdit(int controlId);

    QLineEdit* m_pTitleEdit;
    QLineEdit* m_pWenhaoEdit;
    QLineEdit* m_pBumenEdit;
    QLineEdit* m_pContentEdit;
    QLineEdit* m_pDateEdits[6];
    QButtonGroup* m_pScopeGroup;
};
