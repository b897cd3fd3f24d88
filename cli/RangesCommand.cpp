// gombrel-cli ranges: where each DOE-2 result lies against the example
// results of the Standard 140 workbooks, as a table and, with --html, as a
// page of charts.  The results are evaluated as values does, or read from a
// file saved from values (refused whole as diff refuses one).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <system_error>

#include "Commands.h"
#include "FilePath.h"
#include "MappingTables.h"
#include "Paths.h"
#include "RangeComparison.h"
#include "RangeReportHtml.h"
#include "ReferenceData.h"
#include "ValuesFile.h"

namespace {

struct RangesOptions {
    std::string strDoe2Folder;  // empty when not given (a values file needs none)
    std::string strResults;
    std::string strHtml;        // empty: no page
    const char *pszTable = nullptr;
};

// --doe2 DIR, --results DIR|FILE, --html FILE and --table NAME in any order;
// false (with a message on err) for anything else or a missing value.
bool ParseRangesOptions(const Arguments &args, RangesOptions &options, std::ostream &err)
{
    Arguments tableArgs;
    bool bResults = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string *pValue = args[i] == "--doe2"      ? &options.strDoe2Folder
                              : args[i] == "--results" ? &options.strResults
                              : args[i] == "--html"    ? &options.strHtml
                                                       : nullptr;
        if (!pValue) {
            tableArgs.push_back(args[i]);
            continue;
        }
        if (i + 1 == args.size() || args[i + 1].empty()) {
            err << "gombrel-cli: " << args[i] << (args[i] == "--html" ? " needs a file name\n" : " needs a folder\n");
            return false;
        }
        bResults = bResults || pValue == &options.strResults;
        *pValue = args[++i];
    }
    if (!ParseTableOption(tableArgs, options.pszTable, err))
        return false;
    if (!bResults) {
        err << "gombrel-cli: ranges needs --results DIR (or a file saved from values) and, for a folder, --doe2 DIR"
               " (see gombrel-cli --help)\n";
        return false;
    }
    return true;
}

// The page is written beside its final name and renamed over it, so that a
// failed run never leaves half a page nor spoils an earlier one.
bool WritePage(const std::string &strFile, const std::string &strPage, std::ostream &err)
{
    const std::filesystem::path target = FilePath(NativePath(strFile));
    std::filesystem::path partial = target;
    partial += ".partial";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file << strPage;
        file.close();
        if (!file) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            err << "gombrel-cli: cannot write " << strFile << '\n';
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, target, error);
    if (error) {
        std::filesystem::remove(partial, error);
        err << "gombrel-cli: cannot write " << strFile << '\n';
        return false;
    }
    return true;
}

// The folder the page goes into must exist before the results are read:
// evaluating them may take long, and the page would then be lost.
bool PageFolderExists(const std::string &strFile, std::ostream &err)
{
    std::error_code error;
    const std::filesystem::path target = FilePath(NativePath(strFile));
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    if (std::filesystem::is_directory(target, error)) {
        err << "gombrel-cli: --html " << strFile << " is a folder, not a file name\n";
        return false;
    }
    if (!std::filesystem::is_directory(folder, error)) {
        err << "gombrel-cli: --html " << strFile << ": its folder does not exist\n";
        return false;
    }
    return true;
}

// The posted values of the records read, by table and cell.
PostedCells PostedCellsOf(const ValueSet &values)
{
    PostedCells posted;
    for (const auto &[key, value] : values) {
        const MappingTable &table = g_aMappingTables[key.first];
        PostedValue cell;
        if (value.strOutcome == "number") {
            cell.dNumber = std::strtod(value.strNumber.c_str(), nullptr);
        } else if (value.strOutcome == "text") {
            cell.bNumber = false;
            cell.strText = value.strText;
        } else {
            continue;  // skipped or failed: no value
        }
        posted[table.pszName][CellName(table.pItems()[key.second])] = cell;
    }
    return posted;
}

// The sections of the table given, or all.
std::vector<std::string> SectionsOf(const char *pszTable)
{
    std::vector<std::string> sections;
    for (const ReferenceSection &section : g_aReferenceSections)
        if (!pszTable || std::string(pszTable) == section.pszTable)
            sections.push_back(section.pszSection);
    return sections;
}

}  // namespace

int RunRangesCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    RangesOptions options;
    if (!ParseRangesOptions(args, options, err))
        return kExitUsage;
    if (!options.strHtml.empty() && !PageFolderExists(options.strHtml, err))
        return kExitUsage;
    const ReferenceData &data = Std140ReferenceData();
    if (!data.strFailure.empty()) {
        err << "gombrel-cli: " << data.strFailure << '\n';
        return 1;
    }
    ValueSet values;
    if (!ReadValuesSource(options.strDoe2Folder, options.pszTable, options.strResults, "ranges", values, err))
        return kExitUsage;
    const std::vector<std::string> sections = SectionsOf(options.pszTable);
    const std::vector<RangeRow> rows = CompareWithReference(data, PostedCellsOf(values), sections);
    std::map<std::string, RangeCounts> counts;
    out << kRangesHeader << '\n';
    for (const RangeRow &row : rows) {
        out << FormatRangeRow(row) << '\n';
        counts[row.pReference->strSection].Add(row.position);
    }
    out.flush();
    size_t compared = 0;
    for (const std::string &section : sections) {
        const RangeCounts &count = counts[section];
        err << "# " << section << ": " << count.inside << " of " << count.Compared()
            << " inside the range of the example results\n";
        compared += count.Compared();
    }
    if (!options.strHtml.empty()) {
        std::ostringstream page;
        WriteRangeReportHtml(data, rows, options.strResults, page);
        if (!WritePage(options.strHtml, page.str(), err))
            return 1;
    }
    return compared ? 0 : 1;
}
