// The example results of the Standard 140 results workbooks (the files of
// ranges/data, compiled into the program), row by row, with the cell of this
// program's tables that each row compares with and the conversion from that
// cell into the row's unit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One program's value in a row, as the data writes it (a number, a date, an
// hour).
struct ReferenceValue {
    std::string strProgram;
    std::string strText;
};

struct ReferenceRow {
    std::string strSection;   // "5.2", "5.3", "5.3B", "5.4"
    std::string strCase;      // "600", "CE500 May-Sep", ...
    std::string strQuantity;  // "annual_heating_MWh", "Jun28_h05_compressor_Wh", ...
    std::string strUnit;      // "MWh", "degC", "date", "hour", "-", ...
    std::string strYourDataCell;
    // The simulation programs with a value, in the workbook's order; a
    // program the workbook leaves out of this row's statistics is not here.
    std::vector<ReferenceValue> programs;
    // The analytical solutions of sections 5.3 and 5.4 with a value.
    std::vector<ReferenceValue> analytical;
    std::string strMin, strMax;  // over the programs; empty for dates and hours
    int iPrograms = 0;           // programs with a value
    // The cell this program posts for the row ("C65"), or empty.
    std::string strProjectCell;
    // How the row's value is formed from posted cells, in the workbook's
    // formula notation (cells of the row's section, its own data cells or
    // posted ones); empty: the posted cell as it is.
    std::string strConversion;
    // The reason, when the row cannot be matched to this program's cells.
    std::string strLeftOut;

    bool IsDateOrHour() const { return strUnit == "date" || strUnit == "hour"; }
};

// A decision the data's own layout could not make, from cell-matching.tsv.
struct MatchingRule {
    std::string strSection;
    std::string strQuantity;  // a trailing * matches any ending
    std::string strDecision;  // "leave-out" or "convert"
    std::string strConversion;
    std::string strReason;
};

struct ReferenceData {
    std::vector<ReferenceRow> rows;  // in the data's order, section by section
    std::vector<MatchingRule> rules;
    std::string strFailure;  // not empty when the data could not be read (no rows then)
};

// The data, read once from the compiled-in files.
const ReferenceData &Std140ReferenceData();

// Reads the files given (name and text, as ReferenceTexts.h holds them)
// into data; false with the file, line and reason in strFailure.
bool ReadReferenceData(const std::vector<std::pair<std::string, std::string>> &files, ReferenceData &data,
                       std::string &strFailure);

// The sections in the order of the tables, each with the table of this
// program that posts it.
struct ReferenceSection {
    const char *pszSection;
    const char *pszTable;
};
extern const ReferenceSection g_aReferenceSections[4];

// Which edition the data comes from, in one phrase.
extern const char kReferenceEdition[];
