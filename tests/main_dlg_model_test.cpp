// The dialog's rules, whichever toolkit draws it: the fields it opens with,
// what a press of "&Process Results" does and the message it ends with, and
// when the spreadsheet application is started ahead.  The dialogs' own
// tests check only that their widgets reach these.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MainDlgModel.h"
#include "RecordingMessages.h"
#include "ScratchFolder.h"

namespace {

using namespace std::chrono_literals;

class HandClock : public Stopwatch {
public:
    std::chrono::nanoseconds Now() override { return now; }
    std::chrono::nanoseconds now{1000s};
};

class NoProgress : public RunProgress {
    void WorkbookStarted(const std::string &) override {}
    void RoundStarted(int32_t, bool) override {}
};

// What the dialog would do, in the order the model asks it, each step a
// line of events; the job run here with what it was given.
class RecordingView : public MainDlgView {
public:
    void ShowBusy(bool bBusy) override { events.push_back(bBusy ? "busy" : "idle"); }
    int32_t RunJob(const std::function<int32_t()> &job) override
    {
        if (duringRun)
            duringRun();
        return job();
    }
    void ShowMessage(const std::string &strText) override { events.push_back("message: " + strText); }

    std::vector<std::string> events;
    std::function<void()> duringRun;
};

// The model over a scratch folder holding the settings file and both run
// folders, and a stand-in job that takes its time on the hand clock.
class MainDlgModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_scratch / "doe2");
        std::filesystem::create_directories(m_scratch / "results");
        WriteWholeFile(m_scratch / "file.txt", "not a folder");
    }

    MainDlgModel &Model()
    {
        if (!m_pModel) {
            MainDlgModelServices services;
            services.settings = m_settings;
            services.makeResultsJob = [this](UserMessages &messages, RunProgress &progress) {
                m_view.events.push_back(std::string("job made") + (&messages == &m_messages ? " with the boxes" : "") +
                                        (&progress == &m_progress ? " and the progress display" : ""));
                return ResultsJob([this](std::string &strErrorText, const std::string &strDoe2,
                                         const std::string &strResults, int32_t iCheckFlag) {
                    m_view.events.push_back("job " + strDoe2 + "|" + strResults + "|" + std::to_string(iCheckFlag));
                    m_settingsDuringRun = ReadWholeFile(m_settings.Path());
                    m_clock.now += m_duration;
                    strErrorText = m_strErrorText;
                    return m_iResult;
                });
            };
            services.startSpreadsheetEarly = [this] { m_view.events.push_back("early start"); };
            services.pClock = &m_clock;
            m_pModel = std::make_unique<MainDlgModel>(services, m_view, m_messages, m_progress);
        }
        return *m_pModel;
    }

    // A press with both folders valid and the box set.
    std::string PressWithValidFolders()
    {
        Model().ProcessResults({m_scratch / "doe2", m_scratch / "results", true});
        return m_view.events.back();
    }

    long EventsStartingWith(const std::string &strStart) const
    {
        return std::count_if(m_view.events.begin(), m_view.events.end(),
                             [&](const std::string &event) { return event.rfind(strStart, 0) == 0; });
    }

    void Store(const std::string &strText) { WriteWholeFile(m_settings.Path(), strText); }
    bool SettingsExist() const { return std::filesystem::exists(m_settings.Path()); }

    ScratchFolder m_scratch;
    SettingsFile m_settings{m_scratch / "gombrel.ini"};
    RecordingMessages m_messages;
    NoProgress m_progress;
    HandClock m_clock;
    RecordingView m_view;
    int32_t m_iResult = 1;
    std::string m_strErrorText;
    std::chrono::nanoseconds m_duration{0};
    std::string m_settingsDuringRun;
    std::unique_ptr<MainDlgModel> m_pModel;
};

TEST_F(MainDlgModelTest, JobIsMadeOnceWithTheDialogsBoxesAndProgressDisplay)
{
    Model();
    Model().Open();
    PressWithValidFolders();
    PressWithValidFolders();
    EXPECT_EQ(EventsStartingWith("job made"), 1);
    EXPECT_EQ(m_view.events.front(), "job made with the boxes and the progress display");
}

// --- The fields it opens with

struct OpenCase {
    const char *pszName;
    const char *pszStored;  // the settings file; null: none
    MainDlgFields fields;
};

void PrintTo(const OpenCase &openCase, std::ostream *pStream) { *pStream << openCase.pszName; }

class MainDlgModelOpen : public MainDlgModelTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(MainDlgModelOpen, FieldsComeFromTheSettingsFile)
{
    if (GetParam().pszStored)
        Store(GetParam().pszStored);
    const MainDlgFields fields = Model().Open();
    EXPECT_EQ(fields.strDoe2Path, GetParam().fields.strDoe2Path);
    EXPECT_EQ(fields.strResultsPath, GetParam().fields.strResultsPath);
    EXPECT_EQ(fields.bCheckPosted, GetParam().fields.bCheckPosted);
    EXPECT_EQ(SettingsExist(), GetParam().pszStored != nullptr);  // opening writes nothing
}

