#include "ground/MessageService.h"
#include "search/gui/AdvancedSearchDlg.h"
#include "search/gui/DialogExchange.h"
#include "search/gui/FindDlg.h"
#include "search/gui/GbkLimitValidator.h"
#include "search/gui/TitleSearchDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QLineEdit* Edit(CExchangeDialog& dlg, int id) {
    auto* edit = qobject_cast<QLineEdit*>(dlg.GetDlgItem(id));
    EXPECT_NE(edit, nullptr) << id;
    return edit;
}

QAbstractButton* Button(CExchangeDialog& dlg, int id) {
    auto* button = qobject_cast<QAbstractButton*>(dlg.GetDlgItem(id));
    EXPECT_NE(button, nullptr) << id;
    return button;
}

// Types text character by character, as key presses carrying the character.
void Type(QWidget* widget, const QString& text) {
    for (int i = 0; i < text.size(); ++i) {
        const int n = text.at(i).isHighSurrogate() ? 2 : 1;
        const QString ch = text.mid(i, n);
        i += n - 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(widget, &release);
    }
}

bool HasLabel(QWidget& dlg, const QString& text) {
    for (QLabel* label : dlg.findChildren<QLabel*>())
        if (label->text() == text)
            return true;
    return false;
}

TEST(SearchDialogs, CarryTheirTextsAndControlIds) {
    CTitleSearchDlg title;
    EXPECT_EQ(title.GetResourceId(), 148);
    EXPECT_EQ(title.windowTitle(), QStringLiteral("标题搜索对话框"));
    EXPECT_TRUE(
        HasLabel(title, QStringLiteral("请输入标题中所包含的关键词（多关键词请用空格分隔）")));
    Edit(title, 1004);
    EXPECT_EQ(Button(title, 1014)->text(), QStringLiteral("在当前分类中搜索"));
    EXPECT_EQ(Button(title, 1015)->text(), QStringLiteral("在所有分类中搜索"));
    EXPECT_EQ(Button(title, CExchangeDialog::IDOK)->text(), QStringLiteral("开始搜索"));
    EXPECT_EQ(Button(title, CExchangeDialog::IDCANCEL)->text(), QStringLiteral("取消"));
    EXPECT_TRUE(qobject_cast<QPushButton*>(Button(title, CExchangeDialog::IDOK))->isDefault());

    CAdvancedSearchDlg advanced;
    EXPECT_EQ(advanced.GetResourceId(), 149);
    EXPECT_EQ(advanced.windowTitle(), QStringLiteral("高级搜索"));
    for (const char* text : {"标题:", "文号：", "部门:", "内容:", "从", "到", "年", "月", "日"})
        EXPECT_TRUE(HasLabel(advanced, QString::fromUtf8(text))) << text;
    for (int id = 1004; id <= 1013; ++id)
        Edit(advanced, id);
    EXPECT_EQ(Button(advanced, 1014)->text(), QStringLiteral("在当前分类中搜索"));
    EXPECT_EQ(Button(advanced, 1015)->text(), QStringLiteral("在所有分类中搜索"));
    EXPECT_EQ(Button(advanced, CExchangeDialog::IDOK)->text(), QStringLiteral("开始搜索"));

    CFindDlg find;
    EXPECT_EQ(find.GetResourceId(), 150);
    EXPECT_EQ(find.windowTitle(), QStringLiteral("查找对话框"));
    EXPECT_EQ(find.font().pointSize(), 10);
    EXPECT_TRUE(HasLabel(find, QStringLiteral("请输入要查找的关键字")));
    Edit(find, 1004);
    EXPECT_EQ(Button(find, CExchangeDialog::IDOK)->text(), QStringLiteral("开始查找"));
    EXPECT_EQ(Button(find, CExchangeDialog::IDCANCEL)->text(), QStringLiteral("取消"));
}

