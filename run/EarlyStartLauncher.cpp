#include "EarlyStartLauncher.h"

#include <system_error>

namespace {

// Nobody is waiting for an early start, so nothing it would say is shown;
// should it fail, the run's own start says it.
class UnseenMessages : public UserMessages {
public:
    void ShowMessage(const std::string &, const std::string &) override {}
    bool AskRetry(const std::string &, const std::string &) override { return false; }
};

// Ends an application that nobody will use; one that has gone already
// leaves only its files, which ending removes.
void EndUnused(std::unique_ptr<Application> pApplication)
{
    DispatchHolder<Application> unused;
    unused.Attach(std::move(pApplication));
    EndApplication(unused);
}

}  // namespace

EarlyStartLauncher::~EarlyStartLauncher()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void EarlyStartLauncher::StartEarly()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bStartWanted || !m_started.IsEmpty())
            return;
        if (!m_worker.joinable() && !MakeWorker())
            return;
        m_bStartWanted = true;
    }
    m_changed.notify_all();
}

// False when the system has no thread to spare: the run then starts its
// application itself, as without an early start.
bool EarlyStartLauncher::MakeWorker()
{
    try {
        m_worker = std::thread([this] { Work(); });
        return true;
    } catch (const std::system_error &) {
        return false;
    }
}

bool EarlyStartLauncher::WaitForEarlyStart()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_bStartWanted; });
    return !m_started.IsEmpty();
}

bool EarlyStartLauncher::StartApplication(DispatchHolder<Application> &application, UserMessages &messages)
{
    std::unique_ptr<Application> started = TakeStarted();
    if (started && ApplicationAnswers(*started)) {
        application.Attach(std::move(started));
        return true;
    }
    if (started)
        EndUnused(std::move(started));
    return m_inner.StartApplication(application, messages);
}

// Waits for the start under way to finish and takes what it started.
std::unique_ptr<Application> EarlyStartLauncher::TakeStarted()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_bStartWanted; });
    return m_started.Detach();
}

// Makes each start asked for, outside the lock, until this object goes
// (a start asked for before is still made); then ends the application
// nobody took, on the thread that started it (the
// thread that destroys this object may not call it: a dialog's).
void EarlyStartLauncher::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_bStopping || m_bStartWanted; });
        if (m_bStopping && !m_bStartWanted) {
            std::unique_ptr<Application> idle = m_started.Detach();
            lock.unlock();
            if (idle)
                EndUnused(std::move(idle));
            return;
        }
        lock.unlock();
        DispatchHolder<Application> started;
        UnseenMessages unseen;
        m_inner.StartApplication(started, unseen);
        lock.lock();
        m_started.Attach(started.Detach());
        m_bStartWanted = false;
        m_changed.notify_all();
    }
}
