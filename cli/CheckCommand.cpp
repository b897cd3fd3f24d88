// gombrel-cli check: what a posting run would not find, told before the
// run, without a spreadsheet and without waiting out the reads' retries.
// Each store is listed once (StoreListing.h) and every result and series
// the records need is looked up in the listing; each workbook is looked at
// as a file.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <vector>

#include "Commands.h"
#include "D2ResultBinding.h"
#include "DynamicLibrary.h"
#include "FailureReports.h"
#include "FilePath.h"
#include "MappingTables.h"
#include "Paths.h"
#include "PostToSpreadsheet.h"
#include "ResultAccess.h"
#include "ResultNeeds.h"
#include "RunCli.h"
#include "RunCommand.h"
#include "StoreListing.h"
#include "TextMatch.h"
#include "ValuesCommand.h"
#include "WorkbookLock.h"

namespace {

struct CheckOptions {
    EvaluationOptions folders;
    bool bTsv = false;
};

// One thing a run would miss, with the cells ("TABLE:CELL") it would fail.
struct Finding {
    std::string strProject;  // as the tables write it; empty for a workbook or the library
    std::string strKind;     // store, result, series, workbook or library
    std::string strItem;     // what is missing: a path, or the result or series
    std::string strProblem;
    std::vector<std::string> cells;
};

// The records of one project that a round evaluates, by what they read.
struct ProjectCells {
    std::vector<std::string> all;
    std::map<ResultNeed, std::vector<std::string>> byResult;
    std::map<SeriesNeed, std::vector<std::string>> bySeries;
};

struct CheckCounts {
    int iStores = 0, iStoresFailed = 0, iResultsLacking = 0, iSeriesLacking = 0;
    int iWorkbooks = 0, iWorkbooksFailed = 0;
    std::set<std::string> failedCells;
    size_t iCells = 0;
    bool bLibraryUnbound = false;
    std::string strLibraryFile;  // the library that answered
};

const char kTsvHeader[] = "project\tkind\titem\tproblem\tcells\n";

// The options of values, and --tsv anywhere among them.
bool ParseCheckOptions(const Arguments &args, CheckOptions &options, std::ostream &err)
{
    Arguments folderArgs;
    for (const std::string &arg : args)
        if (arg == "--tsv")
            options.bTsv = true;
        else
            folderArgs.push_back(arg);
    return ParseEvaluationOptions(folderArgs, "check", options.folders, err);
}

bool IsSelected(const MappingTable &table, const char *pszTable)
{
    return !pszTable || std::strcmp(table.pszName, pszTable) == 0;
}

// Every record a round evaluates that reads a project, by project.
std::map<std::string, ProjectCells> CollectProjectCells(const char *pszTable)
{
    std::map<std::string, ProjectCells> projects;
    for (const MappingTable &table : g_aMappingTables) {
        if (!IsSelected(table, pszTable))
            continue;
        const GombrelData *items = table.pItems();
        for (size_t index = 0; !IsEndRecord(items[index]); ++index) {
            const GombrelData &item = items[index];
            if (!IsEvaluatedInRound(item) || !item.psSimResPathFile)
                continue;
            const std::string cell = std::string(table.pszName) + ':' + item.psCol + std::to_string(item.iRow);
            ProjectNeeds needs;
            AddRecordNeeds(item, needs);
            ProjectCells &project = projects[item.psSimResPathFile];
            project.all.push_back(cell);
            for (const ResultNeed &need : needs.results)
                project.byResult[need].push_back(cell);
            for (const SeriesNeed &need : needs.series)
                project.bySeries[need].push_back(cell);
        }
    }
    return projects;
}

// True when the store holds at least one value, among the places a read of
// need fills, that is not the missing mark (keys match as the library
// matches them, without regard to case).
bool HoldsResult(const StoreContents &store, const ResultNeed &need)
{
    for (const StoreResult &result : store.results) {
        if (result.iFileType != need.iFileType || result.iResultId != need.iResultId ||
            !EqualsIgnoringCase(result.strReportKey, need.strReportKey) ||
            !EqualsIgnoringCase(result.strRowKey, need.strRowKey))
            continue;
        const size_t places = std::min(result.values.size(), static_cast<size_t>(need.iValueCount));
        return std::any_of(result.values.begin(), result.values.begin() + places,
                           [](double value) { return value != MISSING_VALUE; });
    }
    return false;
}

// "" when the store holds the series with at least one hour, else why not.
std::string SeriesProblem(const StoreContents &store, const SeriesNeed &need)
{
    for (const StoreSeries &series : store.series) {
        if (series.iFileType != need.iFileType || series.iListId != need.iListId ||
            series.iVariable != need.iVariable || !EqualsIgnoringCase(series.strReportKey, need.strReportKey))
            continue;
        const int32_t expectedBytes = kHoursPerYear * static_cast<int32_t>(sizeof(float));
        if (series.iBlobBytes != expectedBytes)
            return "unreadable: " + std::to_string(series.iBlobBytes) + " bytes instead of " +
                   std::to_string(expectedBytes);
        return series.iHoursWithValue > 0 ? "" : "only missing values";
    }
    return "missing";
}

std::string Describe(const ResultNeed &need)
{
    return std::to_string(need.iResultId) + " (file type " + std::to_string(need.iFileType) +
           ", report \"" + need.strReportKey + "\", row \"" + need.strRowKey + "\")";
}

std::string Describe(const SeriesNeed &need)
{
    return "list " + std::to_string(need.iListId) + " variable " + std::to_string(need.iVariable) +
           " (file type " + std::to_string(need.iFileType) + ", report \"" + need.strReportKey + "\")";
}

// The findings of one project: its store, or what its store lacks.
void CheckProject(const std::string &strProject, const ProjectCells &cells, const std::string &strResultsFolder,
                  std::vector<Finding> &findings, CheckCounts &counts)
{
    ++counts.iStores;
    counts.iCells += cells.all.size();
    const std::string storePath = PathBelow(strResultsFolder, strProject) + ".d2r";
    StoreContents store;
    std::string failure;
    if (!ListStore(storePath, store, failure)) {
        ++counts.iStoresFailed;
        std::error_code error;
        const bool bMissing = !std::filesystem::exists(FilePath(storePath), error);
        findings.push_back({strProject, "store", storePath, bMissing ? "missing" : "not readable: " + failure,
                            cells.all});
        return;
    }
    for (const auto &[need, needers] : cells.byResult)
        if (!HoldsResult(store, need)) {
            ++counts.iResultsLacking;
            findings.push_back({strProject, "result", Describe(need), "missing or only missing values", needers});
        }
    for (const auto &[need, needers] : cells.bySeries) {
        const std::string problem = SeriesProblem(store, need);
        if (!problem.empty()) {
            ++counts.iSeriesLacking;
            findings.push_back({strProject, "series", Describe(need), problem, needers});
        }
    }
}

// True when the file begins as a workbook does: an .xls is an OLE compound
// file; the in-memory spreadsheet's workbooks begin with their own mark.
// Anything else (a zip archive, a text file) no run could post into.
bool LooksLikeWorkbook(const std::string &strPath)
{
    static const std::string kCompoundFile = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    static const std::string kMemoryWorkbook = "gombrel-memory-workbook";
    std::string start(kMemoryWorkbook.size(), '\0');
    std::ifstream file(FilePath(strPath), std::ios::binary);
    file.read(&start[0], static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(file.gcount()));
    return StartsWith(start, kCompoundFile) || start == kMemoryWorkbook;
}

// "" when a pass could open and write strPath, else why not.
std::string WorkbookProblem(const std::string &strPath)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(FilePath(strPath), error);
    if (!std::filesystem::exists(status))
        return "missing";
    if (!std::filesystem::is_regular_file(status))
        return "not a file";
    if (!OpenAndClose(strPath, "rb"))
        return "not readable";
    if (!LooksLikeWorkbook(strPath))
        return "not a workbook";
    const std::string lock = LockFilePath(strPath);
    if (std::filesystem::exists(FilePath(lock), error))
        return "locked by another program (lock file " + lock + ")";
    if (!OpenAndClose(strPath, "r+b"))
        return "not writable";
    return "";
}

