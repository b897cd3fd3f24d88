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

#include "ExcelSession.h"

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
    bool StartExcel(DispatchHolder<Application> &application, UserMessages &messages) override;

private:
    CalcOptions m_options;
};

// What a running Calc session consists of, for whoever must check on it.
struct CalcSessionInfo {
    int iProcessId = -1;
    std::string strFolder;
    std::vector<std::string> socketPaths;
};

// Fills info for an application that CalcLauncher started; false for any
// other application.
bool DescribeCalcSession(Application &application, CalcSessionInfo &info);

// One worksheet of a new workbook: its name, texts typed into cells (A1
// address, text), notes on cells (A1 address, note text) and whether the
// sheet is protected (without a password).
struct WorkbookSheet {
    std::string strName;
    std::vector<std::pair<std::string, std::string>> cells;
    std::vector<std::pair<std::string, std::string>> notes = {};
    bool bProtected = false;
};

// Creates the workbook strPath in the binary Excel 97 format (.xls) with
// exactly these sheets, replacing any file there, through a Calc session
// that CalcLauncher started; the workbook is closed again.  Throws an
// AutomationFailure when Calc fails (or application is not Calc's).
void CreateCalcWorkbook(Application &application, const std::string &strPath, const std::vector<WorkbookSheet> &sheets);
