#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AwaitCondition.h"
#include "ChildProcess.h"
#include "ChildProcessesNamed.h"
#include "ScratchFolder.h"

namespace {

using namespace std::chrono_literals;

int StartShell(const std::string &strScript, const std::vector<std::string> &environment = {},
               const std::string &strOutput = "")
{
    std::string failure;
    const int child = StartTiedChild({"/bin/sh", {"-c", strScript}, environment, strOutput}, failure);
    EXPECT_GT(child, 0) << failure;
    return child;
}

std::string ReadAll(const std::string &strPath)
{
    std::ifstream file(strPath);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

TEST(StartTiedChild, RunsTheProgramWithItsArgumentsAndReportsTheExitCode)
{
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(StartShell("exit 81"), 10s, exitCode));
    EXPECT_EQ(exitCode, 81);
}

TEST(StartTiedChild, AddsAndReplacesEnvironmentVariablesAndCapturesOutput)
{
    ScratchFolder folder;
    const std::string output = folder / "out.txt";
    int exitCode = -1;
    ASSERT_TRUE(WaitForChild(StartShell("echo \"$GOMBREL_A $HOME\"; echo oops >&2", {"GOMBREL_A=1", "HOME=/nowhere"}, output),
                             10s, exitCode));
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(ReadAll(output), "1 /nowhere\noops\n");
}

TEST(StartTiedChild, ReportsAProgramThatCannotRun)
{
    std::string failure;
    const int child = StartTiedChild({"/nonexistent/program", {}, {}, ""}, failure);
    ASSERT_GT(child, 0);
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(child, 10s, exitCode));
    EXPECT_EQ(exitCode, 127);
}

TEST(StartTiedChild, RefusesAnOutputFileItCannotOpen)
{
    std::string failure;
    EXPECT_EQ(StartTiedChild({"/bin/true", {}, {}, "/nonexistent/folder/out.txt"}, failure), -1);
    EXPECT_THAT(failure, testing::HasSubstr("/nonexistent/folder/out.txt"));
}

TEST(WaitForChild, GivesUpAtTheDeadlineAndKillChildEndsIt)
{
    const int child = StartShell("exec sleep 60");
    int exitCode = 0;
    EXPECT_FALSE(WaitForChild(child, 0ms, exitCode));
    EXPECT_TRUE(ProcessExists(child));
    KillChild(child);
    ASSERT_TRUE(WaitForChild(child, 10s, exitCode));
    EXPECT_EQ(exitCode, 128 + 9);
    EXPECT_FALSE(ProcessExists(child));
}

TEST(ProcessExists, KnowsThisProcessAndNoImpossibleOne)
{
    EXPECT_TRUE(ProcessExists(CurrentProcessId()));
    EXPECT_FALSE(ProcessExists(-1));
    EXPECT_FALSE(ProcessExists(0));
}

TEST(LocalSocketPaths, FindsNothingForAProcessWithoutSockets)
{
    const int child = StartShell("exec sleep 60");
    EXPECT_THAT(LocalSocketPaths(child), testing::IsEmpty());
    EXPECT_THAT(LocalSocketPaths(-1), testing::IsEmpty());
    KillChild(child);
    int exitCode = 0;
    WaitForChild(child, 10s, exitCode);
}

TEST(StartTiedChild, TheChildDiesWithTheProcessThatStartedIt)
{
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t starter = fork();
    ASSERT_GE(starter, 0);
    if (starter == 0) {
        std::string failure;
        const int child = StartTiedChild({"/bin/sh", {"-c", "exec sleep 60"}, {}, ""}, failure);
        const ssize_t written = write(channel[1], &child, sizeof child);
        _exit(written == sizeof child ? 0 : 1);
    }
    int child = 0;
    ASSERT_EQ(read(channel[0], &child, sizeof child), static_cast<ssize_t>(sizeof child));
    close(channel[0]);
    close(channel[1]);
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(starter, 10s, exitCode));
    // The orphan is no child of ours, and whoever inherits it may never
    // reap it: an ended one is left as a zombie, which still exists.
    EXPECT_TRUE(AwaitCondition([child] { return !ProcessRunning(child); }, 10s));
}