// The box is set unless the stored value is 0 or less (a text reads as 0).
INSTANTIATE_TEST_SUITE_P(
    Settings, MainDlgModelOpen,
    ::testing::Values(
        OpenCase{"NoFile", nullptr, {"", "", true}},
        OpenCase{"LastRunsFoldersAsStored",
                 "[paths]\nLastDOE2Path=C:\\DOE-2 W\xC3\xA4rme\\\nLastResultsPath=/data/Std140 Runs\n",
                 {"C:\\DOE-2 W\xC3\xA4rme\\", "/data/Std140 Runs", true}},
        OpenCase{"CheckMissingKey", "[preferences]\nDebugXLSPost=1\n", {"", "", true}},
        OpenCase{"CheckZero", "[preferences]\nCheckPostedValues=0\n", {"", "", false}},
        OpenCase{"CheckNegative", "[preferences]\nCheckPostedValues=-1\n", {"", "", false}},
        OpenCase{"CheckOne", "[preferences]\nCheckPostedValues=1\n", {"", "", true}},
        OpenCase{"CheckTwo", "[preferences]\nCheckPostedValues=2\n", {"", "", true}},
        OpenCase{"CheckText", "[preferences]\nCheckPostedValues=on\n", {"", "", false}}),
    [](const ::testing::TestParamInfo<OpenCase> &info) { return std::string(info.param.pszName); });

// --- A press: the folder checks

struct FolderCase {
    const char *pszName;
    const char *pszDoe2;     // below the scratch folder; null: empty field
    const char *pszResults;  // likewise
    const char *pszMessage;  // before the path told
    bool bTellsResults;      // the message names the results path, not the DOE-2 one
    const char *pszBlanks;   // typed before the DOE-2 path
};

void PrintTo(const FolderCase &folderCase, std::ostream *pStream) { *pStream << folderCase.pszName; }

class MainDlgModelFolders : public MainDlgModelTest, public ::testing::WithParamInterface<FolderCase> {
protected:
    std::string Typed(const char *pszName) { return pszName == nullptr ? "" : m_scratch / pszName; }
};

// Only the first failing check is told, with the path as typed; nothing is
// saved or run, and the spreadsheet is still started for the next press.
TEST_P(MainDlgModelFolders, MissingFolderIsToldAndNothingIsSavedOrRun)
{
    const std::string doe2 = GetParam().pszBlanks + Typed(GetParam().pszDoe2);
    const std::string results = Typed(GetParam().pszResults);
    Model().ProcessResults({doe2, results, true});
    const std::string told = GetParam().bTellsResults ? results : doe2;
    EXPECT_EQ(m_view.events, (std::vector<std::string>{"job made with the boxes and the progress display", "early start",
                                                       "message: " + std::string(GetParam().pszMessage) + told}));
    EXPECT_FALSE(SettingsExist());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MainDlgModelFolders,
    ::testing::Values(
        FolderCase{"BothEmptyTellsOnlyTheDoe2Path", nullptr, nullptr, "ERROR:  DOE-2 path doesn't exist:\n   ", false, ""},
        FolderCase{"Doe2Missing", "nowhere", "results", "ERROR:  DOE-2 path doesn't exist:\n   ", false, ""},
        FolderCase{"ResultsAFile", "doe2", "file.txt", "ERROR:  Results path doesn't exist:\n   ", true, ""},
        FolderCase{"BlanksAroundAFolderAreNotTrimmed", "doe2", "results", "ERROR:  DOE-2 path doesn't exist:\n   ",
                   false, " "}),
    [](const ::testing::TestParamInfo<FolderCase> &info) { return std::string(info.param.pszName); });

// --- A press: the run

TEST_F(MainDlgModelTest, PressSavesTheFieldsThenRunsBusyThenStartsTheSpreadsheetBeforeTheMessage)
{
    const std::string doe2 = m_scratch / "doe2";
    const std::string results = m_scratch / "results/";
    Model().ProcessResults({doe2, results, false});
    EXPECT_EQ(m_view.events,
              (std::vector<std::string>{"job made with the boxes and the progress display", "busy",
                                        "job " + doe2 + "|" + results + "|0", "idle", "early start",
                                        "message: 1 results successfully posted to XLS file(s) (0.0 seconds elapsed)."}));
    EXPECT_EQ(m_settingsDuringRun, "[paths]\nLastDOE2Path=" + doe2 + "\nLastResultsPath=" + results +
                                       "\n[preferences]\nCheckPostedValues=0\n");
}

// A press that reaches the model while its run is under way (a window
// that answers the user during the run) starts no second run.
TEST_F(MainDlgModelTest, PressDuringTheRunDoesNothing)
{
    m_view.duringRun = [this] {
        m_view.duringRun = nullptr;
        Model().ProcessResults({m_scratch / "doe2", m_scratch / "results", true});
    };
    PressWithValidFolders();
    EXPECT_EQ(EventsStartingWith("job " + (m_scratch / "doe2")), 1);
    EXPECT_EQ(EventsStartingWith("message: "), 1);
    PressWithValidFolders();  // and the next press runs again
    EXPECT_EQ(EventsStartingWith("job " + (m_scratch / "doe2")), 2);
}

