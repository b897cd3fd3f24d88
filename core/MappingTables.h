// The four mapping tables, one per Standard 140 results workbook.  Each is a
// constant array of records ended by the end record; a reader walks it from
// index 0 and stops at the first record whose psCol is null.  The arrays are
// expanded once, on first use, and never change afterwards.
#pragma once

#include <cstddef>

#include "GombrelData.h"

const GombrelData *Std140Sec5_2Items();
const GombrelData *Std140Sec5_3Items();
const GombrelData *Std140Sec5_3BItems();
const GombrelData *Std140Sec5_4Items();

// A table with its name and the workbook it fills ("\Std140Sec5-2.xls": a
// text appended to the results folder).
struct MappingTable {
    const char *pszName;
    const char *pszWorkbookFile;
    const GombrelData *(*pItems)();
};

// The tables in the order of a results run.
constexpr size_t kMappingTableCount = 4;
extern const MappingTable g_aMappingTables[kMappingTableCount];

// The table of that exact name, or null.
const MappingTable *FindMappingTable(const char *pszName);

// Number of records before the end record.
size_t CountRecords(const GombrelData *pTable);