// The untied child reads what the starter wrote, sees its input end when the
// starter dies (nobody else holds the pipe), and goes on after that.
TEST(StartUntiedChild, OutlivesItsStarterAndReadsItsInputUntilTheStarterEnds)
{
    ScratchFolder folder;
    const std::string output = folder / "out.txt";
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t starter = fork();
    ASSERT_GE(starter, 0);
    if (starter == 0) {
        int input[2];
        std::string failure;
        const int child = pipe2(input, O_CLOEXEC) == 0
                              ? StartUntiedChild({"/bin/sh", {"-c", "cat; echo ended"}, {}, output}, input[0], failure)
                              : -1;
        const bool told = write(input[1], "hello\n", 6) == 6 && write(channel[1], &child, sizeof child) == sizeof child;
        _exit(told ? 0 : 1);
    }
    int child = 0;
    ASSERT_EQ(read(channel[0], &child, sizeof child), static_cast<ssize_t>(sizeof child));
    close(channel[0]);
    close(channel[1]);
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(starter, 10s, exitCode));
    EXPECT_EQ(exitCode, 0);
    ASSERT_GT(child, 0);
    AwaitCondition([&] { return !ProcessRunning(child) && ReadAll(output) == "hello\nended\n"; }, 10s);
    EXPECT_EQ(ReadAll(output), "hello\nended\n");
    EXPECT_FALSE(ProcessRunning(child)) << "an ended child, reaped or not, is no longer running";
    EXPECT_TRUE(ProcessRunning(CurrentProcessId()));
}

TEST(IgnoreBrokenPipeSignal, WritingToAClosedPipeFailsInsteadOfEndingTheProgram)
{
    IgnoreBrokenPipeSignal();
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    close(channel[0]);
    errno = 0;
    EXPECT_EQ(write(channel[1], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
    close(channel[1]);
}

TEST(IgnoreBrokenPipeSignal, ChildrenStillGetTheDefault)
{
    IgnoreBrokenPipeSignal();
    ScratchFolder folder;
    const std::string output = folder / "status.txt";
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(StartShell("exec grep SigIgn /proc/self/status", {}, output), 10s, exitCode));
    const std::string line = ReadAll(output);
    ASSERT_EQ(line.rfind("SigIgn:", 0), 0u) << line;
    const unsigned long long ignored = std::stoull(line.substr(7), nullptr, 16);
    EXPECT_EQ(ignored & (1ull << (SIGPIPE - 1)), 0u);
}

TEST(ChildProcessesNamed, FindsARunningChildByNameAndForgetsItOnceEnded)
{
    const int child = StartShell("exec sleep 60");
    // The shell replaces itself by sleep; look until it has.
    AwaitCondition([] { return !ChildProcessesNamed(CurrentProcessId(), "sleep").empty(); }, 10s);
    EXPECT_THAT(ChildProcessesNamed(CurrentProcessId(), "sleep"), testing::ElementsAre(child));
    EXPECT_THAT(ChildProcessesNamed(CurrentProcessId(), "no-such-name"), testing::IsEmpty());
    EXPECT_THAT(ChildProcessesNamed(child, "sleep"), testing::IsEmpty());
    KillChild(child);
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(child, 10s, exitCode));
    EXPECT_THAT(ChildProcessesNamed(CurrentProcessId(), "sleep"), testing::IsEmpty());
}

TEST(ChildProcessesNamed, CountsNoEndedChildThatIsNotYetReaped)
{
    const int child = StartShell("exit 0");
    // Until it has become sh the child bears this program's name, so an empty
    // list of "sh" children proves nothing: wait for its very end instead.
    ASSERT_TRUE(AwaitEndLeavingItUnreaped(child, 10s));
    EXPECT_TRUE(ProcessExists(child));
    EXPECT_THAT(ChildProcessesNamed(CurrentProcessId(), "sh"), testing::IsEmpty());
    int exitCode = -1;
    ASSERT_TRUE(WaitForChild(child, 10s, exitCode));
    EXPECT_EQ(exitCode, 0) << "the child ended before it became sh";
}