TEST(SearchDialogs, ExchangeValuesBothWays) {
    CTitleSearchDlg title;
    title.m_strTitle = "合同 法";
    title.m_nScope = 0;
    title.InitDialog();
    EXPECT_EQ(Edit(title, 1004)->text(), QStringLiteral("合同 法"));
    EXPECT_TRUE(Button(title, 1014)->isChecked());
    EXPECT_FALSE(Button(title, 1015)->isChecked());
    EXPECT_EQ(title.focusWidget(), Edit(title, 1004));
    Edit(title, 1004)->setText(QStringLiteral("O'Brien  %_"));
    Button(title, 1015)->setChecked(true);
    EXPECT_TRUE(title.UpdateData(true));
    EXPECT_EQ(title.m_strTitle, "O'Brien  %_");
    EXPECT_EQ(title.m_nScope, 1);

    CAdvancedSearchDlg advanced;
    advanced.InitDialog();
    for (int id = 1008; id <= 1013; ++id)
        EXPECT_EQ(Edit(advanced, id)->text(), QStringLiteral("0")) << id;
    for (int id = 1004; id <= 1007; ++id)
        EXPECT_TRUE(Edit(advanced, id)->text().isEmpty()) << id;
    EXPECT_TRUE(Button(advanced, 1014)->isChecked());
    EXPECT_EQ(advanced.focusWidget(), Edit(advanced, 1004));

    const std::pair<int, const char*> typed[] = {
        {1004, "合同"}, {1005, "令"},  {1006, "国务院"}, {1007, "当事人 权益"}, {1008, "2003"},
        {1009, " 2 "},  {1010, "+28"}, {1011, "2004"},   {1012, "12"},          {1013, "31"}};
    for (const auto& [id, text] : typed)
        Edit(advanced, id)->setText(QString::fromUtf8(text));
    Button(advanced, 1015)->setChecked(true);
    EXPECT_TRUE(advanced.UpdateData(true));
    const CAdvancedSearchValues v = advanced.GetValues();
    EXPECT_EQ(v.m_strTitle, "合同");
    EXPECT_EQ(v.m_strWenhao, "令");
    EXPECT_EQ(v.m_strBumen, "国务院");
    EXPECT_EQ(v.m_strContent, "当事人 权益");
    EXPECT_EQ(v.m_nFromYear, 2003);
    EXPECT_EQ(v.m_nFromMonth, 2);
    EXPECT_EQ(v.m_nFromDay, 28);
    EXPECT_EQ(v.m_nToYear, 2004);
    EXPECT_EQ(v.m_nToMonth, 12);
    EXPECT_EQ(v.m_nToDay, 31);
    EXPECT_EQ(v.m_nScope, 1);
}

TEST(SearchDialogs, NumberFieldsRefuseNonIntegersAndOutOfRange) {
    struct Case {
        int id;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {1008, "abc", "Please enter an integer."},
        {1008, "", "Please enter an integer."},
        {1009, "1.5", "Please enter an integer."},
        {1010, "3 1", "Please enter an integer."},
        {1011, "２００４", "Please enter an integer."},
        {1012, "99999999999", "Please enter an integer."},
        {1008, "3001", "Please enter an integer between 0 and 3000."},
        {1008, "-1", "Please enter an integer between 0 and 3000."},
        {1009, "13", "Please enter an integer between 0 and 12."},
        {1010, "32", "Please enter an integer between 0 and 31."},
        {1011, "-2004", "Please enter an integer between 0 and 3000."},
        {1012, "-0012", "Please enter an integer between 0 and 12."},
        {1013, "40", "Please enter an integer between 0 and 31."},
    };
    for (const Case& c : cases) {
        CMessageRecorder messages;
        CAdvancedSearchDlg dlg;
        dlg.InitDialog();
        dlg.show();
        Edit(dlg, c.id)->setText(QString::fromUtf8(c.text));
        Edit(dlg, 1013)->setFocus();
        if (c.id != 1013)
            Edit(dlg, 1013)->setText(QStringLiteral("45")); // a later fault is not reported
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << c.text;
        EXPECT_NE(dlg.result(), QDialog::Accepted) << c.text;
        const auto boxes = messages.Messages();
        ASSERT_EQ(boxes.size(), 1U) << c.text;
        EXPECT_EQ(boxes[0].text, c.message) << c.text;
        EXPECT_EQ(boxes[0].caption, kAppMessageCaption);
        EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
        EXPECT_EQ(dlg.focusWidget(), Edit(dlg, c.id)) << c.text;
        EXPECT_EQ(Edit(dlg, c.id)->selectedText(), Edit(dlg, c.id)->text()) << c.text;
        dlg.hide();
    }
}

