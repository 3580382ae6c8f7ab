// Start-up shows the splash over the new main window, unless the command line says --nosplash.
#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "ground/EditionConfig.h"
#include "ui/SplashWnd.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

class StartUpSplashTest : public ::testing::Test {
protected:
    void SetUp() override {
        theEditionConfig = CEditionConfig();
        m_oldDir = QDir::currentPath();
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir::setCurrent(m_dir.path())); // no collection here: start-up goes on
    }
    void TearDown() override {
        Stop();
        QDir::setCurrent(m_oldDir);
        theEditionConfig = CEditionConfig();
    }
    void Stop() {
        CSplashWnd::HideSplashScreen();
        if (m_app)
            m_app->ExitInstance(0);
        m_app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CSplashWnd::EnableSplashScreen(false);
    }

    QTemporaryDir m_dir;
    QString m_oldDir;
    std::unique_ptr<CTolvarinApp> m_app;
};

TEST_F(StartUpSplashTest, SplashCoversTheNewFrameUnlessTheCommandLineSaysNoSplash) {
    struct Case {
        QStringList args;
        bool splash;
    };
    const Case cases[] = {
        {{"tolvarin"}, true},
        {{"tolvarin", "--nosplash"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        m_app = std::make_unique<CTolvarinApp>();
        ASSERT_TRUE(m_app->InitInstance(c.args));
        CSplashWnd* splash = CSplashWnd::Current();
        EXPECT_EQ(splash != nullptr, c.splash);
        if (splash) {
            EXPECT_EQ(splash->parentWidget(), m_app->GetMainFrame());
            EXPECT_TRUE(splash->isVisible());
        }
        Stop();
    }
}

} // namespace