void CheckWorkbooks(const CheckOptions &options, std::vector<Finding> &findings, CheckCounts &counts)
{
    for (const MappingTable &table : g_aMappingTables) {
        if (!IsSelected(table, options.folders.pszTable))
            continue;
        ++counts.iWorkbooks;
        const std::string path = PathBelow(options.folders.strResultsFolder, table.pszWorkbookFile);
        const std::string problem = WorkbookProblem(path);
        if (!problem.empty()) {
            ++counts.iWorkbooksFailed;
            findings.push_back({"", "workbook", path, problem, {}});
        }
    }
}

// A run reads every result through the library: without it nothing is found.
void CheckLibrary(const CheckOptions &options, std::vector<Finding> &findings, CheckCounts &counts)
{
    std::string failure;
    if (const auto library = BindResultLibrary(WithTrailingSeparator(options.folders.strDoe2Folder), failure)) {
        counts.strLibraryFile = library->LibraryFile();
        return;
    }
    counts.bLibraryUnbound = true;
    findings.push_back({"", "library", SharedLibraryFileName("d2result"), "cannot be bound: " + OnOneLine(failure), {}});
}

std::string JoinCells(const std::vector<std::string> &cells)
{
    std::string joined;
    for (const std::string &cell : cells)
        joined += (joined.empty() ? "" : " ") + cell;
    return joined;
}

