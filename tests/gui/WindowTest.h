#pragma once
// The fixture of the tests that start the whole program in the current directory (where a
// CTestDatabase made the collection): the edition and the settings are fresh for each test,
// and the program, its list worker and the collection it found are gone after it.

#include "GuiTestUtil.h"

#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/TolvarinView.h"
#include "data/CollectionFile.h"
#include "display/gui/ShowLawView.h"
#include "ground/AppConstants.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"

#include <QSettings>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

class CWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        theEditionConfig = CEditionConfig();
        QSettings().clear();
    }
    void TearDown() override {
        m_app.reset();
        EXPECT_TRUE(WaitForListQueriesIdle(std::chrono::seconds(30)));
        CloseListQueryConnection();
        theEditionConfig = CEditionConfig();
        // The program set the collection it found (a file of this test's folder): the next
        // test finds its own.
        SetCollectionFile(kDatabaseFileName);
    }

    // Starts the program without its splash, `arguments` after the program's name; the
    // window is made but not yet listed.
    CMainFrame* Launch(QStringList arguments = {}) {
        arguments.prepend(QStringLiteral("--nosplash"));
        arguments.prepend(QStringLiteral("tolvarin"));
        m_app = std::make_unique<CTolvarinApp>();
        EXPECT_TRUE(m_app->InitInstance(arguments));
        return m_app->GetMainFrame();
    }
    // Starts the program and waits for the first listing.
    CMainFrame* Start(QStringList arguments = {}) {
        CMainFrame* frame = Launch(std::move(arguments));
        EXPECT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
        return frame;
    }
    // Starts the program and waits for the first listing and the first law page.
    CMainFrame* StartWithPage() {
        CMainFrame* frame = Start();
        EXPECT_TRUE(WaitFor([&] { return frame->GetLawView()->HasDocument(); }));
        return frame;
    }

    CMessageRecorder m_messages;
    std::unique_ptr<CTolvarinApp> m_app;
};
