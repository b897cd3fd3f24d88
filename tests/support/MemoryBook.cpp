#include "MemoryBook.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "FilePath.h"
#include "FormatText.h"

namespace {

const char kHeader[] = "gombrel-memory-workbook 1";

const std::pair<MemoryCell::Kind, const char *> kKindNames[] = {
    {MemoryCell::Kind::Number, "number"},
    {MemoryCell::Kind::Text, "text"},
    {MemoryCell::Kind::Formula, "formula"},
    {MemoryCell::Kind::Error, "error"},
};

// strText with backslashes, tabs and line ends written as \\, \t and \n.
std::string EscapeField(const std::string &strText)
{
    std::string escaped;
    for (char c : strText) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

// The reverse of EscapeField; an unknown escape stands for its character.
std::string UnescapeField(const std::string &strText)
{
    std::string text;
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] != '\\' || i + 1 == strText.size()) {
            text += strText[i];
            continue;
        }
        const char next = strText[++i];
        text += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    }
    return text;
}

// The tab-separated fields of a line, empty ones included.
std::vector<std::string> SplitTabs(const std::string &strLine)
{
    std::vector<std::string> fields(1);
    for (char c : strLine) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// The cell kind a file names; false for an unknown name.
bool KindFromName(const std::string &strName, MemoryCell::Kind &kind)
{
    for (const auto &entry : kKindNames)
        if (strName == entry.second) {
            kind = entry.first;
            return true;
        }
    return false;
}

// The name the file gives a cell kind.
const char *KindName(MemoryCell::Kind kind)
{
    for (const auto &entry : kKindNames)
        if (entry.first == kind)
            return entry.second;
    return "text";
}

// Reads one "cell" line's fields into sheet; false when they make no cell.
bool ReadCell(const std::vector<std::string> &fields, MemorySheet &sheet)
{
    CellAddress address;
    MemoryCell cell;
    if (fields.size() != 4 || !ParseCellAddress(fields[1], address) || !KindFromName(fields[2], cell.kind))
        return false;
    cell.strText = UnescapeField(fields[3]);
    if (cell.kind == MemoryCell::Kind::Number) {
        char *end = nullptr;
        cell.dNumber = std::strtod(cell.strText.c_str(), &end);
        if (cell.strText.empty() || *end != '\0')
            return false;
        cell.strText.clear();
    }
    sheet.cells[address] = cell;
    return true;
}

// Reads one line into book; false when it is neither a sheet nor a cell of
// a sheet.
bool ReadLine(const std::string &strLine, MemoryBook &book)
{
    const std::vector<std::string> fields = SplitTabs(strLine);
    if (fields.size() == 2 && fields[0] == "sheet") {
        book.sheets.push_back({UnescapeField(fields[1]), {}});
        return true;
    }
    return !fields.empty() && fields[0] == "cell" && !book.sheets.empty() && ReadCell(fields, book.sheets.back());
}

// The value field of a cell line: a number with every digit it needs, a
// text escaped.
std::string CellValueField(const MemoryCell &cell)
{
    if (cell.kind == MemoryCell::Kind::Number)
        return FormatText("%.17g", cell.dNumber);
    return EscapeField(cell.strText);
}

}  // namespace

bool LoadMemoryBook(const std::string &strPath, MemoryBook &book, std::string &strFailure)
{
    std::ifstream file(FilePath(strPath), std::ios::binary);
    if (!file) {
        strFailure = FormatText("cannot open '%s': %s", strPath.c_str(), std::strerror(errno));
        return false;
    }
    std::string line;
    if (!std::getline(file, line) || line != kHeader) {
        strFailure = FormatText("'%s' is not a workbook", strPath.c_str());
        return false;
    }
    MemoryBook loaded;
    for (int lineNumber = 2; std::getline(file, line); ++lineNumber)
        if (!ReadLine(line, loaded)) {
            strFailure = FormatText("'%s' line %d: not a sheet or cell", strPath.c_str(), lineNumber);
            return false;
        }
    book = std::move(loaded);
    return true;
}

bool SaveMemoryBook(const std::string &strPath, const MemoryBook &book, std::string &strFailure)
{
    // Binary, so that the file is the same on every system (no CRLF).
    std::ofstream file(FilePath(strPath), std::ios::binary | std::ios::trunc);
    if (file) {
        file << kHeader << '\n';
        for (const MemorySheet &sheet : book.sheets) {
            file << "sheet\t" << EscapeField(sheet.strName) << '\n';
            for (const auto &[address, cell] : sheet.cells)
                file << "cell\t" << FormatCellAddress(address) << '\t' << KindName(cell.kind) << '\t'
                     << CellValueField(cell) << '\n';
        }
        file.flush();
    }
    if (!file) {
        strFailure = FormatText("cannot write '%s': %s", strPath.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}
