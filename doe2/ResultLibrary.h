// The three entries of the DOE-2 result library as the statistics call them.
// The program's implementation forwards to the library bound at run time;
// tests substitute a fake that records calls and serves canned series.
#pragma once

#include <string>

#include "d2result.h"

class ResultLibrary {
public:
    virtual ~ResultLibrary() = default;

    // The file the entries were loaded from, which a run names (posting
    // log, timings, check) so that users see which library answered; empty
    // for one not loaded from a file.
    virtual std::string LibraryFile() const { return std::string(); }

    virtual int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                      float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                      const D2R_ResultRequest *pRequests) = 0;

    virtual int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath,
                                            int32_t iFileType, float *pfValues, int32_t iValueCount,
                                            int32_t iRequestCount, const D2R_HourlyRequest *pRequests) = 0;

    virtual int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath,
                                          int32_t iFileType, int32_t iListId, int32_t iVariable, float *pfValues,
                                          int32_t iValueCount, const char *pszReportKey,
                                          const D2R_HourlyFilter *pFilter) = 0;
};
