// The dialog's early start on a real LibreOffice Calc over the sample
// results folder: an idle Calc killed before the run is replaced and the
// run posts every result right; closing with an idle Calc, and killing the
// dialog while it holds one, leave no Calc, no session folder, no socket and
// no lock file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "AwaitCondition.h"
#include "CalcLockFiles.h"
#include "CalcWorkbooks.h"
#include "ChildProcess.h"
#include "ChildProcessesNamed.h"
#include "Commands.h"
#include "EarlyStartLauncher.h"
#include "ProcessResults.h"
#include "RecordingMessages.h"
#include "ResultsRun.h"
#include "ScratchFolder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const char kCalcProcess[] = "soffice.bin";
const char kSessionPrefix[] = "gombrel-calc-";

// The sample results folder of this process, made at first use and
// removed when the program ends.
const std::string &SampleFolder()
{
    static const ScratchFolder sample("early-start-sample");
    static const bool made = [] {
        std::ostringstream out, err;
        const int status = RunSampleCommand({sample / "results"}, out, err);
        EXPECT_EQ(status, 0) << err.str();
        return status == 0;
    }();
    static const std::string path = made ? sample / "results" : std::string();
    return path;
}

// The running Calc processes started by this process.
std::vector<int> OurCalcs() { return ChildProcessesNamed(CurrentProcessId(), kCalcProcess); }

// The session folders in strParent, the temporary folder of the sessions.
std::vector<std::string> SessionFolders(const std::string &strParent)
{
    std::vector<std::string> folders;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(strParent, error))
        if (entry.path().filename().string().rfind(kSessionPrefix, 0) == 0)
            folders.push_back(entry.path().string());
    return folders;
}

// The sockets a session folder says its Calc listens on.
std::vector<std::string> RecordedSockets(const std::string &strFolder)
{
    std::vector<std::string> sockets;
    std::ifstream file(fs::path(strFolder) / "sockets");
    for (std::string line; std::getline(file, line);)
        if (!line.empty())
            sockets.push_back(line);
    return sockets;
}

bool AnyExists(const std::vector<std::string> &paths)
{
    std::error_code error;
    for (const std::string &path : paths)
        if (fs::exists(path, error))
            return true;
    return false;
}

// Counts the starts of the launcher it wraps.
class CountingLauncher : public SpreadsheetLauncher {
public:
    explicit CountingLauncher(SpreadsheetLauncher &launcher) : m_launcher(launcher) {}
    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override
    {
        ++starts;
        return m_launcher.StartApplication(application, messages);
    }
    std::atomic<int> starts{0};

private:
    SpreadsheetLauncher &m_launcher;
};

// A copy of the sample results folder, and Calc sessions that keep their
// folders in a temporary folder of the test's own.
class EarlyStartOnCalc : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(SampleFolder().empty());
        fs::copy(SampleFolder(), m_results, fs::copy_options::recursive);
        fs::create_directories(m_temp);
    }

    static CalcOptions OptionsIn(const std::string &strTempFolder)
    {
        CalcOptions options;
        options.strTempFolder = strTempFolder;
        return options;
    }

    // A run as the dialog makes it, with confirmation.
    int32_t Run(SpreadsheetLauncher &launcher, RecordingMessages &user, std::string &strErrorText)
    {
        BoundResultLibrary library;
        RunServices services{{user}, launcher, library.Binder()};
        return ProcessResults(strErrorText, m_scratch.Path(), m_results, 1, services);
    }

    // gombrel-cli verify over the results: 0 when every cell holds what
    // the results give.
    int Verify()
    {
        return RunVerifyCommand({"--doe2", m_scratch.Path(), "--results", m_results}, m_verifyOut, m_verifyOut);
    }

    ScratchFolder m_scratch;
    std::string m_results = m_scratch / "results";
    std::string m_temp = m_scratch / "temp";
    CalcLauncher m_calc{OptionsIn(m_temp)};
    std::ostringstream m_verifyOut;
};

