// The interface in Chinese (the texts as written) or English (the catalogue).
#include "TestDatabase.h"
#include "WindowTest.h"

#include "app/InterfaceLanguage.h"
#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LawListModel.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "search/gui/AdvancedSearchDlg.h"

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QToolBar>

#include <gtest/gtest.h>

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
