#include "search/gui/TitleSearchDlg.h"

#include "search/gui/DialogExchange.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>

CTitleSearchDlg::CTitleSearchDlg(QWidget* parent) : CExchangeDialog(IDD, parent) {
    setWindowTitle(tr("标题搜索对话框"));
    auto* prompt = new QLabel(tr("请输入标题中所包含的关键词（多关键词请用空格分隔）"), this);
    m_pTitleEdit = CreateTextEdit(IDC_KEYWORDS, kMaxTitleBytes);
    m_pTitleEdit->setMinimumWidth(360);
    prompt->setBuddy(m_pTitleEdit);
    auto* scope = new QHBoxLayout;
    m_pScopeGroup = CreateRadioGroup(
        {{IDC_SCOPE_CURRENT, tr("在当前分类中搜索")}, {IDC_SCOPE_ALL, tr("在所有分类中搜索")}},
        scope);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_pTitleEdit);
    layout->addLayout(scope);
    layout->addWidget(CreateButtons(tr("开始搜索"), tr("取消")));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CTitleSearchDlg::DoDataExchange(CDialogExchange& dx) {
    dx.Text(m_pTitleEdit, m_strTitle, kMaxTitleBytes);
    dx.Radio(m_pScopeGroup, m_nScope);
}

QWidget* CTitleSearchDlg::FirstField() const {
    return m_pTitleEdit;
}
