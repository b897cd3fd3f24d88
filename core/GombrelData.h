// One mapping record: which DOE-2 result goes into which workbook cell, and
// how it is reduced on the way.  Records are plain constant data; their texts
// point to strings that live as long as the program (never owned, never
// freed).  An empty text ("") and a null text are different values.
#pragma once

#include <cstdint>
#include <string>

struct GombrelData {
    const char *psCol;               // column letters; null only in the end record
    int32_t iRow;                    // worksheet row
    int32_t iAction;                 // see the GOMBREL_ACTION_ codes
    int32_t iDecimalPlaces;          // -1 none, 0..5 decimal places
    int32_t iNHRListID;              // result identifier or hourly list identifier
    const char *psRowKey;            // never null
    const char *psReportKey;         // never null
    int32_t iD2ResFileType;          // 3, 4, 5 hourly; anything else non-hourly
    float fMultiplier;
    const char *psSpecialProcessing; // key, formula template, or null/empty
    int32_t iNHRListID_Special;      // second identifier or (packed) variable numbers
    const char *psSimResPathFile;    // project below the results folder, or null
    const char *psItemString;        // worksheet name or derived quantity, or null
};

enum : int32_t {
    GOMBREL_ACTION_NUMBER = 0,
    GOMBREL_ACTION_TEXT = 1,
    GOMBREL_ACTION_SELECT_SHEET = 3,
    GOMBREL_ACTION_CLEAR = 4,
};

// The record every field of which has its default value; it also ends every
// table.
constexpr GombrelData kDefaultGombrelData = {nullptr, 0, 0, -1, 0, "", "", 0, 1.0f, nullptr, 0, nullptr, nullptr};

// True for the record that ends a table: only psCol is looked at, so a
// record with other non-default fields still ends the walk.
inline bool IsEndRecord(const GombrelData &item) { return item.psCol == nullptr; }

// The cell item names, as A1 text: its column letters and its row ("C65").
// Not for the end record, which names none.
std::string CellName(const GombrelData &item);

// True for the records a posting round evaluates: numbers, and texts that
// have a key to make their text from (an empty key counts as none).
inline bool IsEvaluatedInRound(const GombrelData &item)
{
    return item.iAction == GOMBREL_ACTION_NUMBER ||
           (item.iAction == GOMBREL_ACTION_TEXT && item.psSpecialProcessing && *item.psSpecialProcessing);
}

// Replaces strText with the one-line description of item used behind
// failure messages.  Every field but iDecimalPlaces is shown; null texts
// read "(null)", the float is widened to double and printed with %g.
void DescribeGombrelData(const GombrelData &item, std::string &strText);
