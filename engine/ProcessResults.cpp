#include "ProcessResults.h"

#include "EvaluateItemValue.h"
#include "MappingTables.h"
#include "Paths.h"

const char kResultsFileDescription[] = "DOE-2 Results spreadsheet";
const char kSpreadsheetStartFailure[] = "Error encountered attempting to open Excel";

namespace {

// Why a pass that showed nothing and left no error text still did not post
// its workbook whole.
const char kNothingWritten[] = "no cell was written";
const char kNotConfirmed[] = "a number read back still differed from its result after the last checking round";

// The record that proves a whole year of hourly results can be read (cell
// M146 of Std140Sec5-3B, case ce300); its value is not used.
void PreCheck(ResultAccess &access, std::string &strErrorText, const std::string &strDoe2Folder,
              const std::string &strResultsFolder)
{
    ItemValue value;
    EvaluateItemValue(access, Std140Sec5_3BItems()[1], strDoe2Folder, strResultsFolder, strErrorText, value);
}

// The path of table's workbook: shown in messages and the log as well as
// opened, so in the platform's own form.
std::string WorkbookPath(const std::string &strResultsFolder, const MappingTable &table)
{
    return PathBelow(strResultsFolder, table.pszWorkbookFile);
}

// One pass over table's workbook; its count.
int32_t PostWorkbook(Application &application, const MappingTable &table, bool bFirst, ResultAccess &access,
                     std::string &strErrorText, const std::string &strDoe2Folder,
                     const std::string &strResultsFolder, int32_t iCheckFlag, PassServices &services)
{
    PostingRequest request;
    request.strDoe2Folder = strDoe2Folder;
    request.strResultsFolder = strResultsFolder;
    request.strFileDesc = kResultsFileDescription;
    request.strWorkbookPath = WorkbookPath(strResultsFolder, table);
    request.strLibraryFile = access.pLibrary ? access.pLibrary->LibraryFile() : std::string();
    request.pTable = table.pItems();
    request.bCheckPosted = iCheckFlag != 0;
    request.bAppendLog = !bFirst;
    if (services.pProgress)
        services.pProgress->WorkbookStarted(request.strWorkbookPath);
    return PostToSpreadsheet(application, request, access, strErrorText, services);
}

// Adds the pass over strWorkbookPath to the run's outcome.  An error text
// the pass leaves ends the run there, even when the pass wrote cells: the
// next pass visits no record.  An error text it was given (strErrorBefore)
// was told of where it arose.
void TellPass(RunOutcome &outcome, const std::string &strWorkbookPath, int32_t iCount,
              const std::string &strErrorBefore, const std::string &strErrorText, const PassOutcome &pass,
              int32_t iCheckFlag)
{
    if (!strErrorText.empty() && strErrorText != strErrorBefore)
        outcome.problems.push_back({strWorkbookPath, strErrorText, true});
    else if (!pass.strFailureShown.empty())
        outcome.problems.push_back({strWorkbookPath, pass.strFailureShown, iCount <= 0});
    else if (!strErrorBefore.empty())
        return;
    else if (iCount <= 0)
        outcome.problems.push_back({strWorkbookPath, kNothingWritten, true});
    else if (iCheckFlag != 0 && !pass.bConfirmed)
        outcome.problems.push_back({strWorkbookPath, kNotConfirmed, false});
    else
        outcome.postedWorkbooks.push_back(strWorkbookPath);
}

}  // namespace

int32_t ProcessResults(std::string &strErrorText, const std::string &strDoe2Folder,
                       const std::string &strResultsFolder, int32_t iCheckFlag, RunServices &services)
{
    RunOutcome &outcome = services.outcome;
    outcome = RunOutcome();
    const std::string doe2Folder = WithTrailingSeparator(strDoe2Folder);
    std::string failure;
    ResultLibrary *pLibrary = services.bindResultLibrary(doe2Folder, failure);
    if (!pLibrary) {
        strErrorText = failure;
        outcome.problems.push_back({"", failure, true});
        return 0;
    }
    if (services.pass.pProgress)
        services.pass.pProgress->LibraryBound(pLibrary->LibraryFile());
    ResultAccess access(pLibrary, services.retryPause);
    PreCheck(access, strErrorText, doe2Folder, strResultsFolder);

    DispatchHolder<Application> application;
    if (!services.launcher.StartApplication(application, services.pass.messages)) {
        strErrorText = kSpreadsheetStartFailure;
        outcome.problems.push_back({"", kSpreadsheetStartFailure, true});
        application.Release();
        return -1;
    }
    // A failed pre-check leaves its text for the first pass, which then
    // visits no record.
    if (!strErrorText.empty())
        outcome.problems.push_back({"", strErrorText, true});
    int32_t iTotal = 0;
    for (size_t step = 0; step < kMappingTableCount; ++step) {
        const std::string errorBefore = strErrorText;
        const int32_t iCount = PostWorkbook(*application, g_aMappingTables[step], step == 0, access, strErrorText,
                                            doe2Folder, strResultsFolder, iCheckFlag, services.pass);
        TellPass(outcome, WorkbookPath(strResultsFolder, g_aMappingTables[step]), iCount, errorBefore, strErrorText,
                 services.pass.outcome, iCheckFlag);
        if (iCount <= 0)
            break;
        iTotal += iCount;
    }
    EndApplication(application);
    return iTotal;
}
