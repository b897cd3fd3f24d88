// Reading the reference data: tab-separated files with a header line, whose
// columns are named; the programs are the columns between yourdata_cell and
// min.
#include "ReferenceData.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>

#include "ReferenceTexts.h"

const ReferenceSection g_aReferenceSections[4] = {
    {"5.2", "Std140Sec5_2Items"},
    {"5.3", "Std140Sec5_3Items"},
    {"5.3B", "Std140Sec5_3BItems"},
    {"5.4", "Std140Sec5_4Items"},
};

const char kReferenceEdition[] = "ANSI/ASHRAE Standard 140-2014";

namespace {

const char kMatchingFile[] = "cell-matching.tsv";

std::vector<std::string> SplitTabs(const std::string &strLine)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = strLine.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(strLine.substr(start, tab - start));
    fields.push_back(strLine.substr(start));
    return fields;
}

// The lines of a file, without their ends (a checkout may have made them CR LF).
std::vector<std::string> SplitLines(const std::string &strText)
{
    std::vector<std::string> lines;
    std::istringstream stream(strText);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Trimmed(const std::string &strText)
{
    const size_t first = strText.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return strText.substr(first, strText.find_last_not_of(' ') + 1 - first);
}

bool IsCellName(const std::string &strText)
{
    size_t letters = 0;
    while (letters < strText.size() && strText[letters] >= 'A' && strText[letters] <= 'Z')
        ++letters;
    return letters > 0 && letters < strText.size() &&
           strText.find_first_not_of("0123456789", letters) == std::string::npos;
}

// A file's columns by name.
class Columns {
public:
    explicit Columns(const std::vector<std::string> &header) : m_header(header)
    {
        for (size_t i = 0; i < header.size(); ++i)
            m_index[header[i]] = i;
    }
    bool Has(const char *pszName) const { return m_index.count(pszName) != 0; }
    size_t Index(const char *pszName) const { return m_index.at(pszName); }
    const std::string &Name(size_t index) const { return m_header[index]; }

private:
    std::vector<std::string> m_header;
    std::map<std::string, size_t> m_index;
};

const char *const kRequiredColumns[] = {"section",     "case",        "quantity",           "unit",
                                        "yourdata_cell", "min",       "max",                "n_programs",
                                        "project_cell", "project_to_yourdata", "excluded_from_stats"};

bool IsAnalytical(const std::string &strColumn) { return strColumn.rfind("Analytical", 0) == 0; }

bool Excluded(const std::string &strList, const std::string &strProgram)
{
    std::string list = strList;
    std::replace(list.begin(), list.end(), ';', ',');
    std::istringstream stream(list);
    for (std::string name; std::getline(stream, name, ',');)
        if (Trimmed(name) == strProgram)
            return true;
    return false;
}

// The right side of "SHEET!CELL = FORMULA", checked to be the row's own
// cell; empty for "SHEET!CELL typed value (no formula)" and an empty field.
std::string ConversionOf(const std::string &strField, const std::string &strYourDataCell)
{
    if (strField.empty())
        return "";
    const size_t bang = strField.find('!');
    const size_t cellEnd = strField.find(' ', bang);
    if (bang == std::string::npos || cellEnd == std::string::npos ||
        strField.substr(bang + 1, cellEnd - bang - 1) != strYourDataCell)
        throw std::runtime_error("project_to_yourdata '" + strField + "' is not a formula of the row's cell " +
                                 strYourDataCell);
    const std::string rest = strField.substr(cellEnd);
    if (rest.rfind(" = ", 0) == 0)
        return Trimmed(rest.substr(3));
    if (rest == " typed value (no formula)")
        return "";
    throw std::runtime_error("project_to_yourdata '" + strField + "' is neither a formula nor a typed value");
}

const MatchingRule *FindRule(const std::vector<MatchingRule> &rules, const ReferenceRow &row)
{
    for (const MatchingRule &rule : rules) {
        const std::string &pattern = rule.strQuantity;
        const bool bPrefix = !pattern.empty() && pattern.back() == '*';
        const bool bMatches = bPrefix ? row.strQuantity.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0
                                      : row.strQuantity == pattern;
        if (rule.strSection == row.strSection && bMatches)
            return &rule;
    }
    return nullptr;
}

std::string ReplaceAll(std::string strText, const std::string &strWhat, const std::string &strWith)
{
    for (size_t at = 0; (at = strText.find(strWhat, at)) != std::string::npos; at += strWith.size())
        strText.replace(at, strWhat.size(), strWith);
    return strText;
}

// The project cell and conversion of a row as the data gives them, then
// as a rule decides them.  A cell the data marks uncertain ("AP173
// (inferred, see README)", "G668/H668/I668 (uncertain, see README)") must
// have a rule: the data's doubts are never passed over in silence.
void MatchRow(const std::string &strProjectField, const std::vector<MatchingRule> &rules, ReferenceRow &row)
{
    const size_t end = strProjectField.find_first_of(" /");
    row.strProjectCell = strProjectField.substr(0, end);
    if (!row.strProjectCell.empty() && !IsCellName(row.strProjectCell))
        throw std::runtime_error("project_cell '" + strProjectField + "' does not name a cell");
    const MatchingRule *rule = FindRule(rules, row);
    if (end != std::string::npos && !rule)
        throw std::runtime_error("project_cell '" + strProjectField + "' is uncertain and no rule of " +
                                 kMatchingFile + " decides it");
    if (!rule)
        return;
    if (rule->strDecision == "leave-out") {
        row.strLeftOut = rule->strReason;
        row.strProjectCell.clear();
        row.strConversion.clear();
    } else {
        if (row.strProjectCell.empty())
            throw std::runtime_error("a rule converts the project cell of a row that has none");
        row.strConversion = ReplaceAll(rule->strConversion, "{project_cell}", row.strProjectCell);
    }
}

void ReadRules(const std::vector<std::string> &lines, std::vector<MatchingRule> &rules)
{
    if (lines.empty() || lines[0] != "section\tquantity\tdecision\tproject_to_yourdata\treason")
        throw std::runtime_error("not the header of the matching rules");
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = SplitTabs(lines[i]);
        if (fields.size() != 5 || (fields[2] != "leave-out" && fields[2] != "convert"))
            throw std::runtime_error("line " + std::to_string(i + 1) + ": not a rule");
        rules.push_back({fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
}

void ReadRows(const std::vector<std::string> &lines, const std::vector<MatchingRule> &rules,
              std::vector<ReferenceRow> &rows)
{
    if (lines.empty())
        throw std::runtime_error("empty");
    const Columns columns(SplitTabs(lines[0]));
    for (const char *pszName : kRequiredColumns)
        if (!columns.Has(pszName))
            throw std::runtime_error(std::string("no column ") + pszName);
    const size_t firstProgram = columns.Index("yourdata_cell") + 1, lastProgram = columns.Index("min");
    const size_t width = SplitTabs(lines[0]).size();
    for (size_t i = 1; i < lines.size(); ++i) {
        try {
            const std::vector<std::string> fields = SplitTabs(lines[i]);
            if (fields.size() != width)
                throw std::runtime_error(std::to_string(fields.size()) + " columns, not " + std::to_string(width));
            auto field = [&](const char *pszName) -> const std::string & { return fields[columns.Index(pszName)]; };
            ReferenceRow row;
            row.strSection = field("section");
            row.strCase = field("case");
            row.strQuantity = field("quantity");
            row.strUnit = field("unit");
            row.strYourDataCell = field("yourdata_cell");
            for (size_t column = firstProgram; column < lastProgram; ++column) {
                const std::string &name = columns.Name(column);
                if (fields[column].empty() || Excluded(field("excluded_from_stats"), name))
                    continue;
                (IsAnalytical(name) ? row.analytical : row.programs).push_back({name, fields[column]});
            }
            row.strMin = field("min");
            row.strMax = field("max");
            row.iPrograms = std::atoi(field("n_programs").c_str());
            row.strConversion = ConversionOf(field("project_to_yourdata"), row.strYourDataCell);
            MatchRow(field("project_cell"), rules, row);
            rows.push_back(std::move(row));
        } catch (const std::runtime_error &error) {
            throw std::runtime_error("line " + std::to_string(i + 1) + ": " + error.what());
        }
    }
}

}  // namespace

bool ReadReferenceData(const std::vector<std::pair<std::string, std::string>> &files, ReferenceData &data,
                       std::string &strFailure)
{
    ReferenceData read;
    std::string current;
    try {
        // The rules first: every row is matched as it is read.
        for (const auto &[name, text] : files)
            if (name == kMatchingFile) {
                current = name;
                ReadRules(SplitLines(text), read.rules);
            }
        for (const auto &[name, text] : files)
            if (name != kMatchingFile) {
                current = name;
                ReadRows(SplitLines(text), read.rules, read.rows);
            }
    } catch (const std::runtime_error &error) {
        strFailure = current + ": " + error.what();
        return false;
    }
    data = std::move(read);
    return true;
}

const ReferenceData &Std140ReferenceData()
{
    static const ReferenceData data = [] {
        std::vector<std::pair<std::string, std::string>> files;
        for (size_t i = 0; i < g_nReferenceTexts; ++i)
            files.emplace_back(g_aReferenceTexts[i].pszFile,
                               std::string(g_aReferenceTexts[i].pText, g_aReferenceTexts[i].size));
        ReferenceData read;
        std::string failure;
        if (!ReadReferenceData(files, read, failure))
            read.strFailure = "the reference data compiled into this program cannot be read: " + failure;
        return read;
    }();
    return data;
}
