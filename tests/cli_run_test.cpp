#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "CommandOutput.h"
#include "MappingTables.h"
#include "MemoryWorkbooks.h"
#include "OtherWordSizeLibrary.h"
#include "PassTestSupport.h"
#include "Paths.h"
#include "RunCli.h"
#include "ScratchFolder.h"
#include "Settings.h"

namespace {

void NoPause(int) {}

class StillClock : public Stopwatch {
public:
    std::chrono::nanoseconds Now() override { return std::chrono::seconds(42); }
};

// A results folder with the four workbooks, the settings beside it, an
// in-memory spreadsheet and a library answering every call.
class CliRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(m_scratch.Path() + "/" + (table.pszWorkbookFile + 1), WorkbookFor(table.pItems()));
    }

    Outcome Run(const Arguments &args, const std::string &strInput = "", bool bTerminal = false)
    {
        std::istringstream in(strInput);
        std::ostringstream out, err;
        RunConsole console{in, out, err, bTerminal, bTerminal};
        MemoryLauncher launcher(m_state);
        RunBackends backends{launcher, m_binder, m_clock, m_settings, NoPause};
        const int status = RunResultsCommand(args, console, backends);
        return {status, out.str(), err.str()};
    }

    // A new spreadsheet for the next run (one that has quit answers no more).
    void FreshSpreadsheet() { m_state = std::make_shared<MemorySpreadsheet>(); }

    Arguments Folders() const { return {"--doe2", m_scratch.Path(), "--results", m_scratch.Path()}; }
    Arguments Folders(std::initializer_list<std::string> more) const
    {
        Arguments args = Folders();
        args.insert(args.end(), more);
        return args;
    }
    int Calls(SpreadsheetCall call) const { return m_state->Calls(call); }

    ScratchFolder m_scratch;
    SettingsFile m_settings{m_scratch / "gombrel.ini"};
    std::shared_ptr<MemorySpreadsheet> m_state = std::make_shared<MemorySpreadsheet>();
    UnsteadyLibrary m_library;
    ResultLibraryBinder m_binder = [this](const std::string &, std::string &) -> ResultLibrary * { return &m_library; };
    StillClock m_clock;
};

// The last line of text.
std::string LastLine(const std::string &strText)
{
    const std::vector<std::string> lines = SplitLines(strText);
    return lines.empty() ? "" : lines.back();
}

TEST_F(CliRun, PostsAndPrintsTheFinalMessageAlone)
{
    const Outcome run = Run(Folders());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::to_string(m_state->CellsWritten()) +
                           " results successfully posted to XLS file(s) (0.0 seconds elapsed).\n");
    EXPECT_EQ(run.err, "");
    EXPECT_GT(m_state->CellsRead(), 0);
    EXPECT_EQ(ReadWholeFile(m_settings.Path()), "[paths]\nLastDOE2Path=" + m_scratch.Path() +
                                                    "\nLastResultsPath=" + m_scratch.Path() +
                                                    "\n[preferences]\nCheckPostedValues=1\n");
}

TEST_F(CliRun, StoredChoiceIsUsedUnlessOverridden)
{
    WriteSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 0);
    EXPECT_EQ(Run(Folders()).status, 0);
    EXPECT_EQ(m_state->CellsRead(), 0);
    FreshSpreadsheet();
    EXPECT_EQ(Run(Folders({"--check"})).status, 0);
    EXPECT_GT(m_state->CellsRead(), 0);
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 7), 1);
    FreshSpreadsheet();
    EXPECT_EQ(Run(Folders({"--no-check"})).status, 0);
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 7), 0);
}

TEST_F(CliRun, LogOptionWritesTheLogButNotTheSetting)
{
    EXPECT_EQ(Run(Folders({"--no-check", "--log"})).status, 0);
    EXPECT_EQ(ReadWholeFile(m_scratch / "GombrelApp Dbg.txt").rfind("Posting results to:  '", 0), 0u);
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyDebugXlsPost, -5), -5);
}

TEST_F(CliRun, LogAndTimingsNameTheLibraryThatAnswered)
{
    m_library.strFile = NativePath("/opt/doe22/") + SharedLibraryFileName("d2result");
    const Outcome run = Run(Folders({"--no-check", "--log", "--timings"}));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadWholeFile(m_scratch / "GombrelApp Dbg.txt").rfind("Posting results to:  '" + m_scratch.Path() +
                                                                       NativePath("\\Std140Sec5-2.xls") +
                                                                       "'\nResult library:  '" + m_library.strFile +
                                                                       "'\nRound 1 - POSTING to XLS:\n",
                                                                   0),
              0u);
    EXPECT_EQ(run.err.substr(run.err.find('\n') + 1), "result library: " + m_library.strFile + "\n");
}

