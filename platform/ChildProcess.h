// Child processes that must never outlive this program: started with their
// own environment additions, tied to this process's life, waited for with a
// deadline and killed when they do not end.
#pragma once

#include <chrono>
#include <string>
#include <vector>

// What to start: the program (an absolute path; it is also the child's
// argv[0], which some programs use to find their installation), its
// arguments, variables (NAME=value) added to or replacing this process's
// environment, and a file that receives the child's standard output and
// error (empty: discarded).
struct ChildProcessLaunch {
    std::string strProgram;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::string strOutputFile;
};

// Starts the child; it is killed by the system when the thread that started
// it ends, so start it from the thread that lives as long as the program.
// Returns its process id, or -1 with strFailure set.
int StartTiedChild(const ChildProcessLaunch &launch, std::string &strFailure);

// Starts a child that is not tied to this program: it goes on when this
// program ends, however it ends (in a session of its own, so that a
// terminal's interrupt does not reach it either).  Its standard input is
// iInputFd, of which this process keeps its own copy.  Returns its process
// id, or -1 with strFailure set.
int StartUntiedChild(const ChildProcessLaunch &launch, int iInputFd, std::string &strFailure);

// True when the child has ended (it is then reaped, and iExitCode holds its
// exit code, or 128 + signal number when a signal ended it).  Waits up to
// timeout; a zero timeout only looks.
bool WaitForChild(int iProcessId, std::chrono::milliseconds timeout, int &iExitCode);

// Sends the child the kill signal (it cannot be caught); the caller still
// waits for it.
void KillChild(int iProcessId);

// True while a process with this id exists (a child not yet reaped counts).
bool ProcessExists(int iProcessId);

// True while a process with this id exists and has not ended: one that has
// ended and is not yet reaped (by whichever parent it has now) does not
// count.
bool ProcessRunning(int iProcessId);

// Makes writing to a connection whose other end has died fail with an
// error instead of ending this program (the default for a broken pipe).
// Children started afterwards still get the default.
void IgnoreBrokenPipeSignal();

// This process's id.
int CurrentProcessId();

// What the system tells of a process: its program name (at most 15
// characters), its state letter ('Z' or 'X' once it has ended) and its
// parent's id.
struct ProcessStatus {
    std::string strName;
    char cState = 'Z';
    int iParentId = 0;
};

// The status of process iProcessId; false when there is no such process or
// the system cannot tell.
bool ReadProcessStatus(int iProcessId, ProcessStatus &status);

// The file-system paths of the local sockets that process iProcessId holds
// open (empty when the system cannot tell).
std::vector<std::string> LocalSocketPaths(int iProcessId);
