// The three entries of the result library.  Each checks its arguments, reads
// into a buffer of its own and copies to the caller's array only what it
// returns, so an unreadable store leaves the caller's values untouched.  No
// exception leaves an entry: a caller in C cannot catch it.
#include <cstring>
#include <string_view>
#include <vector>

#include "HourFilter.h"
#include "StoreCache.h"
#include "StoreSchema.h"
#include "d2result.h"

namespace {

using d2r::ReadOutcome;
using d2r::Store;

// The text of a 40-byte key field; false when it has no NUL within the
// field (a key longer than 39 characters).  A null key counts as "".
bool KeyText(const char *pszKey, std::string_view &key)
{
    if (!pszKey) {
        key = std::string_view();
        return true;
    }
    size_t length = strnlen(pszKey, D2R_KEY_SIZE);
    if (length == D2R_KEY_SIZE)
        return false;
    key = std::string_view(pszKey, length);
    return true;
}

bool RequestKeysFit(const D2R_ResultRequest *pRequests, int32_t iRequestCount)
{
    std::string_view key;
    for (int32_t request = 0; request < iRequestCount; ++request)
        if (!KeyText(pRequests[request].szReportKey, key) || !KeyText(pRequests[request].szRowKey, key))
            return false;
    return true;
}

bool RequestKeysFit(const D2R_HourlyRequest *pRequests, int32_t iRequestCount)
{
    std::string_view key;
    for (int32_t request = 0; request < iRequestCount; ++request)
        if (!KeyText(pRequests[request].szReportKey, key))
            return false;
    return true;
}

// Runs read against the project's store, with the cache's scratch buffer,
// under the cache's lock and as one read transaction; 0 when the store is
// missing or unreadable.  A read that meets an unreadable part of the store
// returns a negative count: the store is then dropped from the cache and
// the call answers 0.
template <class Read>
int32_t WithProjectStore(const char *pszProjectPath, Read read)
{
    if (!pszProjectPath)
        return 0;
    d2r::StoreCache &cache = d2r::TheStoreCache();
    auto lock = cache.Lock();
    Store *pStore = cache.Acquire(pszProjectPath);
    if (!pStore)
        return 0;
    int32_t count;
    {
        Store::ReadTransaction transaction(*pStore);
        count = read(*pStore, cache.Scratch());
    }
    cache.TrimScratch();
    if (count >= 0)
        return count;
    cache.Forget(pszProjectPath);
    return 0;
}

int32_t ReadResults(Store &store, int32_t iFileType, float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                    const D2R_ResultRequest *pRequests)
{
    const int32_t perRequest = iValueCount / iRequestCount;
    std::vector<float> values(static_cast<size_t>(iValueCount), D2R_MISSING_VALUE);
    for (int32_t request = 0; request < iRequestCount; ++request) {
        const D2R_ResultRequest &item = pRequests[request];
        std::string_view reportKey, rowKey;
        KeyText(item.szReportKey, reportKey);
        KeyText(item.szRowKey, rowKey);
        if (store.ReadResult(iFileType, item.iResultId, reportKey, rowKey, values.data() + request * perRequest,
                             perRequest) == ReadOutcome::Failed)
            return -1;
    }
    std::memcpy(pfValues, values.data(), values.size() * sizeof(float));
    return iValueCount;
}

int32_t ReadSeries(Store &store, std::vector<float> &hours, int32_t iFileType, float *pfValues,
                   int32_t iRequestCount, const D2R_HourlyRequest *pRequests)
{
    if (hours.size() < static_cast<size_t>(iRequestCount) * d2r::kHoursPerYear)
        hours.resize(static_cast<size_t>(iRequestCount) * d2r::kHoursPerYear);
    int32_t series = 0;
    for (; series < iRequestCount; ++series) {
        const D2R_HourlyRequest &item = pRequests[series];
        std::string_view reportKey;
        KeyText(item.szReportKey, reportKey);
        ReadOutcome outcome = store.ReadHours(iFileType, item.iListId, item.iVariable, reportKey,
                                              hours.data() + series * d2r::kHoursPerYear);
        if (outcome == ReadOutcome::Failed)
            return -1;
        if (outcome == ReadOutcome::Absent)
            break;
    }
    std::memcpy(pfValues, hours.data(), static_cast<size_t>(series) * d2r::kHoursPerYear * sizeof(float));
    return series * d2r::kHoursPerYear;
}

int32_t ReadOneSeries(Store &store, std::vector<float> &hours, int32_t iFileType, int32_t iListId,
                      int32_t iVariable, std::string_view reportKey, float *pfValues,
                      const D2R_HourlyFilter *pFilter)
{
    // A whole year goes straight to the caller: a read that does not find
    // the series, or finds it unreadable, writes nothing.
    if (!pFilter) {
        const ReadOutcome outcome = store.ReadHours(iFileType, iListId, iVariable, reportKey, pfValues);
        if (outcome != ReadOutcome::Found)
            return outcome == ReadOutcome::Failed ? -1 : 0;
        return d2r::kHoursPerYear;
    }
    if (hours.size() < static_cast<size_t>(d2r::kHoursPerYear))
        hours.resize(d2r::kHoursPerYear);
    ReadOutcome outcome = store.ReadHours(iFileType, iListId, iVariable, reportKey, hours.data());
    if (outcome != ReadOutcome::Found)
        return outcome == ReadOutcome::Failed ? -1 : 0;
    float value;
    if (!d2r::ReduceFilteredHours(hours.data(), *pFilter, value))
        return 0;
    *pfValues = value;
    return 1;
}

}  // namespace