// Only the library in the DOE-2 folder may answer: one of the other word
// size stops the run before anything else, although the built library lies
// beside the program.
TEST_F(CliRun, LibraryOfTheOtherWordSizeInTheDoe2FolderStopsTheRunBeforeAnything)
{
    const std::string doe2 = m_scratch / "doe22";
    std::filesystem::create_directory(std::filesystem::u8path(doe2));
    const std::string library = WithTrailingSeparator(doe2) + SharedLibraryFileName("d2result");
    PutOtherWordSizeLibrary(library);
    std::vector<std::string> workbooks;
    for (const MappingTable &table : g_aMappingTables)
        workbooks.push_back(ReadWholeFile(PathBelow(m_scratch.Path(), table.pszWorkbookFile)));
    Outcome run;
    {
        BoundResultLibrary bound;
        m_binder = bound.Binder();
        run = Run({"--doe2", doe2, "--results", m_scratch.Path(), "--log"});
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Results not posted to XLS file(s):\n   The DOE-2 result library " +
                           SharedLibraryFileName("d2result") + " could not be bound: " + library + " " +
                           OtherWordSizeMessage() + "\n");
    EXPECT_EQ(m_state->CallLog().size(), 0u);
    for (size_t i = 0; i < kMappingTableCount; ++i)
        EXPECT_EQ(ReadWholeFile(PathBelow(m_scratch.Path(), g_aMappingTables[i].pszWorkbookFile)), workbooks[i]);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(m_scratch / "GombrelApp Dbg.txt")));
}

TEST_F(CliRun, WithoutLogOptionTheSettingDecides)
{
    EXPECT_EQ(Run(Folders({"--no-check"})).status, 0);
    EXPECT_FALSE(std::filesystem::exists(m_scratch / "GombrelApp Dbg.txt"));
    WriteSettingInt(m_settings, kSectionPreferences, kKeyDebugXlsPost, 1);
    FreshSpreadsheet();
    EXPECT_EQ(Run(Folders({"--no-check"})).status, 0);
    EXPECT_TRUE(std::filesystem::exists(m_scratch / "GombrelApp Dbg.txt"));
}

TEST_F(CliRun, NothingPostedExitsOne)
{
    std::filesystem::remove(m_scratch / "Std140Sec5-2.xls");
    const Outcome run = Run(Folders());
    EXPECT_EQ(run.status, 1);
    const std::string missing = "DOE-2 Results spreadsheet file not found  '" + m_scratch.Path() +
                                NativePath("\\Std140Sec5-2.xls") + "'";
    EXPECT_EQ(run.out, "Results not posted to XLS file(s):\n   " + missing + "\n");
    EXPECT_EQ(run.err, "gombrel-cli: 0 of 4 workbooks posted; stopped at Std140Sec5-2.xls: " + missing + "\n");
}

TEST_F(CliRun, MissingFolderExitsTwoWithTheDialogsMessage)
{
    const Outcome run = Run({"--doe2", m_scratch / "missing", "--results", m_scratch.Path()});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Gombrel: ERROR:  DOE-2 path doesn't exist: " + (m_scratch / "missing") + "\n");
    EXPECT_FALSE(std::filesystem::exists(m_settings.Path()));
}

TEST_F(CliRun, BoxesDuringTheRunAreLinesOnStandardErrorAndMakeItPartial)
{
    // The first block is refused, then the second cell on its own.
    m_state->FailCall(SpreadsheetCall::PutValues, 1, InjectedFailure{});
    m_state->FailCall(SpreadsheetCall::PutValue2, 2, InjectedFailure{});
    const Outcome run = Run(Folders({"--no-check"}));
    EXPECT_EQ(run.status, 1);
    const std::string box = "Error interfacing with Excel spreadsheet: " + m_scratch.Path() +
                            NativePath("\\Std140Sec5-2.xls") + " tab: A cell: ";
    EXPECT_EQ(run.err.rfind("Gombrel: " + box, 0), 0u) << run.err;
    // The pass kept its first cell and the run went on: three workbooks
    // whole, and the first told last.
    EXPECT_EQ(run.out, std::to_string(m_state->CellsWritten()) +
                           " results successfully posted to XLS file(s) (0.0 seconds elapsed).\n");
    EXPECT_EQ(LastLine(run.err).rfind("gombrel-cli: 3 of 4 workbooks posted; Std140Sec5-2.xls: " + box, 0), 0u)
        << run.err;
}

TEST_F(CliRun, DamagedThirdWorkbookStopsTheRunThere)
{
    const std::string workbooks[] = {m_scratch / "Std140Sec5-2.xls", m_scratch / "Std140Sec5-3.xls",
                                     m_scratch / "Std140Sec5-3B.xls", m_scratch / "Std140Sec5-4.xls"};
    WriteWholeFile(workbooks[2], ReadWholeFile(workbooks[2]).substr(0, 12));
    std::string before[4];
    for (int i = 0; i < 4; ++i)
        before[i] = ReadWholeFile(workbooks[i]);
    const Outcome run = Run(Folders({"--check"}));
    EXPECT_EQ(run.status, 1);
    // Standard output is the dialog's final message, as it always was.
    const int32_t iPosted = m_state->CellsWritten();
    EXPECT_GT(iPosted, 0);
    EXPECT_EQ(run.out,
              std::to_string(iPosted) + " results successfully posted to XLS file(s) (0.0 seconds elapsed).\n");
    const std::string failure = "COleDispatchException. SCODE: 000003ec, Description: \"'" +
                                m_scratch.Path() + NativePath("\\Std140Sec5-3B.xls") + "' is not a workbook\".";
    EXPECT_EQ(run.err, "COleDispatchException: " + failure +
                           "\ngombrel-cli: 2 of 4 workbooks posted; stopped at Std140Sec5-3B.xls: " + failure + "\n");
    for (int i = 0; i < 2; ++i)
        EXPECT_NE(ReadWholeFile(workbooks[i]), before[i]) << workbooks[i] << " was not posted";
    for (int i = 2; i < 4; ++i)
        EXPECT_TRUE(ReadWholeFile(workbooks[i]) == before[i]) << workbooks[i] << " was touched";
}

