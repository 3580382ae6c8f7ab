#include "search/gui/AdvancedSearchDlg.h"

#include "data/JetSql.h"
#include "search/gui/DialogExchange.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

CAdvancedSearchDlg::CAdvancedSearchDlg(QWidget* parent) : CExchangeDialog(IDD, parent) {
    setWindowTitle(tr("高级搜索"));

    auto* fields = new QGridLayout;
    auto addField = [&](int row, const QString& label, int controlId) {
        QLineEdit* edit = CreateTextEdit(controlId, kMaxFieldBytes);
        edit->setMinimumWidth(280);
        auto* caption = new QLabel(label, this);
        caption->setBuddy(edit);
        fields->addWidget(caption, row, 0);
        fields->addWidget(edit, row, 1);
        return edit;
    };
    m_pTitleEdit = addField(0, tr("标题:"), IDC_TITLE);
    m_pWenhaoEdit = addField(1, tr("文号："), IDC_WENHAO);
    m_pBumenEdit = addField(2, tr("部门:"), IDC_BUMEN);
    m_pContentEdit = addField(3, tr("内容:"), IDC_CONTENT);

    auto* dates = new QGroupBox(tr("日期"), this);
    auto* dateGrid = new QGridLayout(dates);
    const int ids[6] = {IDC_FROM_YEAR, IDC_FROM_MONTH, IDC_FROM_DAY,
                        IDC_TO_YEAR,   IDC_TO_MONTH,   IDC_TO_DAY};
    const QString units[3] = {tr("年"), tr("月"), tr("日")};
    const QString dateNames[6] = {tr("起始年份"), tr("起始月份"), tr("起始日"),
                                  tr("截止年份"), tr("截止月份"), tr("截止日")};
    for (int row = 0; row < 2; ++row) {
        dateGrid->addWidget(new QLabel(row == 0 ? tr("从") : tr("到"), dates), row, 0);
        for (int k = 0; k < 3; ++k) {
            QLineEdit* edit = CreateNumberEdit(ids[row * 3 + k]);
            edit->setFixedWidth(k == 0 ? 60 : 40);
            m_pDateEdits[row * 3 + k] = edit;
            edit->setAccessibleName(dateNames[row * 3 + k]);
            dateGrid->addWidget(edit, row, 1 + 2 * k);
            dateGrid->addWidget(new QLabel(units[k], dates), row, 2 + 2 * k);
        }
    }
    dateGrid->setColumnStretch(7, 1);

    auto* scope = new QHBoxLayout;
    m_pScopeGroup = CreateRadioGroup(
        {{IDC_SCOPE_CURRENT, tr("在当前分类中搜索")}, {IDC_SCOPE_ALL, tr("在所有分类中搜索")}},
        scope);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(dates);
    layout->addLayout(scope);
    layout->addWidget(CreateButtons(tr("开始搜索"), tr("取消")));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The tab order follows the form: the four texts, the six date parts, the scope.
    QWidget* previous = m_pTitleEdit;
    for (QWidget* next : {static_cast<QWidget*>(m_pWenhaoEdit), static_cast<QWidget*>(m_pBumenEdit),
                          static_cast<QWidget*>(m_pContentEdit)}) {
        setTabOrder(previous, next);
        previous = next;
    }
    for (QLineEdit* edit : m_pDateEdits) {
        setTabOrder(previous, edit);
        previous = edit;
    }
}

QLineEdit* CAdvancedSearchDlg::CreateNumberEdit(int controlId) {
    auto* edit = new QLineEdit(this);
    SetControlId(edit, controlId);
    edit->setMaxLength(16);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

void CAdvancedSearchDlg::DoDataExchange(CDialogExchange& dx) {
    dx.Text(m_pTitleEdit, m_strTitle, kMaxFieldBytes);
    dx.Text(m_pWenhaoEdit, m_strWenhao, kMaxFieldBytes);
    dx.Text(m_pBumenEdit, m_strBumen, kMaxFieldBytes);
    dx.Text(m_pContentEdit, m_strContent, kMaxFieldBytes);
    dx.Int(m_pDateEdits[0], m_nFromYear, 0, 3000);
    dx.Int(m_pDateEdits[1], m_nFromMonth, 0, 12);
    dx.Int(m_pDateEdits[2], m_nFromDay, 0, 31);
    dx.Int(m_pDateEdits[3], m_nToYear, 0, 3000);
    dx.Int(m_pDateEdits[4], m_nToMonth, 0, 12);
    dx.Int(m_pDateEdits[5], m_nToDay, 0, 31);
    // A date the database refuses (the 31st of February) would end in an empty list; it is
    // refused here with the reason. A year of one or two digits is read as the database
    // reads it (99 is 1999, 5 is 2005), so it is no reason to refuse.
    auto checkDate = [&](QLineEdit* year, int y, int m, int d) {
        if (y == 0)
            return;
        const std::string text =
            std::to_string(y) + "-" + std::to_string(m ? m : 1) + "-" + std::to_string(d ? d : 1);
        std::string canonical;
        dx.Check(year, CJetSql::CanonicalDate(text, canonical),
                 "日期 " + text + " 不存在，请输入一个有效的日期。");
    };
    checkDate(m_pDateEdits[0], m_nFromYear, m_nFromMonth, m_nFromDay);
    checkDate(m_pDateEdits[3], m_nToYear, m_nToMonth, m_nToDay);
    dx.Radio(m_pScopeGroup, m_nScope);
}

QWidget* CAdvancedSearchDlg::FirstField() const {
    return m_pTitleEdit;
}

CAdvancedSearchValues CAdvancedSearchDlg::GetValues() const {
    CAdvancedSearchValues values;
    values.m_strTitle = m_strTitle;
    values.m_strWenhao = m_strWenhao;
    values.m_strBumen = m_strBumen;
    values.m_strContent = m_strContent;
    values.m_nFromYear = m_nFromYear;
    values.m_nFromMonth = m_nFromMonth;
    values.m_nFromDay = m_nFromDay;
    values.m_nToYear = m_nToYear;
    values.m_nToMonth = m_nToMonth;
    values.m_nToDay = m_nToDay;
    values.m_nScope = m_nScope;
    return values;
}
