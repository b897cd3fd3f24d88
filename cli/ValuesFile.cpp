// Reading what gombrel-cli values printed, from a saved file or from a
// results folder evaluated on the spot.  A file is read whole and checked
// against the program's own tables before anything is used, so that a file
// of another version is refused rather than half read.
#include "ValuesFile.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <utility>
#include <vector>

#include "Console.h"
#include "D2ResultBinding.h"
#include "FilePath.h"
#include "Paths.h"
#include "ResultsRun.h"
#include "ValuesCommand.h"

namespace {

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
    if (!IsEvaluatedInRound(item) || CellName(item) != columns[2])
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

}  // namespace

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

namespace {

// The records of a results folder as values evaluates them; a library
// that cannot be bound fails every record, and is said on err as values
// says it.
bool EvaluateFolder(const std::string &strDoe2Folder, const char *pszTable, const std::string &strFolder,
                    ValueSet &values, std::string &strFailure, std::ostream &err)
{
    const std::string doe2Folder = WithTrailingSeparator(strDoe2Folder);
    std::string unbound;
    const std::unique_ptr<ResultLibrary> library = BindResultLibrary(doe2Folder, unbound);
    if (!library)
        err << "gombrel-cli: " << unbound << '\n';
    ResultAccess access(library.get());
    std::stringstream text;
    text << kValuesHeader;
    for (const MappingTable &table : g_aMappingTables)
        if (!pszTable || table.pszName == std::string(pszTable))
            PrintTableValues(access, table, doe2Folder, strFolder, text, library ? std::string() : unbound);
    return ReadValuesText(text, pszTable, values, strFailure);
}

}  // namespace

bool ReadValuesSource(const std::string &strDoe2Folder, const char *pszTable, const std::string &strSide,
                      const char *pszCommand, ValueSet &values, std::ostream &err)
{
    std::error_code error;
    std::string failure;
    if (std::filesystem::is_directory(FilePath(NativePath(strSide)), error)) {
        const std::string folderProblem =
            strDoe2Folder.empty() ? std::string(pszCommand) + " needs --doe2 DIR to evaluate the results folder " + strSide
                                  : OnOneLine(FolderCheckMessage(strDoe2Folder, strSide));
        if (!folderProblem.empty()) {
            err << "gombrel-cli: " << folderProblem << '\n';
            return false;
        }
        if (EvaluateFolder(strDoe2Folder, pszTable, strSide, values, failure, err))
            return true;
    } else {
        std::ifstream file(FilePath(NativePath(strSide)), std::ios::binary);
        if (!file) {
            err << "gombrel-cli: " << strSide << " is neither a results folder nor a readable file\n";
            return false;
        }
        if (ReadValuesText(file, pszTable, values, failure))
            return true;
    }
    err << "gombrel-cli: " << strSide << " is refused, it was not saved from gombrel-cli values of this version: "
        << failure << '\n';
    return false;
}

