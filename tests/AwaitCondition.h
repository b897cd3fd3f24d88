// Waits of the tests on what other processes bring about (a child ending,
// a program taking its name, a file written), with deadlines.  Linux only,
// as are the tests that start processes.
#pragma once

#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <thread>

// Looks at done() until it holds, for at most limit; done()'s last answer.
// Between looks the test waits a millisecond off the processor: the
// processes it waits for need it, and a machine running the tests may have
// no more than two cores.
inline bool AwaitCondition(const std::function<bool()> &done, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// True once the child has ended in full (all its threads, so that waiting
// for it would now return), without reaping it: it is left as a zombie for
// whoever is to notice.  Until then its main thread may already show as
// ended.  False when it still runs at the deadline.
inline bool AwaitEndLeavingItUnreaped(int iChild, std::chrono::seconds limit)
{
    return AwaitCondition(
        [iChild] {
            siginfo_t info{};
            return waitid(P_PID, iChild, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == iChild;
        },
        limit);
}
