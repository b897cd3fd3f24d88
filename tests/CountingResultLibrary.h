// A result library that forwards every call to another one and counts the
// calls per entry; the hourly loads are the whole-year reads (the
// several-series entry, and the single-series entry without a filter).
#pragma once

#include "ResultLibrary.h"

class CountingResultLibrary : public ResultLibrary {
public:
    explicit CountingResultLibrary(ResultLibrary &target) : m_target(target) {}

    size_t nMultipleResultCalls = 0;
    size_t nMultipleHourlyCalls = 0;
    size_t nSingleHourlyCalls = 0;
    size_t nFilteredCalls = 0;

    size_t Calls() const { return nMultipleResultCalls + nMultipleHourlyCalls + nSingleHourlyCalls; }
    size_t HourlyReads() const { return nMultipleHourlyCalls + nSingleHourlyCalls - nFilteredCalls; }

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests) override
    {
        ++nMultipleResultCalls;
        return m_target.GetMultipleResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount,
                                          iRequestCount, pRequests);
    }

    int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests) override
    {
        ++nMultipleHourlyCalls;
        return m_target.GetMultipleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount,
                                                iRequestCount, pRequests);
    }

    int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter) override
    {
        ++nSingleHourlyCalls;
        if (pFilter)
            ++nFilteredCalls;
        return m_target.GetSingleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, iListId, iVariable,
                                              pfValues, iValueCount, pszReportKey, pFilter);
    }

private:
    ResultLibrary &m_target;
};
