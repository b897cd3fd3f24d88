// gombrel-cli check: what a posting run would not find, told before the
// run, without a spreadsheet and without waiting out the reads' retries.
// Every record a round evaluates is evaluated by the run's own rules with
// the stores' listings standing in for the reads (ListingResultLibrary.h,
// each store listed once), so that each cell is told as the run would meet
// it: failing, posted from no data, or skipped.  Each workbook is looked at
// as a file.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <vector>

#include "CellAction.h"
#include "Commands.h"
#include "Console.h"
#include "D2ResultBinding.h"
#include "DynamicLibrary.h"
#include "EvaluateItemValue.h"
#include "FailureReports.h"
#include "FilePath.h"
#include "FormatText.h"
#include "ListingResultLibrary.h"
#include "MappingTables.h"
#include "Paths.h"
#include "PostToSpreadsheet.h"
#include "ResultsRun.h"
#include "TextMatch.h"
#include "ValuesCommand.h"
#include "WorkbookLock.h"

namespace {

struct CheckOptions {
    EvaluationOptions folders;
    bool bTsv = false;
    std::vector<std::string> otherWorkbookMarks;
};

// What a run would do with a cell that something it reads is lacking for.
enum class Fate { Fail, NoData, Skip };

struct CellFate {
    std::string strCell;    // TABLE:CELL
    Fate fate;
    std::string strDetail;  // the failure, shortened, or the value posted from no data
};

// One thing a run would miss, with the cells it touches.
struct Finding {
    std::string strProject;  // as the tables write it; empty for a workbook or the library
    std::string strKind;     // store, result, series, evaluation, workbook or library
    std::string strItem;     // what is missing: a path, or the result or series
    std::string strProblem;
    std::vector<CellFate> cells;
};

struct CheckCounts {
    int iStores = 0, iStoresFailed = 0;
    std::set<std::string> resultsLacking, seriesLacking;  // project and item
    int iCells = 0, iFailing = 0, iNoData = 0, iSkipped = 0;
    int iWorkbooks = 0, iWorkbooksFailed = 0;
    bool bLibraryUnbound = false;
    std::string strLibraryFile;  // the library that answered
};

const char kTsvHeader[] = "project\tkind\titem\tproblem\tcell\toutcome\tdetail\n";

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

// One record a round evaluates, with its table.
struct Record {
    const MappingTable *pTable;
    const GombrelData *pItem;
};

std::string ProjectOf(const GombrelData &item) { return item.psSimResPathFile ? item.psSimResPathFile : ""; }

// The records a round evaluates, project by project, each project's in the
// run's order.
std::map<std::string, std::vector<Record>> RecordsByProject(const char *pszTable)
{
    std::map<std::string, std::vector<Record>> projects;
    for (const MappingTable &table : g_aMappingTables) {
        if (!IsSelected(table, pszTable))
            continue;
        const GombrelData *items = table.pItems();
        for (size_t index = 0; !IsEndRecord(items[index]); ++index)
            if (IsEvaluatedInRound(items[index]))
                projects[ProjectOf(items[index])].push_back({&table, &items[index]});
    }
    return projects;
}

void NoPause(int) {}

void Evaluate(const CheckOptions &options, ResultAccess &access, const GombrelData &item, std::string &strError,
              ItemValue &value)
{
    EvaluateItemValue(access, item, WithTrailingSeparator(options.folders.strDoe2Folder),
                      options.folders.strResultsFolder, strError, value);
}

// The run's failure text without the record description it ends in.
std::string ShortFailure(const std::string &strError, const GombrelData &item)
{
    std::string description;
    DescribeGombrelData(item, description);
    std::string text = strError;
    if (EndsWith(text, description)) {
        text.erase(text.size() - description.size());
        if (EndsWith(text, " for "))
            text.erase(text.size() - 5);
    }
    return OnOneLine(text);
}

// What a posting round writes into the cell: the text, or the number.
std::string PostedValue(const GombrelData &item, const ItemValue &value)
{
    return PostsText(item, value) ? OnOneLine(value.strText) : FormatText("%.15g", value.dNumber);
}

// The finding of project for lack, made when it is the first.
Finding &FindingOf(std::vector<Finding> &findings, const std::string &strProject, const ResultLack &lack)
{
    for (Finding &finding : findings)
        if (finding.strKind == lack.strKind && finding.strItem == lack.strItem &&
            finding.strProblem == lack.strProblem)
            return finding;
    findings.push_back({strProject, lack.strKind, lack.strItem, lack.strProblem, {}});
    return findings.back();
}

// True when every record of a project evaluates, with one access as in a
// run, without any read lacking something and without failing: the
// project then has nothing to tell.
bool AllFound(const CheckOptions &options, const std::vector<Record> &records, ListingResultLibrary &library)
{
    ResultAccess access(&library, NoPause);
    library.ForgetLacks();
    for (const Record &record : records) {
        std::string error;
        ItemValue value;
        Evaluate(options, access, *record.pItem, error, value);
        if (!error.empty())
            return false;
    }
    return library.Lacks().empty();
}

// Evaluates one record through library and adds its cell to the findings
// of what its reads lacked.  A cell that fails with nothing lacking has a
// finding of its own; one posted or skipped with nothing lacking is the
// run's ordinary business.
void CheckRecord(const CheckOptions &options, const Record &record, ListingResultLibrary &library,
                 std::vector<Finding> &findings, CheckCounts &counts)
{
    const GombrelData &item = *record.pItem;
    // A fresh access for every record: no series cached by an earlier
    // record hides a read, so the lacks noted are this record's own.
    ResultAccess access(&library, NoPause);
    library.ForgetLacks();
    std::string error;
    ItemValue value;
    Evaluate(options, access, item, error, value);
    const std::vector<ResultLack> &lacks = library.Lacks();
    if (error.empty() && lacks.empty())
        return;
    const std::string project = ProjectOf(item);
    CellFate cell{std::string(record.pTable->pszName) + ':' + CellName(item), Fate::Fail, ""};
    if (!error.empty()) {
        cell.strDetail = ShortFailure(error, item);
        ++counts.iFailing;
    } else if (value.bSkip) {
        cell.fate = Fate::Skip;
        ++counts.iSkipped;
    } else {
        cell.fate = Fate::NoData;
        cell.strDetail = PostedValue(item, value);
        ++counts.iNoData;
    }
    if (lacks.empty())
        FindingOf(findings, project, {"evaluation", "", "fails with nothing it reads lacking"}).cells.push_back(cell);
    for (const ResultLack &lack : lacks) {
        FindingOf(findings, project, lack).cells.push_back(cell);
        if (lack.strKind == "result")
            counts.resultsLacking.insert(project + '\n' + lack.strItem);
        else if (lack.strKind == "series")
            counts.seriesLacking.insert(project + '\n' + lack.strItem);
    }
}

// The findings of one project: its store when it is missing or not
// readable, then what its records' reads lack, in the order a run meets
// them.  Only a project with something to tell has each record evaluated
// on its own.
void CheckProject(const CheckOptions &options, const std::string &strProject, const std::vector<Record> &records,
                  ListingResultLibrary &library, std::vector<Finding> &findings, CheckCounts &counts)
{
    ++counts.iStores;
    counts.iCells += static_cast<int>(records.size());
    std::vector<Finding> projectFindings;
    const ListedStore &store = library.Store(PathBelow(options.folders.strResultsFolder, strProject));
    if (!store.strProblem.empty()) {
        ++counts.iStoresFailed;
        projectFindings.push_back({strProject, "store", store.strFile, store.strProblem, {}});
    } else if (AllFound(options, records, library)) {
        return;
    }
    for (const Record &record : records)
        CheckRecord(options, record, library, projectFindings, counts);
    findings.insert(findings.end(), projectFindings.begin(), projectFindings.end());
}

void CheckProjects(const CheckOptions &options, std::vector<Finding> &findings, CheckCounts &counts)
{
    ListingResultLibrary library;
    for (const auto &[project, records] : RecordsByProject(options.folders.pszTable))
        CheckProject(options, project, records, library, findings, counts);
}

// True when the file begins as a workbook does: an .xls is an OLE compound
// file, or as one of the other marks begins (the tests' own workbooks).
// Anything else (a zip archive, a text file) no run could post into.
bool LooksLikeWorkbook(const std::string &strPath, const std::vector<std::string> &otherMarks)
{
    static const std::string kCompoundFile = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    size_t uLongest = kCompoundFile.size();
    for (const std::string &mark : otherMarks)
        uLongest = std::max(uLongest, mark.size());
    std::string start(uLongest, '\0');
    std::ifstream file(FilePath(strPath), std::ios::binary);
    file.read(&start[0], static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(file.gcount()));
    return StartsWith(start, kCompoundFile) ||
           std::any_of(otherMarks.begin(), otherMarks.end(),
                       [&](const std::string &mark) { return !mark.empty() && StartsWith(start, mark); });
}

// "" when a pass could open and write strPath, else why not.
std::string WorkbookProblem(const std::string &strPath, const std::vector<std::string> &otherMarks)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(FilePath(strPath), error);
    if (!std::filesystem::exists(status))
        return "missing";
    if (!std::filesystem::is_regular_file(status))
        return "not a file";
    if (!OpenAndClose(strPath, "rb"))
        return "not readable";
    if (!LooksLikeWorkbook(strPath, otherMarks))
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
        const std::string problem = WorkbookProblem(path, options.otherWorkbookMarks);
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

const char *FateName(Fate fate)
{
    switch (fate) {
    case Fate::Fail:
        return "fail";
    case Fate::NoData:
        return "no-data";
    case Fate::Skip:
        break;
    }
    return "skip";
}

void PrintTsvFinding(const Finding &finding, std::ostream &out)
{
    const std::string columns =
        finding.strProject + '\t' + finding.strKind + '\t' + finding.strItem + '\t' + finding.strProblem + '\t';
    if (finding.cells.empty())
        out << columns << "\t\t\n";
    for (const CellFate &cell : finding.cells)
        out << columns << cell.strCell << '\t' << FateName(cell.fate) << '\t' << cell.strDetail << '\n';
}

// The cells of one fate (and, for failures, one message), space-separated;
// a cell posted from no data with its value.
std::string JoinCells(const std::vector<CellFate> &cells, Fate fate, const std::string &strMessage, int &nCells)
{
    std::string joined;
    nCells = 0;
    for (const CellFate &cell : cells) {
        if (cell.fate != fate || (fate == Fate::Fail && cell.strDetail != strMessage))
            continue;
        ++nCells;
        joined += (joined.empty() ? "" : " ") + cell.strCell;
        if (fate == Fate::NoData)
            joined += '=' + cell.strDetail;
    }
    return joined;
}

// One line: what is lacking, then its cells that would fail (by message),
// be posted from no data (with the value) and be skipped.
void PrintFinding(const Finding &finding, std::ostream &out)
{
    if (!finding.strProject.empty())
        out << finding.strProject << ": ";
    out << finding.strKind << (finding.strItem.empty() ? "" : " ") << finding.strItem << ": " << finding.strProblem;
    std::vector<std::string> messages;
    for (const CellFate &cell : finding.cells)
        if (cell.fate == Fate::Fail && std::find(messages.begin(), messages.end(), cell.strDetail) == messages.end())
            messages.push_back(cell.strDetail);
    int nCells = 0;
    for (const std::string &message : messages) {
        const std::string cells = JoinCells(finding.cells, Fate::Fail, message, nCells);
        out << "; " << nCells << " cells would fail (" << message << "): " << cells;
    }
    std::string cells = JoinCells(finding.cells, Fate::NoData, "", nCells);
    if (nCells > 0)
        out << "; " << nCells << " cells would be posted from no data: " << cells;
    cells = JoinCells(finding.cells, Fate::Skip, "", nCells);
    if (nCells > 0)
        out << "; " << nCells << " cells would be skipped: " << cells;
    out << '\n';
}

std::string CountsLine(const CheckCounts &counts)
{
    std::string line = "check: " + std::to_string(counts.iStores) + " stores, " +
                       std::to_string(counts.iStoresFailed) + " missing or not readable; " +
                       std::to_string(counts.resultsLacking.size()) + " results and " +
                       std::to_string(counts.seriesLacking.size()) + " series lacking; " +
                       std::to_string(counts.iFailing) + " of " + std::to_string(counts.iCells) +
                       " cells would fail; " + std::to_string(counts.iNoData) + " would be posted from no data; " +
                       std::to_string(counts.iSkipped) + " would be skipped; " +
                       std::to_string(counts.iWorkbooks) + " workbooks, " +
                       std::to_string(counts.iWorkbooksFailed) + " not ready";
    return line + (counts.bLibraryUnbound ? "; result library not bound\n" : "; result library " + counts.strLibraryFile + "\n");
}

}  // namespace

int RunCheckCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    return RunCheckCommandWith(args, out, err, {});
}

int RunCheckCommandWith(const Arguments &args, std::ostream &out, std::ostream &err,
                        const std::vector<std::string> &otherWorkbookMarks)
{
    CheckOptions options;
    options.otherWorkbookMarks = otherWorkbookMarks;
    if (!ParseCheckOptions(args, options, err))
        return kExitUsage;
    if (!EvaluationFoldersExist(options.folders, err))
        return kExitUsage;
    CheckCounts counts;
    std::vector<Finding> findings;
    CheckLibrary(options, findings, counts);
    CheckProjects(options, findings, counts);
    CheckWorkbooks(options, findings, counts);
    if (options.bTsv)
        out << kTsvHeader;
    for (const Finding &finding : findings)
        options.bTsv ? PrintTsvFinding(finding, out) : PrintFinding(finding, out);
    // The table stays a table: with --tsv the counts go to standard error.
    (options.bTsv ? err : out) << CountsLine(counts);
    return findings.empty() ? 0 : 1;
}
