// gombrel-cli map: the mapping tables as tab-separated text.
#include <cstdio>
#include <ostream>

#include "Commands.h"
#include "MappingTables.h"

namespace {

const char *TextField(const char *psText) { return psText ? psText : "(null)"; }

void PrintTable(const MappingTable &table, std::ostream &out)
{
    char multiplier[32];
    const GombrelData *items = table.pItems();
    for (size_t index = 0; !IsEndRecord(items[index]); ++index) {
        const GombrelData &item = items[index];
        std::snprintf(multiplier, sizeof multiplier, "%g", static_cast<double>(item.fMultiplier));
        out << table.pszName << '\t' << index << '\t' << item.psCol << '\t' << item.iRow << '\t' << item.iAction
            << '\t' << item.iDecimalPlaces << '\t' << item.iNHRListID << '\t' << TextField(item.psRowKey) << '\t'
            << TextField(item.psReportKey) << '\t' << item.iD2ResFileType << '\t' << multiplier << '\t'
            << TextField(item.psSpecialProcessing) << '\t' << item.iNHRListID_Special << '\t'
            << TextField(item.psSimResPathFile) << '\t' << TextField(item.psItemString) << '\n';
    }
}

}  // namespace

int RunMapCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    const char *pszTable = nullptr;
    if (!ParseTableOption(args, pszTable, err))
        return kExitUsage;
    out << "table\tindex\tpsCol\tiRow\tiAction\tiDecimalPlaces\tiNHRListID\tpsRowKey\tpsReportKey"
           "\tiD2ResFileType\tfMultiplier\tpsSpecialProcessing\tiNHRListID_Special\tpsSimResPathFile"
           "\tpsItemString\n";
    for (const MappingTable &table : g_aMappingTables)
        if (!pszTable || table.pszName == std::string(pszTable))
            PrintTable(table, out);
    return 0;
}
