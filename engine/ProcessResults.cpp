#include "ProcessResults.h"

#include "EvaluateItemValue.h"
#include "MappingTables.h"
#include "Paths.h"

const char kResultsFileDescription[] = "DOE-2 Results spreadsheet";
const char kSpreadsheetStartFailure[] = "Error encountered attempting to open Excel";

namespace {

// The record that proves a whole year of hourly results can be read (cell
// M146 of Std140Sec5-3B, case ce300); its value is not used.
void PreCheck(ResultAccess &access, std::string &strErrorText, const std::string &strDoe2Folder,
              const std::string &strResultsFolder)
{
    ItemValue value;
    EvaluateItemValue(access, Std140Sec5_3BItems()[1], strDoe2Folder, strResultsFolder, strErrorText, value);
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
    // Shown in messages and the log as well as opened, so in the platform's own form.
    request.strWorkbookPath = PathBelow(strResultsFolder, table.pszWorkbookFile);
    request.strLibraryFile = access.pLibrary ? access.pLibrary->LibraryFile() : std::string();
    request.pTable = table.pItems();
    request.bCheckPosted = iCheckFlag != 0;
    request.bAppendLog = !bFirst;
    if (services.pProgress)
        services.pProgress->WorkbookStarted(request.strWorkbookPath);
    return PostToSpreadsheet(application, request, access, strErrorText, services);
}

}  // namespace

int32_t ProcessResults(std::string &strErrorText, const std::string &strDoe2Folder,
                       const std::string &strResultsFolder, int32_t iCheckFlag, RunServices &services)
{
    const std::string doe2Folder = WithTrailingSeparator(strDoe2Folder);
    std::string failure;
    ResultLibrary *pLibrary = services.bindResultLibrary(doe2Folder, failure);
    if (!pLibrary) {
        strErrorText = failure;
        return 0;
    }
    if (services.pass.pProgress)
        services.pass.pProgress->LibraryBound(pLibrary->LibraryFile());
    ResultAccess access(pLibrary, services.retryPause);
    PreCheck(access, strErrorText, doe2Folder, strResultsFolder);

    DispatchHolder<Application> application;
    if (!services.launcher.StartExcel(application, services.pass.messages)) {
        strErrorText = kSpreadsheetStartFailure;
        application.Release();
        return -1;
    }
    int32_t iTotal = 0;
    for (size_t step = 0; step < kMappingTableCount; ++step) {
        const int32_t iCount = PostWorkbook(*application, g_aMappingTables[step], step == 0, access, strErrorText,
                                            doe2Folder, strResultsFolder, iCheckFlag, services.pass);
        if (iCount <= 0)
            break;
        iTotal += iCount;
    }
    EndExcel(application);
    return iTotal;
}
