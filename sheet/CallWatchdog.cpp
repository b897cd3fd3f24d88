#include "CallWatchdog.h"

CallWatchdog::CallWatchdog(std::function<void()> onExpiry)
    : m_onExpiry(std::move(onExpiry)), m_thread([this] { Watch(); })
{
}

CallWatchdog::~CallWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CallWatchdog::Arm(std::chrono::milliseconds limit)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deadline = std::chrono::steady_clock::now() + limit;
        m_bArmed = true;
        m_bFired = false;
    }
    m_changed.notify_all();
}

bool CallWatchdog::Disarm()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bArmed = false;
    return m_bFired;
}

// Sleeps until armed, then until the deadline or a disarm; the action runs
// under the lock, so Disarm never returns while it is still running.
void CallWatchdog::Watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bStopping) {
        if (!m_bArmed) {
            m_changed.wait(lock);
            continue;
        }
        if (m_changed.wait_until(lock, m_deadline) == std::cv_status::timeout && m_bArmed && !m_bFired &&
            std::chrono::steady_clock::now() >= m_deadline) {
            m_bFired = true;
            m_onExpiry();
        }
        if (m_bFired)
            m_changed.wait(lock, [this] { return m_bStopping || !m_bArmed || !m_bFired; });
    }
}
