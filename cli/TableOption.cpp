// The "--table NAME" option shared by the commands that walk the tables.
#include <ostream>

#include "Commands.h"
#include "MappingTables.h"

bool ParseTableOption(const Arguments &args, const char *&pszTable, std::ostream &err)
{
    pszTable = nullptr;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--table") {
            err << "gombrel-cli: unknown option '" << args[i] << "' (see gombrel-cli --help)\n";
            return false;
        }
        if (i + 1 == args.size()) {
            err << "gombrel-cli: --table needs a table name\n";
            return false;
        }
        const MappingTable *table = FindMappingTable(args[++i].c_str());
        if (!table) {
            err << "gombrel-cli: unknown table '" << args[i]
                << "' (Std140Sec5_2Items, Std140Sec5_3Items, Std140Sec5_3BItems or Std140Sec5_4Items)\n";
            return false;
        }
        pszTable = table->pszName;
    }
    return true;
}
