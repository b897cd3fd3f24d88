// Several results folders posted through LibreOffice Calc by two jobs, each
// keeping its Calc from folder to folder: every folder ends up with what a
// run of its own posts there, down to the values read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CommandOutput.h"
#include "Commands.h"
#include "RunCli.h"
#include "ScratchFolder.h"
#include "Settings.h"
#include "SpreadsheetBackend.h"

namespace fs = std::filesystem;

namespace {

// The posting log of strFolder with the folder's name taken out, so that
// logs of different folders compare.
std::string LogWithoutFolder(const std::string &strFolder)
{
    std::string log = ReadWholeFile(strFolder + "/GombrelApp Dbg.txt");
    for (size_t at = log.find(strFolder); at != std::string::npos; at = log.find(strFolder, at))
        log.replace(at, strFolder.size(), "FOLDER");
    return log;
}

class CliRunFoldersOnCalc : public ::testing::Test {
protected:
    Outcome Run(const Arguments &args)
    {
        std::istringstream in;
        std::ostringstream out, err;
        RunConsole console{in, out, err, false, false};
        RunBackends backends{*m_launcher, m_library.Binder(), m_clock, m_settings};
        const int status = RunResultsCommand(args, console, backends);
        return {status, out.str(), err.str()};
    }

    ScratchFolder m_scratch;
    SettingsFile m_settings{m_scratch / "gombrel.ini"};
    std::unique_ptr<SpreadsheetLauncher> m_launcher = MakeSpreadsheetLauncher();
    BoundResultLibrary m_library;
    SteadyStopwatch m_clock;
};

TEST_F(CliRunFoldersOnCalc, EveryFolderHoldsWhatASingleRunPosts)
{
    const std::string sample = m_scratch / "sample";
    std::ostringstream out, err;
    ASSERT_EQ(RunSampleCommand({sample}, out, err), 0) << err.str();
    const std::vector<std::string> folders = {m_scratch / "single", m_scratch / "a", m_scratch / "b", m_scratch / "c"};
    for (const std::string &folder : folders)
        fs::copy(sample, folder, fs::copy_options::recursive);

    const Outcome single = Run({"--doe2", sample, "--results", folders[0], "--check", "--log"});
    ASSERT_EQ(single.status, 0) << single.out << single.err;
    const Outcome many = Run({"--doe2", sample, "--results", folders[1], "--results", folders[2], "--results",
                              folders[3], "--jobs", "2", "--check", "--log"});
    EXPECT_EQ(many.status, 0) << many.out << many.err;
    EXPECT_EQ(many.err, "");
    const std::vector<std::string> lines = SplitLines(many.out);
    ASSERT_EQ(lines.size(), 4u) << many.out;
    const std::string count = single.out.substr(0, single.out.find(' '));
    for (size_t i = 1; i < folders.size(); ++i) {
        EXPECT_EQ(lines[i - 1].rfind(folders[i] + ": " + count + " results successfully posted", 0), 0u) << lines[i - 1];
        EXPECT_EQ(LogWithoutFolder(folders[i]), LogWithoutFolder(folders[0])) << folders[i];
    }
}

}  // namespace
