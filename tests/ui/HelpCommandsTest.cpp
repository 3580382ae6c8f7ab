// Where the Help menu's commands send the desktop.
#include "app/HelpCommands.h"
#include "ui/AboutDlg.h"
#include "ui/HelpWindow.h"
#include "ui/MakerInfo.h"

#include "UrlRecorder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
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
    // The contents: a page per task and the shortcuts.
    for (const char* part :
         {"Tolvarin 使用帮助", "搜索框", "在法规中查找", "收藏夹", "条文", "放大和缩小",
          "另存为 PDF", "打印", "命令行", "智能更新", "快捷键", "Ctrl+F", "Ctrl+G", "Alt+W"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part;
    // Opens at a size that fits the screen.
    EXPECT_TRUE(help->screen()->availableGeometry().size().boundedTo(help->size()) == help->size());
    // Every page of the contents is there, in both languages, with its way back.
    QTextDocument* contents = help->Browser()->document();
    QStringList pages;
    for (QTextBlock block = contents->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (const QString href = it.fragment().charFormat().anchorHref();
                href.endsWith(QLatin1String(".html")) && !pages.contains(href))
                pages << href;
    EXPECT_GE(pages.size(), 10) << pages.join(' ').toStdString();
    for (const QString& page : pages)
        for (const QString& folder :
             {QStringLiteral(":/manual/"), QStringLiteral(":/manual/en/")}) {
            QFile file(folder + page);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << (folder + page).toStdString();
            EXPECT_TRUE(file.readAll().contains("href=\"index.html\"")) << page.toStdString();
        }
    // A page of the contents opens in the same window.
    help->Browser()->setSource(CHelpWindow::ManualUrl(QStringLiteral("settings.html")));
    for (const char* part : {"tolvarin.conf", "[Update]", "TOLVARIN_UPDATE_SERVER"})
        EXPECT_TRUE(help->Browser()->toPlainText().contains(QString::fromUtf8(part))) << part;
    // The pages share one style sheet: a name in code stands on its grey.
    bool styled = false;
    for (QTextBlock block = help->Browser()->document()->begin(); block.isValid();
         block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().text() == QLatin1String("[Update]"))
                styled = it.fragment().charFormat().background().color() == QColor("#f2f2f2");
    EXPECT_TRUE(styled);
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