TEST_F(EarlyStartOnCalc, IdleCalcKilledBeforeTheRunIsReplacedAndEveryResultIsPosted)
{
    CountingLauncher counting(m_calc);
    EarlyStartLauncher early(counting);
    early.StartEarly();
    ASSERT_TRUE(early.WaitForEarlyStart());
    const std::vector<int> idle = OurCalcs();
    ASSERT_EQ(idle.size(), 1u);
    KillChild(idle.front());
    ASSERT_TRUE(AwaitEndLeavingItUnreaped(idle.front(), 30s));

    RecordingMessages user;
    std::string errorText;
    EXPECT_GT(Run(early, user, errorText), 0);
    EXPECT_EQ(errorText, "");
    EXPECT_TRUE(user.shown.empty()) << user.shown.front();
    EXPECT_EQ(counting.starts, 2);
    EXPECT_TRUE(OurCalcs().empty());
    EXPECT_TRUE(SessionFolders(m_temp).empty()) << "the killed session's files are left";
    EXPECT_EQ(Verify(), 0) << m_verifyOut.str();
}

// What the dialog does from opening to closing: an early start, a run
// pressed for perhaps before it is ready, the early start after the run,
// then closing with that Calc idle.
TEST_F(EarlyStartOnCalc, ClosingWithAnIdleCalcLeavesNoProcessFolderSocketOrLockFile)
{
    std::vector<int> idle;
    std::vector<std::string> sockets;
    {
        EarlyStartLauncher early(m_calc);
        early.StartEarly();
        RecordingMessages user;
        std::string errorText;
        EXPECT_GT(Run(early, user, errorText), 0);
        early.StartEarly();
        ASSERT_TRUE(early.WaitForEarlyStart());
        idle = OurCalcs();
        ASSERT_EQ(idle.size(), 1u);
        const std::vector<std::string> folders = SessionFolders(m_temp);
        ASSERT_EQ(folders.size(), 1u);
        sockets = RecordedSockets(folders.front());
        EXPECT_FALSE(sockets.empty());
    }
    EXPECT_FALSE(ProcessRunning(idle.front()));
    EXPECT_TRUE(OurCalcs().empty());
    EXPECT_TRUE(SessionFolders(m_temp).empty());
    EXPECT_FALSE(AnyExists(sockets));
    EXPECT_TRUE(LockFilesIn(m_results).empty());
}

#ifdef GOMBREL_DIALOG_PROGRAM
// The dialog program itself, killed outright while its early Calc sits idle.
TEST_F(EarlyStartOnCalc, KilledDialogLeavesNoCalcFolderOrSocket)
{
    const std::string runtime = m_scratch / "runtime";  // Qt wants one only its owner may enter
    fs::create_directories(runtime);
    chmod(runtime.c_str(), 0700);
    std::string failure;
    const int dialog = StartTiedChild({GOMBREL_DIALOG_PROGRAM,
                                       {},
                                       {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime, "TMPDIR=" + m_temp},
                                       m_scratch / "dialog.out"},
                                      failure);
    ASSERT_GT(dialog, 0) << failure;
    std::vector<int> calcs;
    std::vector<std::string> sockets;
    const bool ready = AwaitCondition(
        [&] {
            calcs = ChildProcessesNamed(dialog, kCalcProcess);
            const std::vector<std::string> folders = SessionFolders(m_temp);
            sockets = folders.size() == 1 ? RecordedSockets(folders.front()) : std::vector<std::string>();
            return calcs.size() == 1 && !sockets.empty();
        },
        120s);
    KillChild(dialog);
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(dialog, 30s, exitCode));
    ASSERT_TRUE(ready) << "the dialog's Calc never got ready (is StartCalcEarly off beside the program?): "
                       << ReadWholeFile(m_scratch / "dialog.out");
    EXPECT_TRUE(AwaitCondition(
        [&] { return !ProcessRunning(calcs.front()) && SessionFolders(m_temp).empty() && !AnyExists(sockets); }, 30s))
        << "left: Calc " << ProcessRunning(calcs.front()) << ", folders " << SessionFolders(m_temp).size()
        << ", sockets " << AnyExists(sockets);
}
#endif

}  // namespace