extern "C" D2R_EXPORT int32_t D2R_GetMultipleResult(const char *, const char *pszProjectPath, int32_t iFileType,
                                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                                    const D2R_ResultRequest *pRequests)
{
    if (!pfValues || !pRequests || iRequestCount <= 0 || iValueCount <= 0 || iValueCount % iRequestCount != 0 ||
        !RequestKeysFit(pRequests, iRequestCount))
        return 0;
    try {
        return WithProjectStore(pszProjectPath, [&](Store &store, std::vector<float> &) {
            return ReadResults(store, iFileType, pfValues, iValueCount, iRequestCount, pRequests);
        });
    } catch (...) {
        return 0;
    }
}

extern "C" D2R_EXPORT int32_t D2R_GetMultipleHourlyResult(const char *, const char *pszProjectPath,
                                                          int32_t iFileType, float *pfValues, int32_t iValueCount,
                                                          int32_t iRequestCount,
                                                          const D2R_HourlyRequest *pRequests, int32_t, int32_t)
{
    if (!pfValues || !pRequests || iRequestCount <= 0 ||
        static_cast<int64_t>(iValueCount) != static_cast<int64_t>(iRequestCount) * d2r::kHoursPerYear ||
        !RequestKeysFit(pRequests, iRequestCount))
        return 0;
    try {
        return WithProjectStore(pszProjectPath, [&](Store &store, std::vector<float> &scratch) {
            return ReadSeries(store, scratch, iFileType, pfValues, iRequestCount, pRequests);
        });
    } catch (...) {
        return 0;
    }
}

extern "C" D2R_EXPORT int32_t D2R_GetSingleHourlyResult(const char *, const char *pszProjectPath,
                                                        int32_t iFileType, int32_t iListId, int32_t iVariable,
                                                        float *pfValues, int32_t iValueCount,
                                                        const char *pszReportKey, const D2R_HourlyFilter *pFilter,
                                                        int32_t)
{
    std::string_view reportKey;
    if (!pfValues || iValueCount != (pFilter ? 1 : d2r::kHoursPerYear) || !KeyText(pszReportKey, reportKey))
        return 0;
    try {
        return WithProjectStore(pszProjectPath, [&](Store &store, std::vector<float> &scratch) {
            return ReadOneSeries(store, scratch, iFileType, iListId, iVariable, reportKey, pfValues, pFilter);
        });
    } catch (...) {
        return 0;
    }
}
