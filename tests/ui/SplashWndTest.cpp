// When the splash closes, and what happens to the key or click that closes it.
#include "ui/SplashWnd.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Counts the presses and moves that reach it.
class CClickPad : public QWidget {
public:
    explicit CClickPad(QWidget* parent) : QWidget(parent) {
        setMouseTracking(true);
        setMinimumSize(200, 120);
    }
    int m_nPresses = 0;
    int m_nMoves = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++m_nPresses; }
    void mouseMoveEvent(QMouseEvent*) override { ++m_nMoves; }
};

// A main window in miniature: a text field with the focus, a click pad and a shortcut.
class CFrameStandIn : public QWidget {
public:
    CFrameStandIn() {
        auto* layout = new QVBoxLayout(this);
        m_pEdit = new QLineEdit(this);
        m_pPad = new CClickPad(this);
        layout->addWidget(m_pEdit);
        layout->addWidget(m_pPad);
        m_pRefresh = new QAction(this);
        m_pRefresh->setShortcut(QKeySequence(Qt::Key_F5));
        m_pRefresh->setShortcutContext(Qt::ApplicationShortcut);
        addAction(m_pRefresh);
        QObject::connect(m_pRefresh, &QAction::triggered, [this] { ++m_nRefreshes; });
    }
    QLineEdit* m_pEdit = nullptr;
    CClickPad* m_pPad = nullptr;
    QAction* m_pRefresh = nullptr;
    int m_nRefreshes = 0;
};

class SplashWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        CSplashWnd::EnableSplashScreen(true);
        m_frame = std::make_unique<CFrameStandIn>();
        m_frame->setGeometry(50, 60, 600, 440);
        m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        m_frame->m_pEdit->setFocus();
    }
    void TearDown() override {
        CSplashWnd::HideSplashScreen();
        m_frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CSplashWnd::EnableSplashScreen(false);
    }
    void ShowSplash() {
        CSplashWnd::ShowSplashScreen(m_frame.get());
        ASSERT_NE(CSplashWnd::Current(), nullptr);
        ASSERT_TRUE(CSplashWnd::Current()->isVisible());
    }

    std::unique_ptr<CFrameStandIn> m_frame;
};

TEST_F(SplashWndTest, KeyPressClosesTheSplashAndDoesNothingElse) {
    ShowSplash();
    QTest::keyClick(m_frame->m_pEdit, Qt::Key_A);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_EQ(m_frame->m_pEdit->text(), "");

    QTest::keyClick(m_frame->m_pEdit, Qt::Key_B);
    EXPECT_EQ(m_frame->m_pEdit->text(), "b");
}

TEST_F(SplashWndTest, ShortcutKeyClosesTheSplashWithoutRunningItsCommand) {
    ShowSplash();
    QTest::keyClick(m_frame->m_pEdit, Qt::Key_F5);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_EQ(m_frame->m_nRefreshes, 0);

    QTest::keyClick(m_frame->m_pEdit, Qt::Key_F5);
    EXPECT_EQ(m_frame->m_nRefreshes, 1);
}

TEST_F(SplashWndTest, AnyMouseButtonClosesTheSplashAndTheClickGoesNoFurther) {
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        SCOPED_TRACE(static_cast<int>(button));
        ShowSplash();
        const int before = m_frame->m_pPad->m_nPresses;
        QTest::mouseClick(m_frame->m_pPad, button, {}, QPoint(20, 20));
        EXPECT_EQ(CSplashWnd::Current(), nullptr);
        EXPECT_EQ(m_frame->m_pPad->m_nPresses, before);

        QTest::mouseClick(m_frame->m_pPad, button, {}, QPoint(20, 20));
        EXPECT_EQ(m_frame->m_pPad->m_nPresses, before + 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SplashWndTest, ClickOnTheSplashItselfClosesIt) {
    ShowSplash();
    QPointer<CSplashWnd> splash = CSplashWnd::Current();
    QTest::mouseClick(splash.data(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
}

TEST_F(SplashWndTest, MouseMoveReachesTheWindowAndLeavesTheSplashUp) {
    ShowSplash();
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 30),
                     m_frame->m_pPad->mapToGlobal(QPointF(30, 30)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(m_frame->m_pPad, &move);
    EXPECT_EQ(m_frame->m_pPad->m_nMoves, 1);
    EXPECT_NE(CSplashWnd::Current(), nullptr);
}

TEST_F(SplashWndTest, TimerClosesTheSplashAfter750Milliseconds) {
    QElapsedTimer clock;
    clock.start();
    ShowSplash();
    while (CSplashWnd::Current() && clock.elapsed() < 10000)
        QTest::qWait(5);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_GE(clock.elapsed(), 700);
}

TEST_F(SplashWndTest, DisabledSplashShowsNothingAndConsumesNothing) {
    CSplashWnd::EnableSplashScreen(false);
    CSplashWnd::ShowSplashScreen(m_frame.get());
    EXPECT_EQ(CSplashWnd::Current(), nullptr);

    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_FALSE(CSplashWnd::PreTranslateAppMessage(m_frame->m_pEdit, &key));
    QTest::keyClick(m_frame->m_pEdit, Qt::Key_A);
    EXPECT_EQ(m_frame->m_pEdit->text(), "a");
}

TEST_F(SplashWndTest, SplashIsThePictureSizeCentredOverTheFrameAndShownOnce) {
    ShowSplash();
    CSplashWnd* splash = CSplashWnd::Current();
    EXPECT_EQ(splash->size(), QSize(480, 320));
    const QPoint offset = splash->frameGeometry().center() - m_frame->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);

    CSplashWnd::ShowSplashScreen(m_frame.get());
    EXPECT_EQ(CSplashWnd::Current(), splash);
}

TEST_F(SplashWndTest, SplashFollowsAFrameThatTakesItsPlaceAfterwards) {
    CFrameStandIn later;
    later.setGeometry(0, 0, 300, 200);
    CSplashWnd::ShowSplashScreen(&later);
    ASSERT_NE(CSplashWnd::Current(), nullptr);

    later.setGeometry(140, 120, 560, 420);
    later.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&later));
    const QPoint offset =
        CSplashWnd::Current()->frameGeometry().center() - later.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
    CSplashWnd::HideSplashScreen();
}

TEST_F(SplashWndTest, FrameClosedUnderTheSplashTakesItAlong) {
    ShowSplash();
    m_frame.reset();
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_FALSE(CSplashWnd::PreTranslateAppMessage(qApp, &key));
}

} // namespace
