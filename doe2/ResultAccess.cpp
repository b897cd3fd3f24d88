#include "ResultAccess.h"

#include <chrono>
#include <thread>
#include <utility>

void SleepBeforeRetry(int iMilliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(iMilliseconds)); }

ResultAccess::ResultAccess(ResultLibrary *pLibrary, RetryPause retryPause)
    : pLibrary(pLibrary), retryPause(retryPause ? std::move(retryPause) : SleepBeforeRetry),
      afHourlyYear(static_cast<size_t>(kHourlySeriesCount) * kHoursPerYear, 0.0f)
{
}

void ReadResultsAfresh(ResultAccess &access)
{
    access.readSeries.Clear();
    access.loadedSeries.reset();
    access.countedSeries.reset();
    access.spanExtremes.clear();
}

int32_t CallGetMultipleResult(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                              int32_t iFileType, float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests)
{
    if (!access.pLibrary)
        return 0;
    return access.pLibrary->GetMultipleResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount,
                                              iRequestCount, pRequests);
}

int32_t CallGetMultipleHourlyResult(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                                    int32_t iFileType, float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests)
{
    if (!access.pLibrary)
        return 0;
    return access.pLibrary->GetMultipleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues,
                                                    iValueCount, iRequestCount, pRequests);
}

int32_t CallGetSingleHourlyResult(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                                  int32_t iFileType, int32_t iListId, int32_t iVariable, float *pfValues,
                                  int32_t iValueCount, const char *pszReportKey, const D2R_HourlyFilter *pFilter)
{
    if (!access.pLibrary)
        return 0;
    return access.pLibrary->GetSingleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, iListId, iVariable,
                                                  pfValues, iValueCount, pszReportKey, pFilter);
}
