// The words the user reads when a spreadsheet call fails inside a posting
// pass: one report per kind of failure, each a caption and a text ready for
// a message box.
#pragma once

#include <cstdint>
#include <string>

// A message box to show: its caption and its text.
struct FailureReport {
    std::string strCaption;
    std::string strText;
};

// Where a posting pass was when something failed: the last selected
// worksheet, the cell of the record in work and the kind of step.
struct FailureContext {
    std::string strTab;
    std::string strCell;
    std::string strProperty;
};

// Caption of the program's own message boxes.
extern const char kApplicationCaption[];

// Longest text (in bytes, without the terminating zero) that a report made
// outside the rounds may have: its words have always lived in a 1,024-byte
// buffer.
constexpr size_t kFailureTextLimit = 1023;

// Report of a call that could not be made or returned a failure status.
FailureReport OleFailureReport(uint32_t uStatus);

// Report of an error raised by the application inside a call: its 16-bit code
// and its description.  A description too long for the text limit is cut at
// a character boundary and ends in "..."; the closing words always remain.
FailureReport DispatchFailureReport(uint16_t wCode, const std::string &strDescription);

// Report of any other failure caught around the setup of a pass.
FailureReport GeneralFailureReport();

// The box shown when no spreadsheet application is installed; strLookedFor,
// when not empty, becomes a second line saying what was looked for.
FailureReport NotInstalledReport(const std::string &strLookedFor);

// Report of a failure during the posting rounds: the workbook and where the
// pass was, never the failure's own code.
FailureReport RoundsFailureReport(const std::string &strWorkbookPath, const FailureContext &context);
