// The interface in Chinese (the texts as written) or English (the catalogue).
#include "TestDatabase.h"
#include "WindowTest.h"

#include "app/InterfaceLanguage.h"
#include "app/MainFrame.h"
#include "app/ReadOnlyNotice.h"
#include "app/TolvarinApp.h"
#include "app/WelcomePage.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LawListModel.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "data/gui/MessageText.h"
#include "display/gui/LawOutline.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "reader/Favourites.h"
#include "search/gui/AdvancedSearchDlg.h"
#include "search/gui/SearchBox.h"
#include "ui/HelpWindow.h"
#include "update/InternetSession.h"
#include "update/gui/UpdateConfirmDlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

namespace {

class LanguageTest : public CWindowTest {
protected:
    void TearDown() override {
        CWindowTest::TearDown();
        CInterfaceLanguage::Install(CInterfaceLanguage::Chinese);
    }

    static QStringList MenuTexts(CMainFrame* frame) {
        QStringList texts;
        std::function<void(QMenu*)> collect = [&](QMenu* menu) {
            emit menu->aboutToShow();
            for (QAction* action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                texts.push_back(action->text());
                if (action->menu())
                    collect(action->menu());
            }
        };
        for (QAction* top : frame->menuBar()->actions()) {
            texts.push_back(top->text());
            if (top->menu())
                collect(top->menu());
        }
        for (QToolBar* bar : frame->findChildren<QToolBar*>())
            for (QAction* action : bar->actions())
                if (!action->isSeparator())
                    texts.push_back(action->iconText());
        return texts;
    }
};

} // namespace

TEST(InterfaceLanguageChoice, OptionThenSavedChoiceThenChinese) {
    QSettings().clear();
    CInterfaceLanguage::Language language = CInterfaceLanguage::Chinese;
    EXPECT_FALSE(CInterfaceLanguage::FromCode(QStringLiteral("fr"), language));
    CInterfaceLanguage::SetPreferred(CInterfaceLanguage::English);
    EXPECT_EQ(CInterfaceLanguage::Choose(QString()), CInterfaceLanguage::English);
    EXPECT_EQ(CInterfaceLanguage::Choose(QStringLiteral("zh")), CInterfaceLanguage::Chinese);
    CInterfaceLanguage::SetPreferred(CInterfaceLanguage::Chinese);
    EXPECT_EQ(CInterfaceLanguage::Choose(QStringLiteral("en_GB")), CInterfaceLanguage::English);
    EXPECT_EQ(CInterfaceLanguage::Choose(QStringLiteral("nonsense")), CInterfaceLanguage::Chinese);
    QSettings().clear();
    EXPECT_EQ(CInterfaceLanguage::Choose(QString()), CInterfaceLanguage::Chinese);
}

// The system's locale alone never makes the interface English: many readers of Chinese laws
// run an English desktop. The locale is read when the application starts, so each case runs
// in a child of these tests started with that locale and fresh settings.
TEST(InterfaceLanguageChoice, ANonChineseSystemLocaleAloneKeepsTheChineseTexts) {
    if (qEnvironmentVariableIsSet("TOLVARIN_LOCALE_CHILD")) {
        // The child did see the locale it was started with.
        ASSERT_EQ(QLocale::system().name(), qEnvironmentVariable("TOLVARIN_LOCALE_CHILD"));
        EXPECT_EQ(CInterfaceLanguage::Choose(QString()), CInterfaceLanguage::Chinese);
        // The reader's own choice, and the option, still give English.
        EXPECT_EQ(CInterfaceLanguage::Choose(QStringLiteral("en")), CInterfaceLanguage::English);
        CInterfaceLanguage::SetPreferred(CInterfaceLanguage::English);
        EXPECT_EQ(CInterfaceLanguage::Choose(QString()), CInterfaceLanguage::English);
        QSettings().clear();
        return;
    }
    const struct {
        const char* lang;
        const char* locale;
    } cases[] = {{"en_US.UTF-8", "en_US"}, {"en_GB.UTF-8", "en_GB"}, {"de_DE.UTF-8", "de_DE"}};
    for (const auto& c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.remove(QStringLiteral("LANGUAGE"));
        env.insert(QStringLiteral("LANG"), QString::fromLatin1(c.lang));
        env.insert(QStringLiteral("TOLVARIN_LOCALE_CHILD"), QString::fromLatin1(c.locale));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=InterfaceLanguageChoice."
                                    "ANonChineseSystemLocaleAloneKeepsTheChineseTexts")});
        ASSERT_TRUE(child.waitForFinished(60000)) << c.lang;
        const QString output = QString::fromUtf8(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << c.lang << "\n" << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    }
}

