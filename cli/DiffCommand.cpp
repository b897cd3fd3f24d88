// gombrel-cli diff A B: the records whose value differs between two
// evaluations, each either a results folder evaluated as values does or a
// file saved from values.  A file is read whole and checked against the
// program's own tables before anything is compared, so that a file of
// another version is refused rather than half read.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>
#include <vector>

#include "Commands.h"
#include "D2ResultBinding.h"
#include "FilePath.h"
#include "MappingTables.h"
#include "Paths.h"
#include "PostToSpreadsheet.h"
#include "RunCli.h"
#include "RunCommand.h"
#include "TextMatch.h"
#include "ValuesCommand.h"

namespace {

// What values printed for one record.
struct RecordValue {
    std::string strOutcome;
    std::string strNumber;
    std::string strText;
};

// A record by its table's place in the run and its index in the table.
using RecordKey = std::pair<size_t, size_t>;
using ValueSet = std::map<RecordKey, RecordValue>;

struct DiffOptions {
    std::string strDoe2Folder;  // empty when not given
    std::vector<std::string> sides;
    const char *pszTable = nullptr;
    std::optional<double> percent;  // none: the posting pass's confirmation rule
};

const char kDiffHeader[] = "table\tcell\tproject\tkey\told\tnew\tchange\n";

bool ParsePercent(const std::string &strText, double &dPercent)
{
    char *pEnd = nullptr;
    dPercent = std::strtod(strText.c_str(), &pEnd);
    return !strText.empty() && *pEnd == '\0' && std::isfinite(dPercent) && dPercent >= 0.0;
}

// The value after option args[i], or false (with a message on err).
bool TakeValue(const Arguments &args, size_t &i, const char *pszWhat, std::string &strValue, std::ostream &err)
{
    if (i + 1 == args.size()) {
        err << "gombrel-cli: " << args[i] << " needs " << pszWhat << '\n';
        return false;
    }
    strValue = args[++i];
    return true;
}

// --doe2 DIR, --tolerance PERCENT, --table NAME and the two sides in any
// order; false (with a message on err) for anything else.
bool ParseDiffOptions(const Arguments &args, DiffOptions &options, std::ostream &err)
{
    Arguments tableArgs;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--doe2") {
            if (!TakeValue(args, i, "a folder", options.strDoe2Folder, err))
                return false;
        } else if (args[i] == "--tolerance") {
            std::string value;
            double percent = 0.0;
            if (!TakeValue(args, i, "a percentage", value, err))
                return false;
            if (!ParsePercent(value, percent)) {
                err << "gombrel-cli: --tolerance needs a percentage of 0 or more, not '" << value << "'\n";
                return false;
            }
            options.percent = percent;
        } else if (StartsWith(args[i], "-")) {
            // ParseTableOption reads the table and tells any other option.
            tableArgs.push_back(args[i]);
            if (args[i] == "--table" && i + 1 < args.size())
                tableArgs.push_back(args[++i]);
        } else {
            options.sides.push_back(args[i]);
        }
    }
    if (!ParseTableOption(tableArgs, options.pszTable, err))
        return false;
    if (options.sides.size() != 2) {
        err << "gombrel-cli: diff needs two sides, each a results folder or a file saved from values"
               " (see gombrel-cli --help)\n";
        return false;
    }
    return true;
}

std::string CellOf(const GombrelData &item) { return item.psCol + std::to_string(item.iRow); }

bool IsDecimalIndex(const std::string &strText)
{
    return !strText.empty() && strText.size() < 10 &&
           strText.find_first_not_of("0123456789") == std::string::npos;
}

bool IsNumberText(const std::string &strText)
{
    char *pEnd = nullptr;
    std::strtod(strText.c_str(), &pEnd);
    return !strText.empty() && *pEnd == '\0';
}

// The five tabs that end the first five columns; the text (last) may hold more.
bool SplitValuesLine(const std::string &strLine, std::vector<std::string> &columns)
{
    columns.clear();
    size_t start = 0;
    for (int column = 0; column < 5; ++column) {
        const size_t tab = strLine.find('\t', start);
        if (tab == std::string::npos)
            return false;
        columns.push_back(strLine.substr(start, tab - start));
        start = tab + 1;
    }
    columns.push_back(strLine.substr(start));
    return true;
}

