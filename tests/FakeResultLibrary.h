// A result library for tests: serves canned hourly series, non-hourly
// results and filtered values, records every call, and can be told to
// answer nothing or only missing values.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ResultLibrary.h"

struct FakeLibraryCall {
    enum Entry { Multiple, MultipleHourly, SingleHourly };

    Entry entry;
    std::string strDoe2Folder;
    std::string strProjectPath;
    int32_t iFileType = 0;
    int32_t iValueCount = 0;
    std::vector<D2R_ResultRequest> resultRequests;  // Multiple
    std::vector<D2R_HourlyRequest> hourlyRequests;  // MultipleHourly
    int32_t iListId = 0;                            // SingleHourly
    int32_t iVariable = 0;                          // SingleHourly
    bool bHasReportKey = false;                     // SingleHourly
    std::string strReportKey;                       // SingleHourly
    bool bHasFilter = false;                        // SingleHourly
    D2R_HourlyFilter filter{};                      // SingleHourly, when bHasFilter
};

class FakeResultLibrary : public ResultLibrary {
public:
    enum class Answer {
        Served,      // the canned data, 0 values for anything not canned
        Nothing,     // 0 values for every call
        AllMissing,  // every asked-for place missing, the full count returned
    };

    Answer answer = Answer::Served;
    int iEmptyAnswersFirst = 0;  // calls answered with 0 values before the answer above applies
    std::vector<FakeLibraryCall> calls;

    // The series of (list, variable), for any project, file type and key.
    void SetHourlySeries(int32_t iListId, int32_t iVariable, std::vector<float> series)
    {
        series.resize(D2R_HOURS_PER_YEAR, 0.0f);
        m_series[{iListId, iVariable}] = std::move(series);
    }

    // The values of one result identifier: 1 for a plain result, 12 for a
    // monthly list.
    void SetResult(int32_t iResultId, std::vector<float> values) { m_results[iResultId] = std::move(values); }

    // The value of every filtered request on (list, variable).
    void SetFilteredResult(int32_t iListId, int32_t iVariable, float fValue)
    {
        m_filtered[{iListId, iVariable}] = fValue;
    }

    size_t CountCalls(FakeLibraryCall::Entry entry) const
    {
        return static_cast<size_t>(
            std::count_if(calls.begin(), calls.end(), [entry](const FakeLibraryCall &call) { return call.entry == entry; }));
    }

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests) override
    {
        FakeLibraryCall &call = Record(FakeLibraryCall::Multiple, pszDoe2Folder, pszProjectPath, iFileType, iValueCount);
        call.resultRequests.assign(pRequests, pRequests + iRequestCount);
        if (IsUnserved())
            return Unserved(pfValues, iValueCount);
        if (iRequestCount <= 0)
            return 0;
        const int32_t share = iValueCount / iRequestCount;
        for (int32_t i = 0; i < iRequestCount; ++i) {
            const auto found = m_results.find(pRequests[i].iResultId);
            if (found == m_results.end() || static_cast<int32_t>(found->second.size()) != share)
                return 0;
            std::copy(found->second.begin(), found->second.end(), pfValues + i * share);
        }
        return iValueCount;
    }

    int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests) override
    {
        FakeLibraryCall &call =
            Record(FakeLibraryCall::MultipleHourly, pszDoe2Folder, pszProjectPath, iFileType, iValueCount);
        call.hourlyRequests.assign(pRequests, pRequests + iRequestCount);
        if (IsUnserved())
            return Unserved(pfValues, iValueCount);
        if (iValueCount != iRequestCount * D2R_HOURS_PER_YEAR)
            return 0;
        for (int32_t i = 0; i < iRequestCount; ++i)
            if (!CopySeries(pRequests[i].iListId, pRequests[i].iVariable, pfValues + i * D2R_HOURS_PER_YEAR))
                return 0;
        return iValueCount;
    }

    int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter) override
    {
        FakeLibraryCall &call =
            Record(FakeLibraryCall::SingleHourly, pszDoe2Folder, pszProjectPath, iFileType, iValueCount);
        call.iListId = iListId;
        call.iVariable = iVariable;
        call.bHasReportKey = pszReportKey != nullptr;
        call.strReportKey = pszReportKey ? pszReportKey : "";
        call.bHasFilter = pFilter != nullptr;
        if (pFilter)
            call.filter = *pFilter;
        if (IsUnserved())
            return Unserved(pfValues, iValueCount);
        if (pFilter)
            return ServeFiltered(iListId, iVariable, pfValues, iValueCount);
        if (iValueCount != D2R_HOURS_PER_YEAR || !CopySeries(iListId, iVariable, pfValues))
            return 0;
        return iValueCount;
    }

private:
    using SeriesId = std::pair<int32_t, int32_t>;

    std::map<SeriesId, std::vector<float>> m_series;
    std::map<int32_t, std::vector<float>> m_results;
    std::map<SeriesId, float> m_filtered;
    bool m_bAnswerNothing = false;

    FakeLibraryCall &Record(FakeLibraryCall::Entry entry, const char *pszDoe2Folder, const char *pszProjectPath,
                            int32_t iFileType, int32_t iValueCount)
    {
        FakeLibraryCall call;
        call.entry = entry;
        call.strDoe2Folder = pszDoe2Folder ? pszDoe2Folder : "";
        call.strProjectPath = pszProjectPath ? pszProjectPath : "";
        call.iFileType = iFileType;
        call.iValueCount = iValueCount;
        calls.push_back(std::move(call));
        return calls.back();
    }

    // True while the first calls are still to be answered with nothing, or
    // when the answer is not the canned data.
    bool IsUnserved()
    {
        if (iEmptyAnswersFirst > 0) {
            --iEmptyAnswersFirst;
            m_bAnswerNothing = true;
            return true;
        }
        m_bAnswerNothing = answer == Answer::Nothing;
        return answer != Answer::Served;
    }

    int32_t Unserved(float *pfValues, int32_t iValueCount) const
    {
        if (m_bAnswerNothing)
            return 0;
        std::fill(pfValues, pfValues + iValueCount, D2R_MISSING_VALUE);
        return iValueCount;
    }

    bool CopySeries(int32_t iListId, int32_t iVariable, float *pfValues) const
    {
        const auto found = m_series.find({iListId, iVariable});
        if (found == m_series.end())
            return false;
        std::copy(found->second.begin(), found->second.end(), pfValues);
        return true;
    }

    int32_t ServeFiltered(int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount) const
    {
        const auto found = m_filtered.find({iListId, iVariable});
        if (found == m_filtered.end() || iValueCount != 1)
            return 0;
        pfValues[0] = found->second;
        return 1;
    }
};
