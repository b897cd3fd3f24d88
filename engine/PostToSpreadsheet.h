// The posting pass over one workbook: checks the file, opens it in the
// running spreadsheet application, posts every record's value into its cell
// and, when asked, reads the numbers back and posts again until they agree
// (ten rounds at most), then saves the workbook.  Automation and posting-log
// failures are reported to the user inside the pass and never leave it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Automation.h"
#include "GombrelData.h"
#include "ResultAccess.h"
#include "UserMessages.h"

// Told where a run has got to, for a progress display.  Purely informative:
// nothing it does changes the run.
class RunProgress {
public:
    virtual ~RunProgress() = default;
    virtual void WorkbookStarted(const std::string &strWorkbookPath) = 0;
    // iRound counts from 1; odd rounds post, even rounds check.
    virtual void RoundStarted(int32_t iRound, bool bPosting) = 0;
    // The run reads through the library loaded from strLibraryFile (empty
    // for one not loaded from a file).
    virtual void LibraryBound(const std::string &strLibraryFile) { (void)strLibraryFile; }
};

// Opens strPath in the C library mode pszMode and closes it again; true when
// the open succeeded.
using FileProbe = std::function<bool(const std::string &strPath, const char *pszMode)>;
bool OpenAndClose(const std::string &strPath, const char *pszMode);

// How a pass went beyond its count and the error text, for a run that must
// tell a pass that posted its workbook whole from one that went wrong.
struct PassOutcome {
    std::string strFailureShown;  // the text of the first failure the pass showed in a box
    bool bConfirmed = false;      // its last checking round found every number equal
};

// What a pass needs besides its request: where messages go, the posting-log
// switch (asked once per pass; none: no log), how the workbook file is
// probed, and an optional progress display; and where the pass tells how it
// went (filled anew by every pass).
struct PassServices {
    UserMessages &messages;
    std::function<int32_t()> readLogFlag = nullptr;
    FileProbe probeFile = OpenAndClose;
    RunProgress *pProgress = nullptr;
    PassOutcome outcome{};
};

// What one pass posts where.
struct PostingRequest {
    std::string strDoe2Folder;     // ends in its separator; handed to every read
    std::string strResultsFolder;  // no trailing separator: every record's project
                                   // and the posting log "GombrelApp Dbg.txt" lie below it
    std::string strFileDesc;       // the kind of file, as messages name it
    std::string strWorkbookPath;
    std::string strLibraryFile;    // the result library's file, named in the posting log
    const GombrelData *pTable = nullptr;  // one mapping table, ended by the end record
    bool bCheckPosted = false;     // read the numbers back until they agree
    bool bAppendLog = false;       // append to the posting log instead of starting it anew
};

// Posts request's table into its workbook, reading results through access.
// Returns the number of cell writes over all posting rounds; 0 with
// strErrorText set when the workbook is missing or not writable; 0 when the
// workbook could not be opened or saved (the failure is shown).  A pass
// entered with a non-empty strErrorText opens and saves the workbook but
// visits no record.
int32_t PostToSpreadsheet(Application &application, const PostingRequest &request, ResultAccess &access,
                          std::string &strErrorText, PassServices &services);
