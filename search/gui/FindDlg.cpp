#include "search/gui/FindDlg.h"

#include "search/gui/DialogExchange.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>

CFindDlg::CFindDlg(QWidget* parent) : CExchangeDialog(IDD, parent) {
    setWindowTitle(tr("查找对话框"));
    QFont dialogFont = font();
    dialogFont.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                            QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN"),
                            dialogFont.family()});
    dialogFont.setPointSize(10);
    setFont(dialogFont);

    auto* prompt = new QLabel(tr("请输入要查找的关键字"), this);
    m_pWordsEdit = CreateTextEdit(IDC_WORDS, kMaxWordsBytes);
    m_pWordsEdit->setMinimumWidth(300);
    prompt->setBuddy(m_pWordsEdit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_pWordsEdit);
    layout->addWidget(CreateButtons(tr("开始查找"), tr("取消")));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CFindDlg::DoDataExchange(CDialogExchange& dx) {
    dx.Text(m_pWordsEdit, m_strWords, kMaxWordsBytes);
}

QWidget* CFindDlg::FirstField() const {
    return m_pWordsEdit;
}