// "" when the columns name an evaluated record of this program's tables
// with a well-formed value; else why not.
std::string CheckValuesColumns(const std::vector<std::string> &columns, RecordKey &key)
{
    const MappingTable *table = FindMappingTable(columns[0].c_str());
    if (!table)
        return "unknown table '" + columns[0] + "'";
    key.first = static_cast<size_t>(table - g_aMappingTables);
    if (!IsDecimalIndex(columns[1]) || std::stoul(columns[1]) >= CountRecords(table->pItems()))
        return "no record " + columns[1] + " in " + table->pszName;
    key.second = std::stoul(columns[1]);
    const GombrelData &item = table->pItems()[key.second];
    if (!IsEvaluatedInRound(item) || CellOf(item) != columns[2])
        return std::string(table->pszName) + " record " + columns[1] + " is not cell " + columns[2] +
               " in this program's tables";
    const std::string &outcome = columns[3];
    const bool bValued = outcome == "number" || outcome == "text";
    if (!bValued && outcome != "skip" && outcome != "error")
        return "unknown outcome '" + outcome + "'";
    if (bValued ? !IsNumberText(columns[4]) : !columns[4].empty())
        return "number '" + columns[4] + "' does not go with outcome " + outcome;
    return "";
}

// Reads a whole values text into values (the records of pszTable only,
// when given); false, with the reason and nothing kept, at the first line
// this program's values would not have written (a line cut short too).
bool ReadValuesText(std::istream &in, const char *pszTable, ValueSet &values, std::string &strFailure)
{
    const std::string header(kValuesHeader, std::strlen(kValuesHeader) - 1);
    std::string line;
    if (!std::getline(in, line) || in.eof() || line != header) {
        strFailure = "its first line is not the header of gombrel-cli values (table, index, cell, outcome, "
                     "number, text, tab-separated)";
        return false;
    }
    ValueSet read;
    std::vector<std::string> columns;
    for (size_t lineNumber = 2; std::getline(in, line); ++lineNumber) {
        RecordKey key;
        std::string problem = SplitValuesLine(line, columns) ? CheckValuesColumns(columns, key)
                                                             : "fewer than six tab-separated columns";
        // values ends every line: a last one without its end was cut short.
        if (problem.empty() && in.eof())
            problem = "it ends in the middle of the line";
        if (problem.empty() && read.count(key))
            problem = "a second line for " + columns[0] + " record " + columns[1];
        if (!problem.empty()) {
            strFailure = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        if (!pszTable || columns[0] == pszTable)
            read[key] = {columns[3], columns[4], columns[5]};
    }
    values = std::move(read);
    return true;
}

// The records of a results folder as values evaluates them.
bool EvaluateFolder(const DiffOptions &options, const std::string &strFolder, ValueSet &values,
                    std::string &strFailure)
{
    const std::string doe2Folder = WithTrailingSeparator(options.strDoe2Folder);
    std::string unbound;
    const std::unique_ptr<ResultLibrary> library = BindResultLibrary(doe2Folder, unbound);
    ResultAccess access(library.get());
    std::stringstream text;
    text << kValuesHeader;
    for (const MappingTable &table : g_aMappingTables)
        if (!options.pszTable || table.pszName == std::string(options.pszTable))
            PrintTableValues(access, table, doe2Folder, strFolder, text, library ? std::string() : unbound);
    return ReadValuesText(text, options.pszTable, values, strFailure);
}

// One side: false with a message on err when it cannot be had.
bool ReadSide(const DiffOptions &options, const std::string &strSide, ValueSet &values, std::ostream &err)
{
    std::error_code error;
    std::string failure;
    if (std::filesystem::is_directory(FilePath(NativePath(strSide)), error)) {
        const std::string folderProblem =
            options.strDoe2Folder.empty() ? "diff needs --doe2 DIR to evaluate the results folder " + strSide
                                          : OnOneLine(FolderCheckMessage(options.strDoe2Folder, strSide));
        if (!folderProblem.empty()) {
            err << "gombrel-cli: " << folderProblem << '\n';
            return false;
        }
        if (EvaluateFolder(options, strSide, values, failure))
            return true;
    } else {
        std::ifstream file(FilePath(NativePath(strSide)), std::ios::binary);
        if (!file) {
            err << "gombrel-cli: " << strSide << " is neither a results folder nor a readable file\n";
            return false;
        }
        if (ReadValuesText(file, options.pszTable, values, failure))
            return true;
    }
    err << "gombrel-cli: " << strSide << " is refused, it was not saved from gombrel-cli values of this version: "
        << failure << '\n';
    return false;
}

double Magnitude(double dLeft, double dRight) { return std::max(std::fabs(dLeft), std::fabs(dRight)); }

bool NumberChanged(const std::string &strOld, const std::string &strNew, const std::optional<double> &percent)
{
    if (strOld == strNew)
        return false;
    if (strOld.empty() || strNew.empty())
        return true;
    const double oldNumber = std::strtod(strOld.c_str(), nullptr), newNumber = std::strtod(strNew.c_str(), nullptr);
    if (!percent)
        return !PostedValueMatches(newNumber, oldNumber);
    return !(std::fabs(newNumber - oldNumber) <= *percent / 100.0 * Magnitude(oldNumber, newNumber));
}

bool Changed(const RecordValue &old, const RecordValue &now, const std::optional<double> &percent)
{
    return old.strOutcome != now.strOutcome || old.strText != now.strText ||
           NumberChanged(old.strNumber, now.strNumber, percent);
}

// The outcome with what it wrote: "number 12.5", "text 3/15", "skip",
// "error TEXT"; "absent" for a record the side does not hold.
std::string Shown(const RecordValue *pValue)
{
    if (!pValue)
        return "absent";
    std::string shown = pValue->strOutcome;
    if (pValue->strOutcome == "number")
        shown += ' ' + pValue->strNumber;
    return pValue->strText.empty() ? shown : shown + ' ' + pValue->strText;
}

// (new - old) / |old| in percent, when both are numbers and old is not 0.
std::string RelativeChange(const RecordValue *pOld, const RecordValue *pNew)
{
    if (!pOld || !pNew || pOld->strNumber.empty() || pNew->strNumber.empty())
        return "";
    const double oldNumber = std::strtod(pOld->strNumber.c_str(), nullptr);
    const double newNumber = std::strtod(pNew->strNumber.c_str(), nullptr);
    if (oldNumber == 0.0)
        return "";
    char text[40];
    std::snprintf(text, sizeof text, "%+.3g%%", 100.0 * (newNumber - oldNumber) / std::fabs(oldNumber));
    return text;
}

// The result or list identifier, and the special-processing key when there is one.
std::string KeyOf(const GombrelData &item)
{
    std::string key = std::to_string(item.iNHRListID);
    return item.psSpecialProcessing && *item.psSpecialProcessing ? key + ' ' + item.psSpecialProcessing : key;
}

void PrintChange(const RecordKey &key, const RecordValue *pOld, const RecordValue *pNew, std::ostream &out)
{
    const MappingTable &table = g_aMappingTables[key.first];
    const GombrelData &item = table.pItems()[key.second];
    out << table.pszName << '\t' << CellOf(item) << '\t' << (item.psSimResPathFile ? item.psSimResPathFile : "")
        << '\t' << KeyOf(item) << '\t' << Shown(pOld) << '\t' << Shown(pNew) << '\t' << RelativeChange(pOld, pNew)
        << '\n';
}

const RecordValue *Find(const ValueSet &values, const RecordKey &key)
{
    const auto found = values.find(key);
    return found == values.end() ? nullptr : &found->second;
}

// Prints the table of changes and the counts per table; the number changed.
size_t PrintChanges(const ValueSet &oldValues, const ValueSet &newValues, const std::optional<double> &percent,
                    std::ostream &out)
{
    std::map<RecordKey, std::pair<const RecordValue *, const RecordValue *>> records;
    for (const auto &[key, value] : oldValues)
        records[key] = {&value, Find(newValues, key)};
    for (const auto &[key, value] : newValues)
        records[key] = {Find(oldValues, key), &value};
    std::map<size_t, std::pair<size_t, size_t>> perTable;  // changed, compared
    out << kDiffHeader;
    for (const auto &[key, pair] : records) {
        const auto [pOld, pNew] = pair;
        const bool bChanged = !pOld || !pNew || Changed(*pOld, *pNew, percent);
        if (bChanged)
            PrintChange(key, pOld, pNew, out);
        perTable[key.first].first += bChanged;
        ++perTable[key.first].second;
    }
    size_t changed = 0;
    for (const auto &[table, count] : perTable) {
        out << "# " << g_aMappingTables[table].pszName << ": " << count.first << " of " << count.second
            << " records changed\n";
        changed += count.first;
    }
    return changed;
}

}  // namespace

int RunDiffCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    DiffOptions options;
    if (!ParseDiffOptions(args, options, err))
        return kExitUsage;
    ValueSet oldValues, newValues;
    if (!ReadSide(options, options.sides[0], oldValues, err) || !ReadSide(options, options.sides[1], newValues, err))
        return kExitUsage;
    return PrintChanges(oldValues, newValues, options.percent, out) == 0 ? 0 : 1;
}
