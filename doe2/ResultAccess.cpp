#include "ActiveResultLibrary.h"

#include <chrono>
#include <thread>

namespace {

ResultLibrary *g_pResultLibrary = nullptr;

// The real pause: the calling thread sleeps.
void SleepFor(int iMilliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(iMilliseconds)); }

void (*g_pRetryPause)(int) = SleepFor;

}  // namespace

void SetResultLibrary(ResultLibrary *pLibrary) { g_pResultLibrary = pLibrary; }

void SetRetryPause(void (*pPause)(int iMilliseconds)) { g_pRetryPause = pPause ? pPause : SleepFor; }

int32_t CallGetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests)
{
    if (!g_pResultLibrary)
        return 0;
    return g_pResultLibrary->GetMultipleResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount,
                                               iRequestCount, pRequests);
}

int32_t CallGetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests)
{
    if (!g_pResultLibrary)
        return 0;
    return g_pResultLibrary->GetMultipleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues,
                                                     iValueCount, iRequestCount, pRequests);
}

int32_t CallGetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter)
{
    if (!g_pResultLibrary)
        return 0;
    return g_pResultLibrary->GetSingleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, iListId, iVariable,
                                                   pfValues, iValueCount, pszReportKey, pFilter);
}

void PauseBeforeRetry(int iMilliseconds) { g_pRetryPause(iMilliseconds); }
