// A result library that answers from store listings (StoreListing.h) as
// the library itself answers from the stores, and notes every read that
// finds nothing or only missing values.  Each store is listed once, on the
// first read that names its project, so that evaluating every record
// through it reads each store once; evaluating one record after
// ForgetLacks tells what that record's reads missed.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "ResultLibrary.h"
#include "StoreListing.h"

// One thing a read did not find.
struct ResultLack {
    std::string strKind;     // store, result or series
    std::string strItem;     // the store's file, or the result or series asked for
    std::string strProblem;  // missing, not readable: ..., only missing values, ...

    bool operator==(const ResultLack &other) const
    {
        return std::tie(strKind, strItem, strProblem) == std::tie(other.strKind, other.strItem, other.strProblem);
    }
};

// One project's store as listed: its contents, or why it has none.
struct ListedStore {
    std::string strFile;     // the project path followed by ".d2r"
    std::string strProblem;  // empty when listed; else "missing" or "not readable: ..."
    StoreContents contents;
    // By file type, identifier (list and variable) and keys, the keys
    // folded: the library matches them without regard to the case of ASCII
    // letters.
    using ResultKey = std::tuple<int32_t, int32_t, std::string, std::string>;
    using SeriesKey = std::tuple<int32_t, int32_t, int32_t, std::string>;
    std::map<ResultKey, const StoreResult *> results;
    std::map<SeriesKey, const StoreSeries *> series;
};

class ListingResultLibrary : public ResultLibrary {
public:
    // The store of the project at strProjectPath, listed the first time.
    const ListedStore &Store(const std::string &strProjectPath);

    // What the reads since the last ForgetLacks missed, each once, in the
    // order met.
    const std::vector<ResultLack> &Lacks() const { return m_lacks; }
    void ForgetLacks() { m_lacks.clear(); }

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests) override;
    int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests) override;
    int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter) override;

private:
    // The project's listed store, or null after noting why it has none.
    const ListedStore *ReadableStore(const char *pszProjectPath);
    // The series asked for, null when the store lacks it; what keeps the
    // library from giving its values (no hours it can read, or none but
    // missing ones) is noted.
    const StoreSeries *ListedSeries(const ListedStore &store, int32_t iFileType, int32_t iListId,
                                    int32_t iVariable, const std::string &strReportKey);
    void Note(ResultLack lack);

    std::map<std::string, ListedStore> m_stores;
    std::vector<ResultLack> m_lacks;
};
