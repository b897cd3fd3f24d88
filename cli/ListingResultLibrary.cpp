#include "ListingResultLibrary.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "FilePath.h"

namespace {

constexpr int32_t kHoursPerYear = D2R_HOURS_PER_YEAR;

const char *const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// SQLite's NOCASE, which the library's lookups use: ASCII letters only.
std::string Folded(std::string strKey)
{
    for (char &c : strKey)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return strKey;
}

// The text of a key field of D2R_KEY_SIZE bytes (null counts as ""); false
// when it has no NUL within the field, which the library refuses.
bool KeyText(const char *pszKey, std::string &strKey)
{
    const size_t length = pszKey ? strnlen(pszKey, D2R_KEY_SIZE) : 0;
    if (length == D2R_KEY_SIZE)
        return false;
    strKey.assign(pszKey ? pszKey : "", length);
    return true;
}

std::string DescribeResult(int32_t iFileType, int32_t iResultId, const std::string &strReportKey,
                           const std::string &strRowKey)
{
    return std::to_string(iResultId) + " (file type " + std::to_string(iFileType) + ", report \"" + strReportKey +
           "\", row \"" + strRowKey + "\")";
}

std::string DescribeSeries(int32_t iFileType, int32_t iListId, int32_t iVariable, const std::string &strReportKey)
{
    return "list " + std::to_string(iListId) + " variable " + std::to_string(iVariable) + " (file type " +
           std::to_string(iFileType) + ", report \"" + strReportKey + "\")";
}

bool OnlyMissing(const float *pfValues, size_t iCount)
{
    return std::all_of(pfValues, pfValues + iCount, [](float value) { return value == D2R_MISSING_VALUE; });
}

// Why a filter over a series that has values found none: its months.
std::string FilterProblem(const D2R_HourlyFilter &filter)
{
    const int32_t first = filter.iStartMonth, last = filter.iEndMonth;
    if (first < 0 || last > 11 || last < first)
        return "no value in the hours asked for";
    if (first == last)
        return std::string("no value in ") + kMonthNames[first];
    return std::string("no value from ") + kMonthNames[first] + " to " + kMonthNames[last];
}

void IndexStore(ListedStore &store)
{
    for (const StoreResult &result : store.contents.results)
        store.results.emplace(ListedStore::ResultKey{result.iFileType, result.iResultId, Folded(result.strReportKey),
                                                     Folded(result.strRowKey)},
                              &result);
    for (const StoreSeries &series : store.contents.series)
        store.series.emplace(ListedStore::SeriesKey{series.iFileType, series.iListId, series.iVariable,
                                                    Folded(series.strReportKey)},
                             &series);
}

}  // namespace

const ListedStore &ListingResultLibrary::Store(const std::string &strProjectPath)
{
    const auto found = m_stores.find(strProjectPath);
    if (found != m_stores.end())
        return found->second;
    ListedStore &store = m_stores[strProjectPath];
    store.strFile = strProjectPath + ".d2r";
    std::string failure;
    if (ListStore(store.strFile, store.contents, failure)) {
        IndexStore(store);
        return store;
    }
    std::error_code error;
    store.strProblem = std::filesystem::exists(FilePath(store.strFile), error) ? "not readable: " + failure
                                                                               : "missing";
    store.contents = StoreContents();
    return store;
}

void ListingResultLibrary::Note(ResultLack lack)
{
    if (std::find(m_lacks.begin(), m_lacks.end(), lack) == m_lacks.end())
        m_lacks.push_back(std::move(lack));
}

const ListedStore *ListingResultLibrary::ReadableStore(const char *pszProjectPath)
{
    if (!pszProjectPath)
        return nullptr;
    const ListedStore &store = Store(pszProjectPath);
    if (store.strProblem.empty())
        return &store;
    Note({"store", store.strFile, store.strProblem});
    return nullptr;
}

const StoreSeries *ListingResultLibrary::ListedSeries(const ListedStore &store, int32_t iFileType, int32_t iListId,
                                                      int32_t iVariable, const std::string &strReportKey)
{
    const std::string item = DescribeSeries(iFileType, iListId, iVariable, strReportKey);
    const auto found = store.series.find({iFileType, iListId, iVariable, Folded(strReportKey)});
    if (found == store.series.end()) {
        Note({"series", item, "missing"});
        return nullptr;
    }
    const StoreSeries &series = *found->second;
    const int32_t yearBytes = kHoursPerYear * 4;
    if (series.hours.empty())
        Note({"series", item,
              series.iBlobBytes == yearBytes ? "unreadable: not a blob"
                                             : "unreadable: " + std::to_string(series.iBlobBytes) +
                                                   " bytes instead of " + std::to_string(yearBytes)});
    else if (series.iHoursWithValue == 0)
        Note({"series", item, "only missing values"});
    return &series;
}

