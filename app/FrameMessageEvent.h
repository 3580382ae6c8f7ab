#pragma once

#include <QEvent>

#include <cstdint>

// A numbered frame message (103 to 106, WM_CLOSE) queued to the main window.
class CFrameMessageEvent : public QEvent {
public:
    CFrameMessageEvent(unsigned message, std::intptr_t wParam, std::intptr_t lParam)
        : QEvent(EventType()), m_nMessage(message), m_wParam(wParam), m_lParam(lParam) {}

    static QEvent::Type EventType() {
        static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    const unsigned m_nMessage;
    const std::intptr_t m_wParam;
    const std::intptr_t m_lParam;
};
