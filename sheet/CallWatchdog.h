// A deadline over one blocking call at a time: when the call is still
// running at its deadline, the watchdog's action runs (on the watchdog's own
// thread), for example killing the process the call waits for.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CallWatchdog {
public:
    explicit CallWatchdog(std::function<void()> onExpiry);
    ~CallWatchdog();
    CallWatchdog(const CallWatchdog &) = delete;
    CallWatchdog &operator=(const CallWatchdog &) = delete;

    // Starts watching a call that must end within limit.
    void Arm(std::chrono::milliseconds limit);
    // Stops watching; true when the deadline passed (and the action ran)
    // since Arm.
    bool Disarm();

private:
    void Watch();

    std::function<void()> m_onExpiry;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_bArmed = false;
    bool m_bFired = false;
    bool m_bStopping = false;
    std::thread m_thread;
};

// Arms a watchdog for the life of a scope.
class WatchedCall {
public:
    WatchedCall(CallWatchdog &watchdog, std::chrono::milliseconds limit) : m_watchdog(watchdog) { watchdog.Arm(limit); }
    ~WatchedCall() { m_watchdog.Disarm(); }
    WatchedCall(const WatchedCall &) = delete;
    WatchedCall &operator=(const WatchedCall &) = delete;

    // Ends the watch early; true when the deadline had passed.
    bool Finish() { return m_watchdog.Disarm(); }

private:
    CallWatchdog &m_watchdog;
};
