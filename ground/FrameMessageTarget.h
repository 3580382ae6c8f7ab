#pragma once
// The main window as worker threads reach it: numbered messages posted to it, never a call
// into a window. The GUI registers the frame as the target; without one a post is dropped.

#include <cstdint>

// Message numbers of the main window.
inline constexpr unsigned WM_CLOSE = 16;
inline constexpr unsigned WM_UPDATE_FINISHED = 103;
inline constexpr unsigned WM_TREE_PROGRESS = 104;
inline constexpr unsigned WM_LAW_PROGRESS = 105;
inline constexpr unsigned WM_LINK_PROGRESS = 106;

class CFrameMessageTarget {
public:
    virtual ~CFrameMessageTarget() = default;
    // Queues one message for the main window's thread; called from any thread.
    virtual void Post(unsigned message, std::intptr_t wParam, std::intptr_t lParam) = 0;
};

// Registers the main window (nullptr removes it). A post running on another thread finishes
// before this returns, so the old target may be destroyed right after.
void SetMainWindowTarget(CFrameMessageTarget* target);

// Posts a message to the main window from any thread; false when there is no main window.
bool PostFrameMessage(unsigned message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
