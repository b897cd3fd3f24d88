// Whatever a Calc session leaves behind goes also when this program is
// killed outright and cannot remove it itself.  A helper process,
// gombrel-calc-cleanup (CalcCleanupMain.cpp), not tied to this program,
// waits for it to end, then for the session's Calc (killed with it), and
// removes the session's files as the session would (RemoveSession).  The
// helper sees the end of this program as the end of a pipe that only this
// program holds open.  Without the helper (not found) the next session's
// sweep (SweepStaleSessions) removes what is left.
#pragma once

#include <string>

// Name of the helper program, looked for beside the running program, then
// in the installed library folder.
extern const char kCleanupProgram[];  // "gombrel-calc-cleanup"

class SessionCleanup {
public:
    SessionCleanup() = default;
    ~SessionCleanup() { Stop(); }
    SessionCleanup(const SessionCleanup &) = delete;
    SessionCleanup &operator=(const SessionCleanup &) = delete;

    // Starts the helper for the session folder strFolder.
    void Start(const std::string &strFolder);
    // Tells the helper the process id of the session's Calc.
    void NoteCalc(int iProcessId);
    // The session has removed its files: the helper ends, and is waited for.
    void Stop();

private:
    int m_iPipe = -1;    // the end this program writes
    int m_iHelper = -1;  // the helper's process id
};
