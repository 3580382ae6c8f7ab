// Where the Help menu's commands send the desktop.
#include "app/HelpCommands.h"
#include "ui/AboutDlg.h"
#include "ui/MakerInfo.h"

#include "UrlRecorder.h"

#include <QApplication>
#include <QDir>
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
    OnHelpContents(nullptr);
    ASSERT_EQ(m_desktop.m_opened.size(), 1);
    EXPECT_EQ(m_desktop.m_opened[0].toLocalFile(), QDir(other.path()).filePath("tolvarin.chm"));
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
