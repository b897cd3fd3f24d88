// The spreadsheet application users get: LibreOffice Calc, started privately
// for every session (own user profile, own pipe, never a user's running
// LibreOffice) and driven through UNO.  The UNO side lives in a module
// loaded at start, so the program runs, and says so, where LibreOffice is
// not installed.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "SpreadsheetSession.h"

struct CalcOptions {
    // Where soffice.bin and the UNO type libraries are.
    std::string strProgramFolder = "/usr/lib/libreoffice/program";
    // Longest wait for a started Calc to accept the connection.
    std::chrono::milliseconds startLimit{60000};
    // Longest wait for any one call; a call that takes longer counts as a
    // Calc that has gone (its process is killed).
    std::chrono::milliseconds callLimit{120000};
    // Folder for the session's profile and temporary files; empty: TMPDIR,
    // else /tmp.
    std::string strTempFolder;
};

class CalcLauncher : public SpreadsheetLauncher {
public:
    explicit CalcLauncher(CalcOptions options = CalcOptions()) : m_options(std::move(options)) {}
    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override;

private:
    CalcOptions m_options;
};

// What a running Calc session consists of, for whoever must check on it.
struct CalcSessionInfo {
    int iProcessId = -1;
    std::string strFolder;
    std::vector<std::string> socketPaths;
};

// A rectangle of a new workbook's cells filled in one call: its top left
// cell (A1 address) and its rows of texts, each read as US English input in
// Calc's own syntax (formulas by the thousand: "=$'A'.C65*2").
struct TextBlock {
    std::string strFirstCell;
    std::vector<std::vector<std::string>> rows;
};

// A chart of a new workbook, drawing an area of one of its sheets (one
// series a column), its top left corner on the top left corner of a cell of
// the sheet that holds it.
struct WorkbookChart {
    std::string strName;
    std::string strDataSheet;
    std::string strDataArea;  // "C65:C99"
    std::string strAnchorCell;
};

// One worksheet of a new workbook: its name, texts typed into cells (A1
// address, text), notes on cells (A1 address, note text), whether the sheet
// is protected (without a password), blocks of texts and charts.
struct WorkbookSheet {
    std::string strName;
    std::vector<std::pair<std::string, std::string>> cells;
    std::vector<std::pair<std::string, std::string>> notes = {};
    bool bProtected = false;
    std::vector<TextBlock> blocks = {};
    std::vector<WorkbookChart> charts = {};
};

// Creates the workbook strPath in the binary Excel 97 format (.xls) with
// exactly these sheets, replacing any file there, through a Calc session
// that CalcLauncher started; the workbook is closed again.  Throws an
// AutomationFailure when Calc fails (or application is not Calc's).
void CreateCalcWorkbook(Application &application, const std::string &strPath, const std::vector<WorkbookSheet> &sheets);
