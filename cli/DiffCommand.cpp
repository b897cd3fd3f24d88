// gombrel-cli diff A B: the records whose value differs between two
// evaluations, each either a results folder evaluated as values does or a
// file saved from values (read and checked whole by ValuesFile).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "Commands.h"
#include "ConfirmationRule.h"
#include "MappingTables.h"
#include "TextMatch.h"
#include "ValuesFile.h"

namespace {

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
    out << table.pszName << '\t' << CellName(item) << '\t' << (item.psSimResPathFile ? item.psSimResPathFile : "")
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
    const auto readSide = [&](const std::string &strSide, ValueSet &values) {
        return ReadValuesSource(options.strDoe2Folder, options.pszTable, strSide, "diff", values, err);
    };
    if (!readSide(options.sides[0], oldValues) || !readSide(options.sides[1], newValues))
        return kExitUsage;
    return PrintChanges(oldValues, newValues, options.percent, out) == 0 ? 0 : 1;
}
