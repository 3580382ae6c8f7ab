// Where the Help menu's commands send the desktop.
#include "app/HelpCommands.h"
#include "ui/AboutDlg.h"
#include "ui/HelpWindow.h"
#include "ui/MakerInfo.h"

#include "UrlRecorder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTextBrowser>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class HelpCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings("morvexal", "tolvarin").remove("Maker");
        m_oldDir = QDir::currentPath();
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    }
    void TearDown() override {
        QDir::setCurrent(m_oldDir);
        QSettings("morvexal", "tolvarin").remove("Maker");
    }
    QTemporaryDir m_dir;
    QString m_oldDir;
    CUrlRecorder m_desktop;
};

TEST_F(HelpCommandsTest, CommandsOpenTheHelpFileWebSiteAndMail) {
    struct Case {
        const char* name;
        void (*command)(QWidget*);
        QUrl expected;
    };
    QFile chm(QDir(m_dir.path()).filePath("tolvarin.chm"));
    ASSERT_TRUE(chm.open(QIODevice::WriteOnly));
    chm.close();
    const Case cases[] = {
        {"help", OnHelpContents, QUrl::fromLocalFile(QDir(m_dir.path()).filePath("tolvarin.chm"))},
        {"web site", OnVisitWebSite, QUrl(CMakerInfo::kDefaultWebAddress)},
        {"suggestion", OnSendSuggestion,
         QUrl(QString("mailto:") + CMakerInfo::kDefaultMailAddress)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_desktop.m_opened.clear();
        c.command(nullptr);
        EXPECT_EQ(m_desktop.m_opened, QList<QUrl>{c.expected});
    }
}

TEST_F(HelpCommandsTest, HelpFileIsLookedUpInTheWorkingDirectory) {
    QTemporaryDir other;
    ASSERT_TRUE(QDir::setCurrent(other.path()));
    QFile chm(QDir(other.path()).filePath("tolvarin.chm"));
    ASSERT_TRUE(chm.open(QIODevice::WriteOnly));
    chm.close();
    OnHelpContents(nullptr);
    ASSERT_EQ(m_desktop.m_opened.size(), 1);
    EXPECT_EQ(m_desktop.m_opened[0].toLocalFile(), QDir(other.path()).filePath("tolvarin.chm"));
    EXPECT_EQ(CHelpWindow::Instance(), nullptr);
}

// Without a help file the program's own manual is shown, not a file that is not there; its
// sections' links stay inside it and the About box's addresses still go to the desktop.
TEST_F(HelpCommandsTest, WithoutAHelpFileTheManualIsShownInTheHelpWindow) {
    QWidget frame;
    frame.show();
    OnHelpContents(&frame);
    EXPECT_TRUE(m_desktop.m_opened.isEmpty());
    CHelpWindow* help = CHelpWindow::Instance();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    const QString text = help->Browser()->toPlainText();
    for (const char* part : {"Tolvarin 使用帮助", "法规库", "智能更新", "--db", "tolvarin.conf",
                             "[Update]", "tolvarin-update"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part;
    // Asked again: the same window.
    OnHelpContents(&frame);
    EXPECT_EQ(CHelpWindow::Instance(), help);
    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CHelpWindow::Instance(), nullptr);
}

TEST_F(HelpCommandsTest, WebAndMailFollowTheConfiguredAddresses) {
    {
        QSettings settings("morvexal", "tolvarin");
        settings.setValue("Maker/WebAddress", "https://laws.example.org/");
        settings.setValue("Maker/MailAddress", "help@example.org");
    }
    OnVisitWebSite(nullptr);
    OnSendSuggestion(nullptr);
    EXPECT_EQ(m_desktop.m_opened,
              (QList<QUrl>{QUrl("https://laws.example.org/"), QUrl("mailto:help@example.org")}));
}

TEST_F(HelpCommandsTest, AboutRunsTheBoxModallyUntilOk) {
    QWidget frame;
    frame.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        seen = true;
        EXPECT_EQ(dlg->parentWidget(), &frame);
        dlg->OkButton()->click();
    });
    OnAppAbout(&frame);
    EXPECT_TRUE(seen);
}

} // namespace
