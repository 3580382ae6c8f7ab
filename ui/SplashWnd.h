#pragma once

#include <QPixmap>
#include <QWidget>

class QEvent;

// The picture shown over the main window while it is being built. It closes by itself after
// 750 ms, or at once when the user presses a key or a mouse button anywhere in the program;
// that key or click does nothing else. A mouse move leaves it up.
//
// Start-up calls EnableSplashScreen once; the main frame calls ShowSplashScreen right after
// its own creation. While the splash exists it filters every event of the application and
// hands it to PreTranslateAppMessage first.
class CSplashWnd final : public QWidget {
    Q_OBJECT
public:
    ~CSplashWnd() override;

    static void EnableSplashScreen(bool bEnable);
    // Creates and shows the splash over pParentWnd unless disabled or already shown.
    static void ShowSplashScreen(QWidget* pParentWnd);
    // True when the event closed the splash and must go no further.
    static bool PreTranslateAppMessage(QObject* receiver, QEvent* event);
    static void HideSplashScreen();

    // The splash while it is up, otherwise nullptr.
    static CSplashWnd* Current() { return c_pSplashWnd; }
    static constexpr int kTimeoutMs = 750;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    explicit CSplashWnd(QWidget* pParentWnd);
    bool Create();
    void CenterOverOwner();

    QPixmap m_bitmap;
    int m_nTimerId = 0;

    static bool c_bShowSplashWnd;
    static CSplashWnd* c_pSplashWnd;
};