TEST_F(LanguageTest, EnglishInterfaceHasNoChineseLeftAndChineseStaysAsWritten) {
    CTestDatabase db;
    db.AddCategory(1, 0x2000000, 0, "Civil", 1, 0);
    db.AddLaw(1, "Civil Code", "2005-03-03 00:00:00", "No. 1", "NPC", "Text");
    ASSERT_TRUE(CInterfaceLanguage::Install(CInterfaceLanguage::English));
    CMainFrame* frame = Start();
    EXPECT_TRUE(frame->ExecuteCommand(ID_EDITION_EN));
    ASSERT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));

    const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    const QStringList texts = MenuTexts(frame);
    EXPECT_TRUE(texts.contains(QStringLiteral("&File")));
    EXPECT_TRUE(texts.contains(QStringLiteral("F&avourites")));
    for (const QString& text : texts) {
        // The language menu names Chinese in Chinese.
        if (text != QStringLiteral("中文")) {
            EXPECT_FALSE(text.contains(chinese)) << text.toStdString();
        }
    }
    CLawListModel* model = frame->GetListView()->GetModel();
    EXPECT_EQ(
        model->headerData(CLawListModel::ColTopic, Qt::Horizontal, Qt::DisplayRole).toString(),
        "Title");
    EXPECT_EQ(
        model->headerData(CLawListModel::ColDatum, Qt::Horizontal, Qt::DisplayRole).toString(),
        "Date");
    EXPECT_EQ(frame->GetLeftView()->GetCaption()->text(), "Contents");
    {
        CAdvancedSearchDlg dialog(frame);
        for (QLabel* label : dialog.findChildren<QLabel*>())
            EXPECT_FALSE(label->text().contains(chinese)) << label->text().toStdString();
    }
    m_app.reset();
    WaitForListQueriesIdle(std::chrono::seconds(30));

    // Back in Chinese every text is the one the program was written with.
    ASSERT_TRUE(CInterfaceLanguage::Install(CInterfaceLanguage::Chinese));
    theEditionConfig = CEditionConfig();
    frame = Start();
    const QStringList chineseTexts = MenuTexts(frame);
    for (const char* text : {"文件(&F)", "查询(&S)", "视图(&V)", "网络升级", "帮助(&H)",
                             "打印...\tCtrl+P", "标题查询", "智能升级", "中文法规"})
        EXPECT_TRUE(chineseTexts.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(
        frame->GetListView()->GetModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
        "标题");
}

namespace {

const QRegularExpression& Cjk() {
    static const QRegularExpression cjk(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return cjk;
}

// Every text a widget and its children show of their own: titles, labels, buttons, tips,
// placeholders, choices, actions, headers and pages. The law page and the 条文 box show law
// data and are left out, as are the category tree's and the list's rows.
void CollectTexts(QWidget* root, QStringList& texts) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (qobject_cast<CShowLawView*>(w) || qobject_cast<CLawOutline*>(w))
            continue;
        texts << w->windowTitle() << w->toolTip() << w->statusTip() << w->whatsThis()
              << w->accessibleName() << w->accessibleDescription();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            texts << edit->placeholderText();
        if (auto* group = qobject_cast<QGroupBox*>(w))
            texts << group->title();
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        if (auto* browser = qobject_cast<QTextBrowser*>(w))
            texts << browser->toPlainText();
        if (auto* table = qobject_cast<QTableWidget*>(w))
            for (int c = 0; c < table->columnCount(); ++c)
                if (table->horizontalHeaderItem(c))
                    texts << table->horizontalHeaderItem(c)->text();
        for (QAction* action : w->actions())
            texts << action->text() << action->toolTip() << action->statusTip()
                  << action->iconText();
    }
}

QStringList WithCjk(const QStringList& texts) {
    QStringList found;
    for (const QString& text : texts)
        if (text.contains(Cjk()) && !found.contains(text))
            found << text;
    return found;
}

// Runs `command` (which opens a modal dialog) and collects the dialog's texts before
// closing it.
QStringList DialogTexts(CMainFrame* frame, int command) {
    QStringList texts;
    bool seen = false;
    QTimer::singleShot(200, frame, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            seen = true;
            CollectTexts(dialog, texts);
            if (auto* d = qobject_cast<QDialog*>(dialog))
                d->reject();
            else
                dialog->close();
        }
    });
    frame->ExecuteCommand(command);
    EXPECT_TRUE(seen) << command;
    return texts;
}

} // namespace

