#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

extern char **environ;

namespace {

// This process's environment with launch's variables added, a variable of
// the same name replaced.
std::vector<std::string> ChildEnvironment(const std::vector<std::string> &additions)
{
    std::vector<std::string> environment;
    for (char **variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string &addition : additions)
            replaced = replaced || addition.compare(0, name.size(), name) == 0;
        if (!replaced)
            environment.push_back(entry);
    }
    environment.insert(environment.end(), additions.begin(), additions.end());
    return environment;
}

std::vector<char *> PointerArray(std::vector<std::string> &texts)
{
    std::vector<char *> pointers;
    for (std::string &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// How the child is tied to this program and what it reads.
struct ChildTies {
    pid_t parent = 0;  // 0: not tied, in a session of its own
    int inputFd = -1;  // -1: nothing (/dev/null)
};

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void BecomeChild(const ChildTies &ties, int outputFd, char *const *argv, char *const *envp)
{
    if (ties.parent != 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != ties.parent)
            _exit(127);
    } else {
        setsid();
    }
    dup2(outputFd, STDOUT_FILENO);
    dup2(outputFd, STDERR_FILENO);
    const int inputFd = ties.inputFd >= 0 ? ties.inputFd : open("/dev/null", O_RDONLY);
    if (inputFd >= 0)
        dup2(inputFd, STDIN_FILENO);
    syscall(SYS_close_range, 3u, ~0u, 0u);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    execve(argv[0], argv, envp);
    _exit(127);
}

int OpenOutput(const std::string &strOutputFile)
{
    if (strOutputFile.empty())
        return open("/dev/null", O_WRONLY | O_CLOEXEC);
    return open(strOutputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

int ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 0;
}

// The inode numbers of the sockets among a process's open files.
std::set<std::string> SocketInodes(int iProcessId)
{
    std::set<std::string> inodes;
    std::error_code error;
    const std::string folder = "/proc/" + std::to_string(iProcessId) + "/fd";
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code linkError;
        const std::string target = std::filesystem::read_symlink(entry.path(), linkError).string();
        if (!linkError && target.rfind("socket:[", 0) == 0)
            inodes.insert(target.substr(8, target.size() - 9));
    }
    return inodes;
}

// From the text of /proc/PID/stat, the program name (between the first '('
// and the last ')', since the name itself may hold either), the state letter
// and the parent id; false for a text of another shape.
bool ParseProcessStat(const std::string &strStat, std::string &strName, char &cState, int &iParentId)
{
    const size_t open = strStat.find('(');
    const size_t close = strStat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return false;
    strName = strStat.substr(open + 1, close - open - 1);
    std::istringstream rest(strStat.substr(close + 1));
    return static_cast<bool>(rest >> cState >> iParentId);
}

int StartChild(const ChildProcessLaunch &launch, ChildTies ties, std::string &strFailure)
{
    std::vector<std::string> arguments{launch.strProgram};
    arguments.insert(arguments.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<std::string> environment = ChildEnvironment(launch.environment);
    const std::vector<char *> argv = PointerArray(arguments);
    const std::vector<char *> envp = PointerArray(environment);
    const int outputFd = OpenOutput(launch.strOutputFile);
    if (outputFd < 0) {
        strFailure = "cannot open " + launch.strOutputFile + ": " + std::strerror(errno);
        return -1;
    }
    const pid_t child = fork();
    if (child == 0)
        BecomeChild(ties, outputFd, argv.data(), envp.data());
    const int forkError = errno;
    close(outputFd);
    if (child < 0) {
        strFailure = std::string("cannot start ") + launch.strProgram + ": " + std::strerror(forkError);
        return -1;
    }
    return child;
}

}  // namespace

int StartTiedChild(const ChildProcessLaunch &launch, std::string &strFailure)
{
    return StartChild(launch, {getpid(), -1}, strFailure);
}

int StartUntiedChild(const ChildProcessLaunch &launch, int iInputFd, std::string &strFailure)
{
    return StartChild(launch, {0, iInputFd}, strFailure);
}

bool WaitForChild(int iProcessId, std::chrono::milliseconds timeout, int &iExitCode)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(iProcessId, &status, WNOHANG);
        if (ended == iProcessId) {
            iExitCode = ExitCodeOf(status);
            return true;
        }
        if (ended < 0 && errno == ECHILD) {
            iExitCode = -1;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void KillChild(int iProcessId)
{
    if (iProcessId > 0)
        kill(iProcessId, SIGKILL);
}

bool ProcessExists(int iProcessId)
{
    return iProcessId > 0 && (kill(iProcessId, 0) == 0 || errno == EPERM);
}

bool ProcessRunning(int iProcessId)
{
    ProcessStatus status;
    return ReadProcessStatus(iProcessId, status) && status.cState != 'Z' && status.cState != 'X';
}

bool ReadProcessStatus(int iProcessId, ProcessStatus &status)
{
    if (iProcessId <= 0)
        return false;
    std::ifstream file("/proc/" + std::to_string(iProcessId) + "/stat");
    std::string stat;
    return std::getline(file, stat) && ParseProcessStat(stat, status.strName, status.cState, status.iParentId);
}

void IgnoreBrokenPipeSignal() { signal(SIGPIPE, SIG_IGN); }

int CurrentProcessId() { return getpid(); }

std::vector<std::string> LocalSocketPaths(int iProcessId)
{
    const std::set<std::string> inodes = SocketInodes(iProcessId);
    std::vector<std::string> paths;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, refCount, protocol, flags, type, state, inode, path;
        fields >> slot >> refCount >> protocol >> flags >> type >> state >> inode >> path;
        if (!path.empty() && path[0] == '/' && inodes.count(inode))
            paths.push_back(path);
    }
    return paths;
}