int32_t ListingResultLibrary::GetMultipleResult(const char *, const char *pszProjectPath, int32_t iFileType,
                                                float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                                const D2R_ResultRequest *pRequests)
{
    if (!pfValues || !pRequests || iRequestCount <= 0 || iValueCount <= 0 || iValueCount % iRequestCount != 0)
        return 0;
    std::vector<std::string> keys(2 * static_cast<size_t>(iRequestCount));
    for (int32_t request = 0; request < iRequestCount; ++request)
        if (!KeyText(pRequests[request].szReportKey, keys[2 * request]) ||
            !KeyText(pRequests[request].szRowKey, keys[2 * request + 1]))
            return 0;
    const ListedStore *pStore = ReadableStore(pszProjectPath);
    if (!pStore)
        return 0;
    // Each request fills its own places; a place without a value in the
    // store keeps the missing mark, as in the library.
    const size_t perRequest = static_cast<size_t>(iValueCount / iRequestCount);
    std::vector<float> values(static_cast<size_t>(iValueCount), D2R_MISSING_VALUE);
    for (int32_t request = 0; request < iRequestCount; ++request) {
        const std::string &reportKey = keys[2 * request], &rowKey = keys[2 * request + 1];
        const int32_t resultId = pRequests[request].iResultId;
        float *places = values.data() + request * perRequest;
        const auto found = pStore->results.find({iFileType, resultId, Folded(reportKey), Folded(rowKey)});
        if (found != pStore->results.end()) {
            const std::vector<double> &stored = found->second->values;
            for (size_t seq = 0; seq < std::min(perRequest, stored.size()); ++seq)
                places[seq] = static_cast<float>(stored[seq]);
        }
        if (found == pStore->results.end() || OnlyMissing(places, perRequest))
            Note({"result", DescribeResult(iFileType, resultId, reportKey, rowKey),
                  found == pStore->results.end() ? "missing" : "only missing values"});
    }
    std::copy(values.begin(), values.end(), pfValues);
    return iValueCount;
}

int32_t ListingResultLibrary::GetMultipleHourlyResult(const char *, const char *pszProjectPath, int32_t iFileType,
                                                      float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                                      const D2R_HourlyRequest *pRequests)
{
    if (!pfValues || !pRequests || iRequestCount <= 0 ||
        static_cast<int64_t>(iValueCount) != static_cast<int64_t>(iRequestCount) * kHoursPerYear)
        return 0;
    std::vector<std::string> keys(static_cast<size_t>(iRequestCount));
    for (int32_t request = 0; request < iRequestCount; ++request)
        if (!KeyText(pRequests[request].szReportKey, keys[request]))
            return 0;
    const ListedStore *pStore = ReadableStore(pszProjectPath);
    if (!pStore)
        return 0;
    // The series one after another up to the first the store lacks; one
    // that cannot be read spoils the whole answer.
    std::vector<const StoreSeries *> found;
    for (int32_t request = 0; request < iRequestCount; ++request) {
        const D2R_HourlyRequest &item = pRequests[request];
        const StoreSeries *pSeries = ListedSeries(*pStore, iFileType, item.iListId, item.iVariable, keys[request]);
        if (!pSeries)
            break;
        if (pSeries->hours.empty())
            return 0;
        found.push_back(pSeries);
    }
    for (size_t series = 0; series < found.size(); ++series)
        std::copy(found[series]->hours.begin(), found[series]->hours.end(), pfValues + series * kHoursPerYear);
    return static_cast<int32_t>(found.size()) * kHoursPerYear;
}

int32_t ListingResultLibrary::GetSingleHourlyResult(const char *, const char *pszProjectPath, int32_t iFileType,
                                                    int32_t iListId, int32_t iVariable, float *pfValues,
                                                    int32_t iValueCount, const char *pszReportKey,
                                                    const D2R_HourlyFilter *pFilter)
{
    std::string reportKey;
    if (!pfValues || iValueCount != (pFilter ? 1 : kHoursPerYear) || !KeyText(pszReportKey, reportKey))
        return 0;
    const ListedStore *pStore = ReadableStore(pszProjectPath);
    const StoreSeries *pSeries = pStore ? ListedSeries(*pStore, iFileType, iListId, iVariable, reportKey) : nullptr;
    if (!pSeries || pSeries->hours.empty())
        return 0;
    if (!pFilter) {
        std::copy(pSeries->hours.begin(), pSeries->hours.end(), pfValues);
        return kHoursPerYear;
    }
    float value;
    if (!ReduceSeriesHours(*pSeries, *pFilter, value)) {
        // A series without any value is noted as such already.
        if (pSeries->iHoursWithValue > 0)
            Note({"series", DescribeSeries(iFileType, iListId, iVariable, reportKey), FilterProblem(*pFilter)});
        return 0;
    }
    *pfValues = value;
    return 1;
}
