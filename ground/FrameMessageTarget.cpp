#include "ground/FrameMessageTarget.h"

#include <mutex>

namespace {

std::mutex g_targetMutex;
// The main window, as the frame registered it.
CFrameMessageTarget* g_hMainWnd = nullptr;

} // namespace

void SetMainWindowTarget(CFrameMessageTarget* target) {
    std::lock_guard lock(g_targetMutex);
    g_hMainWnd = target;
}

bool PostFrameMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {
    std::lock_guard lock(g_targetMutex);
    if (!g_hMainWnd)
        return false;
    g_hMainWnd->Post(message, wParam, lParam);
    return true;
}
