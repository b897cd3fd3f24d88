// What gombrel-cli values printed, read back: from a file saved from values
// or from a results folder evaluated as values does.  diff and ranges read
// their sides through it.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <map>
#include <string>
#include <utility>

#include "MappingTables.h"

// What values printed for one record.
struct RecordValue {
    std::string strOutcome;
    std::string strNumber;
    std::string strText;
};

// A record by its table's place in the run and its index in the table.
using RecordKey = std::pair<size_t, size_t>;
using ValueSet = std::map<RecordKey, RecordValue>;

// Reads a whole values text into values (the records of pszTable only,
// when given); false, with the reason and nothing kept, at the first line
// this program's values would not have written (a line cut short too).
bool ReadValuesText(std::istream &in, const char *pszTable, ValueSet &values, std::string &strFailure);

// One side: strSide is a results folder (evaluated as values does, with
// strDoe2Folder, which must then be given) or a file saved from values.
// False, with a message on err naming pszCommand where it helps, when it
// cannot be had or is refused.
bool ReadValuesSource(const std::string &strDoe2Folder, const char *pszTable, const std::string &strSide,
                      const char *pszCommand, ValueSet &values, std::ostream &err);