// Every window, menu, tool bar, dialog, status text and box of the program's own under
// English: no Chinese but the name of the Chinese language. Texts added later show up here
// until the catalogue gives their English (see CONTRIBUTING.md).
TEST_F(LanguageTest, EveryTextOfTheEnglishInterfaceIsEnglish) {
    CTestDatabase db;
    db.AddCategory(1, 0x2000000, 0, "Civil", 1, 0);
    db.AddLaw(1, "Civil Code", "2005-03-03 00:00:00", "No. 1", "NPC", "Article 1 Text");
    ASSERT_TRUE(CInterfaceLanguage::Install(CInterfaceLanguage::English));
    CMainFrame* frame = Start();
    EXPECT_TRUE(frame->ExecuteCommand(ID_EDITION_EN));
    ASSERT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
    frame->GetListView()->GetTable()->selectRow(0);
    ASSERT_TRUE(WaitFor([&] { return frame->GetLawView()->HasDocument(); }));

    QStringList texts = MenuTexts(frame);
    texts.removeAll(QStringLiteral("中文")); // the language menu names Chinese in Chinese
    for (QMenu* menu : frame->findChildren<QMenu*>()) {
        emit menu->aboutToShow();
        for (QAction* action : menu->actions())
            if (action->text() != QStringLiteral("中文"))
                texts << action->text() << action->toolTip() << action->statusTip();
    }
    CollectTexts(frame, texts);
    CLawListModel* model = frame->GetListView()->GetModel();
    for (int c = 0; c < model->columnCount(); ++c)
        texts << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();

    // The search box and the status text of its search.
    auto* box = frame->findChild<CSearchBox*>();
    ASSERT_NE(box, nullptr);
    box->findChild<QLineEdit*>()->setText(QStringLiteral("Civil"));
    ASSERT_TRUE(WaitFor([&] { return frame->GetStatusText().contains(QLatin1String("1")); }))
        << frame->GetStatusText().toStdString();
    texts << frame->GetStatusText();
    CollectTexts(box, texts);

    // The dialogs and windows of the menus.
    for (int command : {ID_TITLE_SEARCH, ID_ADVANCED_SEARCH, ID_FIND_IN_TEXT, ID_APP_ABOUT,
                        ID_FAVOURITES_ORGANIZE})
        texts << DialogTexts(frame, command);
    {
        CUpdateConfirmDlg confirm(frame);
        CollectTexts(&confirm, texts);
    }
    // The help window with the manual's contents.
    EXPECT_TRUE(frame->ExecuteCommand(ID_HELP_CONTENTS));
    ASSERT_NE(CHelpWindow::Instance(), nullptr);
    texts << CHelpWindow::Instance()->windowTitle()
          << CHelpWindow::Instance()->Browser()->toPlainText();
    for (QAbstractButton* button : CHelpWindow::Instance()->findChildren<QAbstractButton*>())
        texts << button->text();
    CHelpWindow::Instance()->close();

    // The welcome page of a window without a collection.
    {
        CWelcomePage::Content content;
        content.m_arrLooked = {QStringLiteral("/work/db1.mdb")};
        content.m_strUserFile = QStringLiteral("/home/u/.local/share/tolvarin/db1.mdb");
        content.m_strShippedLaws = QStringLiteral("/usr/share/tolvarin/laws-zh.jsonl.xz");
        content.m_strServer = QStringLiteral("http://127.0.0.1:8642");
        QTextBrowser page;
        page.setHtml(CWelcomePage::Html(content));
        texts << page.toPlainText();
        content.m_strShippedLaws.clear();
        content.m_strRejected = QStringLiteral("/work/db1.mdb");
        content.m_strReason = QString::fromUtf8("这不是数据库文件");
        page.setHtml(CWelcomePage::Html(content));
        // The reason comes from the core and is shown as the core wrote it.
        texts << page.toPlainText().remove(content.m_strReason);
    }

    // The boxes of the core, composed in Chinese, as the message service shows them.
    const std::string address = "http://127.0.0.1:1/demolaws/lawtrees.asp";
    const std::string boxes[] = {
        std::string("下载失败！\n") +
            CInternetSession::TransportErrorText(7, ECONNREFUSED, address + "?updatetime="),
        CInternetSession::TransportErrorText(6, 0, address),
        CInternetSession::TransportErrorText(28, 0, address),
        CInternetSession::TransportErrorText(56, 0, address),
        CInternetSession::TransportErrorText(99, 0, address),
        "格式错误!",
        "无法打开法规库 /tmp/x.mdb：这是一个文件夹，不是法规库文件",
        "无法打开法规库 /tmp/x.mdb：这不是普通文件（是一个命名管道），不能作为法规库打开",
        "读取法规列表时出错，列表只列出了已读到的 3 条法规，其余的没有列出。\n法规库正被另一个程序"
        "使用。请稍后重试。\n\n详细信息：database is locked",
        "文件不是收藏夹列表（其中没有 JSON 对象）",
        "不是收藏夹列表：文件太大（9 字节，最多 4 字节）",
        "数据库被其他程序占用，等待 60 秒后仍无法写入，本次更新未完成。请关闭正在写入 /tmp/db1.mdb "
        "的程序后再更新。",
        "读取失败",
        "服务器的答复中，英文版法规 12「Civil Code」 的编号、日期或时间含有不属于 GBK "
        "字符集的字节，"
        "无法保存；本次更新未完成。",
    };
    for (const std::string& text : boxes)
        texts << CMessageText::Translate(text);
    texts << CReadOnlyNotice::Reason();

    texts.removeAll(QString());
    texts.removeAll(QStringLiteral("中文")); // the language menu names Chinese in Chinese
    EXPECT_EQ(WithCjk(texts), QStringList())
        << WithCjk(texts).join(QLatin1Char('\n')).toStdString();
}

