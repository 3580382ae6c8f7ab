#include "ui/SplashWnd.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

// Off until start-up enables it: a frame made anywhere else (a test, a tool) shows no splash.
bool CSplashWnd::c_bShowSplashWnd = false;
CSplashWnd* CSplashWnd::c_pSplashWnd = nullptr;

CSplashWnd::CSplashWnd(QWidget* pParentWnd)
    : QWidget(pParentWnd, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
}

CSplashWnd::~CSplashWnd() {
    // Also reached when the owner goes away with the splash still up.
    if (c_pSplashWnd == this)
        c_pSplashWnd = nullptr;
}

void CSplashWnd::EnableSplashScreen(bool bEnable) {
    c_bShowSplashWnd = bEnable;
}

void CSplashWnd::ShowSplashScreen(QWidget* pParentWnd) {
    if (!c_bShowSplashWnd || c_pSplashWnd)
        return;
    c_pSplashWnd = new CSplashWnd(pParentWnd);
    if (!c_pSplashWnd->Create()) {
        delete c_pSplashWnd; // resets c_pSplashWnd
        return;
    }
    c_pSplashWnd->repaint();
}

bool CSplashWnd::Create() {
    m_bitmap = QPixmap(QStringLiteral(":/images/splash.png"));
    if (m_bitmap.isNull())
        return false;
    setFixedSize(m_bitmap.deviceIndependentSize().toSize());
    CenterOverOwner();
    qApp->installEventFilter(this);
    m_nTimerId = startTimer(kTimeoutMs, Qt::PreciseTimer);
    show();
    return m_nTimerId != 0;
}

void CSplashWnd::CenterOverOwner() {
    QRect area;
    const QWidget* owner = parentWidget();
    if (owner)
        area = owner->frameGeometry();
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (area.isEmpty() && screen)
        area = screen->availableGeometry();
    QRect placed(QPoint(0, 0), size());
    placed.moveCenter(area.center());
    // Keep the whole picture on the screen when the owner hangs over its edge.
    if (screen) {
        const QRect avail = screen->availableGeometry();
        if (avail.width() >= placed.width() && avail.height() >= placed.height()) {
            placed.moveLeft(
                qBound(avail.left(), placed.left(), avail.right() - placed.width() + 1));
            placed.moveTop(qBound(avail.top(), placed.top(), avail.bottom() - placed.height() + 1));
        }
    }
    move(placed.topLeft());
}

void CSplashWnd::HideSplashScreen() {
    CSplashWnd* splash = c_pSplashWnd;
    if (!splash)
        return;
    c_pSplashWnd = nullptr;
    QWidget* owner = splash->parentWidget();
    const bool hadFocus = splash->isActiveWindow();
    splash->hide();
    // Not deleted here: this may run inside one of the splash's own event handlers.
    splash->deleteLater();
    if (owner && owner->isVisible()) {
        // A window manager that gave the splash the focus hands it back to the frame.
        if (hadFocus)
            owner->window()->activateWindow();
        owner->window()->update();
    }
}

bool CSplashWnd::PreTranslateAppMessage(QObject* receiver, QEvent* event) {
    Q_UNUSED(receiver);
    if (!c_pSplashWnd)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // A key that is some command's shortcut is offered to the shortcuts before it is
        // delivered as a key press. Claim it here, so that it arrives as a plain key press
        // below and ends there without running the command.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        HideSplashScreen();
        return true;
    default:
        return false;
    }
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event) {
    if (this != c_pSplashWnd)
        return false;
    // The owner usually gets its final place and size only after the splash is up.
    if (watched == parentWidget()) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
            CenterOverOwner();
            break;
        default:
            break;
        }
    }
    return PreTranslateAppMessage(watched, event);
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bitmap);
}

void CSplashWnd::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_nTimerId)
        HideSplashScreen();
}