void PrintFinding(const Finding &finding, bool bTsv, std::ostream &out)
{
    if (bTsv) {
        out << finding.strProject << '\t' << finding.strKind << '\t' << finding.strItem << '\t' << finding.strProblem
            << '\t' << JoinCells(finding.cells) << '\n';
        return;
    }
    if (!finding.strProject.empty())
        out << finding.strProject << ": ";
    out << finding.strKind << ' ' << finding.strItem << ": " << finding.strProblem;
    if (!finding.cells.empty())
        out << "; " << finding.cells.size() << " cells would fail: " << JoinCells(finding.cells);
    out << '\n';
}

std::string CountsLine(const CheckCounts &counts)
{
    std::string line = "check: " + std::to_string(counts.iStores) + " stores, " +
                       std::to_string(counts.iStoresFailed) + " missing or not readable; " +
                       std::to_string(counts.iResultsLacking) + " results and " +
                       std::to_string(counts.iSeriesLacking) + " series lacking; " +
                       std::to_string(counts.failedCells.size()) + " of " + std::to_string(counts.iCells) +
                       " cells would fail; " + std::to_string(counts.iWorkbooks) + " workbooks, " +
                       std::to_string(counts.iWorkbooksFailed) + " not ready";
    return line + (counts.bLibraryUnbound ? "; result library not bound\n" : "; result library " + counts.strLibraryFile + "\n");
}

}  // namespace

int RunCheckCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    CheckOptions options;
    if (!ParseCheckOptions(args, options, err))
        return kExitUsage;
    if (!EvaluationFoldersExist(options.folders, err))
        return kExitUsage;
    CheckCounts counts;
    std::vector<Finding> findings;
    CheckLibrary(options, findings, counts);
    for (const auto &[project, cells] : CollectProjectCells(options.folders.pszTable))
        CheckProject(project, cells, options.folders.strResultsFolder, findings, counts);
    CheckWorkbooks(options, findings, counts);
    if (options.bTsv)
        out << kTsvHeader;
    for (const Finding &finding : findings) {
        PrintFinding(finding, options.bTsv, out);
        counts.failedCells.insert(finding.cells.begin(), finding.cells.end());  // a cell may fail for several
    }
    // The table stays a table: with --tsv the counts go to standard error.
    (options.bTsv ? err : out) << CountsLine(counts);
    return findings.empty() ? 0 : 1;
}