// The Chinese interface: the program's texts are Chinese, the core's boxes stay as written
// and say nothing in English.
TEST_F(LanguageTest, TheChineseInterfaceShowsNoEnglishOfItsOwn) {
    CFavourites favourites;
    std::string error;
    EXPECT_FALSE(favourites.FromJson("[1, 2]", &error));
    EXPECT_EQ(error, "文件不是收藏夹列表（其中没有 JSON 对象）");
    EXPECT_FALSE(favourites.FromJson(std::string(5 << 20, ' '), &error));
    EXPECT_EQ(error.rfind("不是收藏夹列表：文件太大", 0), 0u) << error;

    const std::string refused =
        CInternetSession::TransportErrorText(7, ECONNREFUSED, "http://127.0.0.1:1/x.asp?a=1");
    EXPECT_EQ(CMessageText::Translate(refused), QString::fromStdString(refused));
    const QRegularExpression english(QStringLiteral("[A-Za-z]{3,} [a-z]{3,}"));
    for (int code : {5, 6, 7, 28, 35, 47, 52, 56, 99})
        EXPECT_FALSE(QString::fromStdString(
                         CInternetSession::TransportErrorText(code, ECONNREFUSED, "http://h/x.asp"))
                         .contains(english))
            << code;
}

// F1 in a dialog opens the manual at that dialog's page, in the interface's language.
TEST_F(LanguageTest, F1InADialogOpensItsPageOfTheManual) {
    CTestDatabase db;
    db.AddCategory(0, 0x2000000, 0, "甲类", 1, 0);
    db.AddLaw(0, "甲法", "2005-03-03 00:00:00", "一号", "人大", "第一条 正文");
    const struct {
        CInterfaceLanguage::Language language;
        int command;
        const char* page;
    } cases[] = {
        {CInterfaceLanguage::Chinese, ID_ADVANCED_SEARCH, "qrc:/manual/search-box.html"},
        {CInterfaceLanguage::Chinese, ID_FIND_IN_TEXT, "qrc:/manual/find.html"},
        {CInterfaceLanguage::English, ID_TITLE_SEARCH, "qrc:/manual/en/search-box.html"},
        {CInterfaceLanguage::English, ID_FAVOURITES_ORGANIZE, "qrc:/manual/en/favourites.html"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(CInterfaceLanguage::Install(c.language));
        CMainFrame* frame = Start();
        QString shown;
        QTimer::singleShot(200, frame, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            QWidget* focus = dialog->focusWidget() ? dialog->focusWidget() : dialog;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
            QApplication::sendEvent(focus, &press);
            if (CHelpWindow* help = CHelpWindow::Instance())
                shown = help->Browser()->source().toString();
            dialog->reject();
        });
        frame->ExecuteCommand(c.command);
        EXPECT_EQ(shown, QString::fromLatin1(c.page)) << c.command;
        if (CHelpWindow* help = CHelpWindow::Instance())
            help->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_app.reset();
        WaitForListQueriesIdle(std::chrono::seconds(30));
        theEditionConfig = CEditionConfig();
    }
}
