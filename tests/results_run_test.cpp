#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "DynamicLibrary.h"
#include "Paths.h"
#include "ProgramPath.h"
#include "ResultsRun.h"
#include "ScratchFolder.h"
#include "Settings.h"

namespace {

using namespace std::chrono_literals;

// A clock that moves only when told, plus a fixed step at every reading:
// what reading it costs.
class HandClock : public Stopwatch {
public:
    std::chrono::nanoseconds now{1000s};
    std::chrono::nanoseconds stepPerReading{0};

    std::chrono::nanoseconds Now() override
    {
        now += stepPerReading;
        return now;
    }
};

// Settings in a scratch folder that also serves as both run folders.
class ResultsRun : public ::testing::Test {
protected:
    // A job that takes dSeconds on the hand clock and returns iResult with
    // strErrorText, recording what it was given.
    ResultsJob Job(std::chrono::nanoseconds elapsed, int32_t iResult, std::string strErrorText = "")
    {
        return [=](std::string &errorText, const std::string &doe2, const std::string &results, int32_t iCheck) {
            m_jobCalls.push_back(doe2 + "|" + results + "|" + std::to_string(iCheck) + "|" + errorText);
            m_clock.now += elapsed;
            errorText = strErrorText;
            return iResult;
        };
    }

    ScratchFolder m_scratch;
    SettingsFile m_settings{m_scratch / "gombrel.ini"};
    HandClock m_clock;
    std::vector<std::string> m_jobCalls;
};

TEST_F(ResultsRun, FolderExistsOnlyForFolders)
{
    WriteWholeFile(m_scratch / "file", "x");
    const std::string folder = m_scratch.Path();
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(FolderExists(folder + "/"));
    EXPECT_TRUE(FolderExists(folder + "\\"));
    EXPECT_FALSE(FolderExists(""));
    EXPECT_FALSE(FolderExists(m_scratch / "file"));
    EXPECT_FALSE(FolderExists(m_scratch / "missing"));
    // A name the system does not take as the folder (on Linux, trailing
    // blanks make another name; Windows drops them) passes the check only
    // when the files below it are reached through it as well.
    EXPECT_EQ(FolderExists(folder + " "), std::filesystem::exists(folder + " " + NativeSeparator() + "file"));
}

TEST_F(ResultsRun, BothFieldsEmptyTellsOnlyTheDoe2Path)
{
    EXPECT_EQ(FolderCheckMessage("", ""), "ERROR:  DOE-2 path doesn't exist:\n   ");
}

TEST_F(ResultsRun, ResultsPathNamingAFileIsRefused)
{
    WriteWholeFile(m_scratch / "results.txt", "x");
    EXPECT_EQ(FolderCheckMessage(m_scratch.Path(), m_scratch / "results.txt"),
              "ERROR:  Results path doesn't exist:\n   " + (m_scratch / "results.txt"));
    EXPECT_EQ(FolderCheckMessage(m_scratch.Path(), m_scratch.Path()), "");
}

TEST_F(ResultsRun, FailedFolderCheckNeitherSavesNorRuns)
{
    const RunCommandOutcome outcome = ExecuteRunCommand({m_scratch / "missing", m_scratch.Path(), true}, m_settings,
                                                        Job(1s, 10), m_clock);
    EXPECT_FALSE(outcome.bRan);
    EXPECT_EQ(outcome.strMessage, "ERROR:  DOE-2 path doesn't exist:\n   " + (m_scratch / "missing"));
    EXPECT_TRUE(m_jobCalls.empty());
    EXPECT_FALSE(std::filesystem::exists(m_settings.Path()));
}

TEST_F(ResultsRun, SavesSettingsInOrderThenRunsTheJob)
{
    std::vector<bool> busy;
    const std::string folder = m_scratch.Path();
    const RunCommandOutcome outcome =
        ExecuteRunCommand({folder, folder + "/", false}, m_settings, Job(12340ms, 412), m_clock,
                          [&](bool bBusy) { busy.push_back(bBusy); });
    EXPECT_TRUE(outcome.bRan);
    EXPECT_EQ(outcome.iResult, 412);
    EXPECT_EQ(outcome.strMessage, "412 results successfully posted to XLS file(s) (12.3 seconds elapsed).");
    EXPECT_EQ(m_jobCalls, std::vector<std::string>{folder + "|" + folder + "/|0|"});
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(ReadWholeFile(m_settings.Path()), "[paths]\nLastDOE2Path=" + folder + "\nLastResultsPath=" + folder +
                                                    "/\n[preferences]\nCheckPostedValues=0\n");
}

TEST_F(ResultsRun, SettingsAreSavedWhateverTheOutcome)
{
    const RunCommandOutcome outcome =
        ExecuteRunCommand({m_scratch.Path(), m_scratch.Path(), true}, m_settings, Job(1s, -1, "no spreadsheet"), m_clock);
    EXPECT_EQ(outcome.strMessage, "Results not posted to XLS file(s):\n   no spreadsheet");
    EXPECT_TRUE(ReadCheckPostedSetting(m_settings));
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 7), 1);
}

// A run of exactly 90 seconds is told in seconds, one a hair longer in
// minutes: what reading the clock costs must not push a run over.
TEST_F(ResultsRun, FinalMessageTellsTheJobsTimeWithoutTheCostOfReadingTheClock)
{
    m_clock.stepPerReading = 40ms;
    const std::string folder = m_scratch.Path();
    EXPECT_EQ(ExecuteRunCommand({folder, folder, true}, m_settings, Job(90s, 5), m_clock).strMessage,
              "5 results successfully posted to XLS file(s) (90.0 seconds elapsed).");
    EXPECT_EQ(ExecuteRunCommand({folder, folder, true}, m_settings, Job(90s + 30ms, 5), m_clock).strMessage,
              "5 results successfully posted to XLS file(s) (1.5 minutes elapsed).");
}

// The dialog keeps its library from run to run; a run whose DOE-2 folder
// holds a library of its own must still read through that one.
TEST_F(ResultsRun, KeptLibraryIsTheOneOfTheRunsDoe2Folder)
{
    const std::string fileName = SharedLibraryFileName("d2result");
    const std::string withLibrary = m_scratch / "doe22", without = m_scratch / "doe21";
    std::filesystem::create_directory(std::filesystem::u8path(withLibrary));
    std::filesystem::create_directory(std::filesystem::u8path(without));
    const std::string own = WithTrailingSeparator(withLibrary) + fileName;
    std::filesystem::copy_file(std::filesystem::u8path(WithTrailingSeparator(ExecutableFolder()) + fileName),
                               std::filesystem::u8path(own));
    BoundResultLibrary kept;
    const ResultLibraryBinder bind = kept.Binder();
    std::string failure;
    for (int run = 0; run < 2; ++run) {
        ResultLibrary *pBeside = bind(WithTrailingSeparator(without), failure);
        ASSERT_NE(pBeside, nullptr) << failure;
        EXPECT_EQ(pBeside->LibraryFile(), WithTrailingSeparator(ExecutableFolder()) + fileName);
        ResultLibrary *pOwn = bind(WithTrailingSeparator(withLibrary), failure);
        ASSERT_NE(pOwn, nullptr) << failure;
        EXPECT_EQ(pOwn->LibraryFile(), own);
    }
}

}  // namespace