TEST(SearchDialogs, ValidFormIsAcceptedWithoutMessages) {
    CMessageRecorder messages;
    CAdvancedSearchDlg dlg;
    dlg.InitDialog();
    dlg.show();
    Edit(dlg, 1008)->setText(QStringLiteral("3000"));
    Edit(dlg, 1012)->setText(QStringLiteral("12"));
    Edit(dlg, 1013)->setText(QStringLiteral("0"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.m_nFromYear, 3000);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST(SearchDialogs, TextFieldsCountChineseCharactersAsTwoBytes) {
    struct Case {
        int maxBytes;
        std::string typed;
        std::string kept;
    };
    std::string seventyFive, seventySix, ascii150(150, 'a');
    for (int i = 0; i < 75; ++i)
        seventyFive += "法";
    seventySix = seventyFive + "规";
    std::string twentyFive;
    for (int i = 0; i < 25; ++i)
        twentyFive += "合";
    const Case cases[] = {
        {150, seventyFive, seventyFive},
        {150, seventySix, seventyFive},
        {150, ascii150 + "b", ascii150},
        {150, std::string(149, 'a') + "法", std::string(149, 'a')},
        {150, std::string(149, 'a') + "法b", std::string(149, 'a') + "b"},
        {50, twentyFive + "x", twentyFive},
        {100, "合同 法", "合同 法"},
    };
    for (const Case& c : cases) {
        QWidget parent;
        QLineEdit edit(&parent);
        edit.setValidator(new CGbkLimitValidator(c.maxBytes, &edit));
        Type(&edit, QString::fromStdString(c.typed));
        EXPECT_EQ(edit.text().toStdString(), c.kept) << c.typed;
    }
}

TEST(SearchDialogs, PasteIsCutToTheLimitAtTheCursor) {
    CFindDlg dlg;
    QLineEdit* edit = Edit(dlg, 1004);
    QString head;
    for (int i = 0; i < 48; ++i)
        head += QStringLiteral("法");
    edit->setText(head); // 96 of 100 bytes
    edit->setCursorPosition(0);
    edit->insert(QStringLiteral("合ab同"));
    EXPECT_EQ(edit->text(), QStringLiteral("合ab") + head);
    EXPECT_EQ(CGbkLimitValidator::ByteCount(edit->text()), 100);

    edit->setText(head + QStringLiteral("法")); // 98 bytes
    edit->end(false);
    edit->insert(QStringLiteral("x𝄞")); // a four-byte character does not fit whole
    EXPECT_EQ(edit->text(), head + QStringLiteral("法x"));
}

TEST(SearchDialogs, PresetTextIsCutToTheLimit) {
    CMessageRecorder messages;
    CTitleSearchDlg dlg;
    dlg.m_strTitle = std::string(140, 'a') + "合同法规则";
    dlg.InitDialog();
    dlg.show();
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.m_strTitle, std::string(140, 'a') + "合同法规则");
    EXPECT_TRUE(messages.Messages().empty());

    CTitleSearchDlg longer;
    longer.m_strTitle = std::string(141, 'a') + "合同法规则";
    longer.InitDialog();
    EXPECT_EQ(Edit(longer, 1004)->text().toStdString(), std::string(141, 'a') + "合同法规");
}

TEST(SearchDialogs, EnterStartsAndEscapeCancels) {
    {
        CTitleSearchDlg dlg;
        dlg.InitDialog();
        dlg.show();
        Type(Edit(dlg, 1004), QStringLiteral("合同"));
        QTest::keyClick(Edit(dlg, 1004), Qt::Key_Return);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.m_strTitle, "合同");
    }
    {
        CFindDlg dlg;
        dlg.InitDialog();
        dlg.show();
        Type(Edit(dlg, 1004), QStringLiteral("合同"));
        QTest::keyClick(Edit(dlg, 1004), Qt::Key_Escape);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.m_strWords, "");
    }
    {
        CMessageRecorder messages;
        CAdvancedSearchDlg dlg;
        dlg.InitDialog();
        dlg.show();
        Edit(dlg, 1009)->setText(QStringLiteral("x"));
        QTest::keyClick(Edit(dlg, 1004), Qt::Key_Enter);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(messages.Messages().size(), 1U);
    }
}

TEST(SearchDialogs, ParseIntFollowsTheFrameworkRules) {
    const std::pair<const char*, int> good[] = {{"0", 0},
                                                {" 12", 12},
                                                {"12 ", 12},
                                                {"+7", 7},
                                                {"-7", -7},
                                                {"007", 7},
                                                {"2147483647", 2147483647}};
    for (const auto& [text, expected] : good) {
        int value = -99;
        EXPECT_TRUE(CDialogExchange::ParseInt(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"", " ", "-", "+", "1a", "a1", "1 2", "0x10", "2147483648", "1e3"}) {
        int value = 5;
        EXPECT_FALSE(CDialogExchange::ParseInt(text, value)) << text;
        EXPECT_EQ(value, 5) << text;
    }
}

} // namespace