// --- The message a press ends with

struct OutcomeCase {
    const char *pszName;
    int32_t iResult;
    std::chrono::nanoseconds duration;
    const char *pszErrorText;
    const char *pszMessage;
};

void PrintTo(const OutcomeCase &outcomeCase, std::ostream *pStream) { *pStream << outcomeCase.pszName; }

class MainDlgModelOutcome : public MainDlgModelTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(MainDlgModelOutcome, ReadsAsTheUserSeesIt)
{
    m_iResult = GetParam().iResult;
    m_duration = GetParam().duration;
    m_strErrorText = GetParam().pszErrorText;
    EXPECT_EQ(PressWithValidFolders(), std::string("message: ") + GetParam().pszMessage);
}

// Seconds up to 90, minutes up to 5400 seconds, hours beyond.
INSTANTIATE_TEST_SUITE_P(
    Results, MainDlgModelOutcome,
    ::testing::Values(
        OutcomeCase{"NinetySecondsInSeconds", 2154, 90s, "",
                    "2154 results successfully posted to XLS file(s) (90.0 seconds elapsed)."},
        OutcomeCase{"JustOverNinetySecondsInMinutes", 2154, 90050ms, "",
                    "2154 results successfully posted to XLS file(s) (1.5 minutes elapsed)."},
        OutcomeCase{"FiftyFourHundredSecondsInMinutes", 2154, 5400s, "",
                    "2154 results successfully posted to XLS file(s) (90.0 minutes elapsed)."},
        OutcomeCase{"FiftyFourHundredAndOneSecondsInHours", 2154, 5401s, "",
                    "2154 results successfully posted to XLS file(s) (1.5 hours elapsed)."},
        OutcomeCase{"ErrorTextBelowSuccess", 412, 12340ms, "Unable to open file",
                    "412 results successfully posted to XLS file(s) (12.3 seconds elapsed).\n     Unable to open file"},
        OutcomeCase{"ZeroWithoutErrorText", 0, 1s, "", "Results not posted to XLS file(s):\n   ProcessResults() returned 0"},
        OutcomeCase{"MinusOneWithErrorText", -1, 1s, "Error encountered attempting to open Excel",
                    "Results not posted to XLS file(s):\n   Error encountered attempting to open Excel"},
        OutcomeCase{"TextWithPercentSignsKept", 0, 1s, "100% %s", "Results not posted to XLS file(s):\n   100% %s"}),
    [](const ::testing::TestParamInfo<OutcomeCase> &info) { return std::string(info.param.pszName); });

// --- The spreadsheet application started before the button is pressed

struct EarlyStartCase {
    const char *pszName;
    const char *pszStored;
    bool bStarts;
};

void PrintTo(const EarlyStartCase &startCase, std::ostream *pStream) { *pStream << startCase.pszName; }

class MainDlgModelEarlyStart : public MainDlgModelTest, public ::testing::WithParamInterface<EarlyStartCase> {};

// On opening, and after each run before its message, so that the
// application starts while the user reads it; StartCalcEarly=0 (or less)
// starts nothing.  The setting is read each time.
TEST_P(MainDlgModelEarlyStart, StartsOnOpeningAndAfterEachRunUnlessTurnedOff)
{
    Store(GetParam().pszStored);
    Model().Open();
    PressWithValidFolders();
    std::vector<std::string> expected{"job made with the boxes and the progress display", "early start", "busy",
                                      "job " + (m_scratch / "doe2") + "|" + (m_scratch / "results") + "|1", "idle",
                                      "early start",
                                      "message: 1 results successfully posted to XLS file(s) (0.0 seconds elapsed)."};
    if (!GetParam().bStarts)
        expected.erase(std::remove(expected.begin(), expected.end(), "early start"), expected.end());
    EXPECT_EQ(m_view.events, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, MainDlgModelEarlyStart,
    ::testing::Values(EarlyStartCase{"NoSetting", "", true},
                      EarlyStartCase{"One", "[preferences]\nStartCalcEarly=1\n", true},
                      EarlyStartCase{"Zero", "[preferences]\nStartCalcEarly=0\n", false},
                      EarlyStartCase{"Negative", "[preferences]\nStartCalcEarly=-1\n", false}),
    [](const ::testing::TestParamInfo<EarlyStartCase> &info) { return std::string(info.param.pszName); });

TEST_F(MainDlgModelTest, SettingTurnedOffBetweenPressesIsHeeded)
{
    Model().Open();
    Store("[preferences]\nStartCalcEarly=0\n");
    PressWithValidFolders();
    EXPECT_EQ(EventsStartingWith("early start"), 1);
}

}  // namespace