TEST_F(CliRun, CheckThatNeverAgreesIsAPartialRun)
{
    m_library.bDrift = true;
    const Outcome run = Run(Folders({"--check"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Calls(SpreadsheetCall::Save), 4);
    // Five posting rounds in every workbook, all counted.
    EXPECT_EQ(run.out, std::to_string(m_state->CellsWritten()) +
                           " results successfully posted to XLS file(s) (0.0 seconds elapsed).\n");
    const std::string differed = "a number read back still differed from its result after the last checking round";
    EXPECT_EQ(run.err, "gombrel-cli: 0 of 4 workbooks posted; Std140Sec5-2.xls: " + differed +
                           "; Std140Sec5-3.xls: " + differed + "; Std140Sec5-3B.xls: " + differed +
                           "; Std140Sec5-4.xls: " + differed + "\n");
}

TEST_F(CliRun, ProgressOnlyOnATerminal)
{
    const Outcome terminal = Run(Folders(), "", true);
    FreshSpreadsheet();
    EXPECT_EQ(Run(Folders(), "", false).err, "");
    EXPECT_NE(terminal.err.find("\rStd140Sec5-2.xls: round 1, posting\x1b[K"), std::string::npos);
    EXPECT_NE(terminal.err.find("\rStd140Sec5-4.xls: round 1, checking\x1b[K"), std::string::npos);
    EXPECT_EQ(terminal.err.substr(terminal.err.size() - 4), "\r\x1b[K");
    EXPECT_EQ(terminal.out.find('\r'), std::string::npos);
}

TEST_F(CliRun, BadArgumentsExitTwo)
{
    for (const Arguments &args :
         {Arguments{"--doe2", "/x"}, Arguments{"--results", "/x"}, Folders({"--check", "--no-check"}),
          Folders({"--verbose"}), Arguments{"--doe2"}, Arguments{}}) {
        const Outcome run = Run(args);
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: gombrel-cli run"), std::string::npos);
        EXPECT_EQ(m_state->CallLog().size(), 0u);
    }
}

struct QuestionCase {
    const char *pszName;
    bool bTerminal;
    const char *pszInput;
    bool bRetry;
    const char *pszErr;
};

class CliQuestion : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(CliQuestion, AskedOnlyOnATerminal)
{
    std::istringstream in(GetParam().pszInput);
    std::ostringstream out, err;
    RunConsole console{in, out, err, GetParam().bTerminal, false};
    ProgressLine progress(err, false);
    ConsoleMessages messages(console, progress);
    EXPECT_EQ(messages.AskRetry("Gombrel", "DOE-2 Results spreadsheet"), GetParam().bRetry);
    EXPECT_EQ(err.str(), GetParam().pszErr);
    EXPECT_EQ(out.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CliQuestion,
    ::testing::Values(QuestionCase{"Retry", true, "r\n", true, "Gombrel: DOE-2 Results spreadsheet\n[R]etry or [C]ancel? "},
                      QuestionCase{"RetryWord", true, "Retry\n", true, "Gombrel: DOE-2 Results spreadsheet\n[R]etry or [C]ancel? "},
                      QuestionCase{"Cancel", true, "c\n", false, "Gombrel: DOE-2 Results spreadsheet\n[R]etry or [C]ancel? "},
                      QuestionCase{"EndOfInput", true, "", false, "Gombrel: DOE-2 Results spreadsheet\n[R]etry or [C]ancel? "},
                      QuestionCase{"NotATerminal", false, "r\n", false, "Gombrel: DOE-2 Results spreadsheet\n"}),
    [](const ::testing::TestParamInfo<QuestionCase> &info) { return info.param.pszName; });

struct LineCase {
    const char *pszName;
    const char *pszText;
    const char *pszLine;
};

class CliOneLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(CliOneLine, JoinsLinesWithOneSpace)
{
    EXPECT_EQ(OnOneLine(GetParam().pszText), GetParam().pszLine);
}

INSTANTIATE_TEST_SUITE_P(Texts, CliOneLine,
                         ::testing::Values(LineCase{"Plain", "General Exception caught.", "General Exception caught."},
                                           LineCase{"Indented", "ERROR:  path:\n   /x", "ERROR:  path: /x"},
                                           LineCase{"Trailing", "a\n", "a "},
                                           LineCase{"Empty", "", ""}),
                         [](const ::testing::TestParamInfo<LineCase> &info) { return info.param.pszName; });

}  // namespace
