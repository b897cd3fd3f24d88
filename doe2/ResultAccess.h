// The result library that the statistics call, bound once per process like
// an imported library, and the pause between retries of an empty answer.
// Tests bind a fake and install a pause that only counts.
#pragma once

#include "ResultLibrary.h"

// Binds pLibrary for every later call (null: none bound, and every entry
// then answers 0 values).  The caller keeps ownership.
void SetResultLibrary(ResultLibrary *pLibrary);

// Installs the pause used between retries (null restores the real sleep).
void SetRetryPause(void (*pPause)(int iMilliseconds));

// The three entries, forwarded to the bound library; 0 when none is bound.
int32_t CallGetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests);
int32_t CallGetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests);
int32_t CallGetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter);

// Waits iMilliseconds through the installed pause.
void PauseBeforeRetry(int iMilliseconds);
