#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event that threads signal and test: manual reset (stays signalled until Reset) or
// automatic reset (a successful wait or TryConsume takes the signal).
class CSyncEvent {
public:
    explicit CSyncEvent(bool manualReset) : m_bManualReset(manualReset) {}
    CSyncEvent(const CSyncEvent&) = delete;
    CSyncEvent& operator=(const CSyncEvent&) = delete;

    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_bSignalled = true;
        }
        m_cv.notify_all();
    }
    void Reset() {
        std::lock_guard lock(m_mutex);
        m_bSignalled = false;
    }
    // Tests without waiting; an automatic-reset event is reset by a successful test.
    bool TryConsume() {
        std::lock_guard lock(m_mutex);
        return TakeLocked();
    }
    // Tests without waiting and never resets.
    bool IsSet() const {
        std::lock_guard lock(m_mutex);
        return m_bSignalled;
    }
    // Waits up to `timeout` for the signal; true when it came.
    template <class Rep, class Period> bool Wait(std::chrono::duration<Rep, Period> timeout) {
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_for(lock, timeout, [this] { return m_bSignalled; }))
            return false;
        return TakeLocked();
    }

private:
    bool TakeLocked() {
        if (!m_bSignalled)
            return false;
        if (!m_bManualReset)
            m_bSignalled = false;
        return true;
    }

    const bool m_bManualReset;
    bool m_bSignalled = false;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
};
