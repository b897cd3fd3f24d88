#include "StoreListing.h"

#include <sqlite3.h>

#include <algorithm>

#include "FileIdentity.h"
#include "HourFilter.h"
#include "d2result.h"
#include "StoreSchema.h"

namespace {

constexpr double kMissingValue = D2R_MISSING_VALUE;

// A read-only connection and one statement at a time.
class Reader {
public:
    explicit Reader(const std::string &strPath)
    {
        if (sqlite3_open_v2(strPath.c_str(), &m_pDatabase, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            m_strFailure = sqlite3_errmsg(m_pDatabase);
            sqlite3_close(m_pDatabase);
            m_pDatabase = nullptr;
        }
    }
    ~Reader() { sqlite3_close(m_pDatabase); }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // Runs pszSql and hands every row to onRow; false (with Failure()) when
    // the statement cannot be prepared or stepped to its end.
    template <class OnRow>
    bool Each(const char *pszSql, OnRow onRow)
    {
        if (!m_pDatabase)
            return false;
        sqlite3_stmt *pStatement = nullptr;
        int step = sqlite3_prepare_v2(m_pDatabase, pszSql, -1, &pStatement, nullptr);
        if (step == SQLITE_OK)
            while ((step = sqlite3_step(pStatement)) == SQLITE_ROW)
                onRow(pStatement);
        if (step != SQLITE_DONE)
            m_strFailure = sqlite3_errmsg(m_pDatabase);
        sqlite3_finalize(pStatement);
        return step == SQLITE_DONE;
    }

    const std::string &Failure() const { return m_strFailure; }

private:
    sqlite3 *m_pDatabase = nullptr;
    std::string m_strFailure;
};

std::string ColumnText(sqlite3_stmt *pStatement, int iColumn)
{
    const unsigned char *pText = sqlite3_column_text(pStatement, iColumn);
    return pText ? reinterpret_cast<const char *>(pText) : "";
}

void AddResultRow(sqlite3_stmt *pRow, std::vector<StoreResult> &results)
{
    StoreResult key;
    key.iFileType = sqlite3_column_int(pRow, 0);
    key.iResultId = sqlite3_column_int(pRow, 1);
    key.strReportKey = ColumnText(pRow, 2);
    key.strRowKey = ColumnText(pRow, 3);
    if (results.empty() || results.back().iFileType != key.iFileType || results.back().iResultId != key.iResultId ||
        results.back().strReportKey != key.strReportKey || results.back().strRowKey != key.strRowKey)
        results.push_back(key);
    int64_t seq = sqlite3_column_int64(pRow, 4);
    std::vector<double> &values = results.back().values;
    if (seq < 0 || seq > 0xFFFF)
        return;
    if (values.size() <= static_cast<size_t>(seq))
        values.resize(static_cast<size_t>(seq) + 1, kMissingValue);
    values[static_cast<size_t>(seq)] = sqlite3_column_double(pRow, 5);
}

void SummariseHours(StoreSeries &series)
{
    double sum = 0.0;
    for (const float hour : series.hours) {
        const double value = hour;
        if (value == kMissingValue)
            continue;
        series.dMinimum = series.iHoursWithValue ? std::min(series.dMinimum, value) : value;
        series.dMaximum = series.iHoursWithValue ? std::max(series.dMaximum, value) : value;
        sum += value;
        ++series.iHoursWithValue;
    }
    series.dMean = series.iHoursWithValue ? sum / series.iHoursWithValue : 0.0;
}

void AddSeriesRow(sqlite3_stmt *pRow, std::vector<StoreSeries> &allSeries)
{
    StoreSeries series;
    series.iFileType = sqlite3_column_int(pRow, 0);
    series.iListId = sqlite3_column_int(pRow, 1);
    series.iVariable = sqlite3_column_int(pRow, 2);
    series.strReportKey = ColumnText(pRow, 3);
    // Only a blob of one year is read by the library; a text of the same
    // length is not.
    const bool bBlob = sqlite3_column_type(pRow, 4) == SQLITE_BLOB;
    const auto *pBytes = static_cast<const unsigned char *>(sqlite3_column_blob(pRow, 4));
    series.iBlobBytes = sqlite3_column_bytes(pRow, 4);
    if (bBlob && pBytes && series.iBlobBytes == d2r::kHoursBlobBytes) {
        series.hours.resize(d2r::kHoursPerYear);
        for (int hour = 0; hour < d2r::kHoursPerYear; ++hour)
            series.hours[hour] = d2r::DecodeBinary32(pBytes + 4 * hour);
        SummariseHours(series);
    }
    allSeries.push_back(series);
}

}  // namespace

bool ListStore(const std::string &strStorePath, StoreContents &contents, std::string &strFailure)
{
    FileIdentity identity;
    if (!ReadFileIdentity(strStorePath, identity)) {
        strFailure = "no store file at " + strStorePath;
        return false;
    }
    Reader reader(strStorePath);
    contents = StoreContents();
    auto readMark = [](int64_t &mark) { return [&mark](sqlite3_stmt *pRow) { mark = sqlite3_column_int64(pRow, 0); }; };
    if (!reader.Each("PRAGMA application_id", readMark(contents.iApplicationId)) ||
        !reader.Each("PRAGMA user_version", readMark(contents.iUserVersion))) {
        strFailure = strStorePath + " is not an SQLite database: " + reader.Failure();
        return false;
    }
    if (contents.iApplicationId != d2r::kStoreApplicationId || contents.iUserVersion != d2r::kStoreUserVersion) {
        strFailure = strStorePath + " is not a result store of this version (application_id " +
                     std::to_string(contents.iApplicationId) + ", user_version " +
                     std::to_string(contents.iUserVersion) + ")";
        return false;
    }
    if (!reader.Each("SELECT file_type, result_id, report_key, row_key, seq, value FROM result"
                     " ORDER BY file_type, result_id, report_key, row_key, seq",
                     [&](sqlite3_stmt *pRow) { AddResultRow(pRow, contents.results); }) ||
        !reader.Each("SELECT file_type, list_id, variable, report_key, hours FROM hourly"
                     " ORDER BY file_type, list_id, variable, report_key",
                     [&](sqlite3_stmt *pRow) { AddSeriesRow(pRow, contents.series); })) {
        strFailure = strStorePath + " cannot be read as a result store: " + reader.Failure();
        return false;
    }
    return true;
}

bool ReduceSeriesHours(const StoreSeries &series, const D2R_HourlyFilter &filter, float &fValue)
{
    return series.hours.size() == static_cast<size_t>(d2r::kHoursPerYear) &&
           d2r::ReduceFilteredHours(series.hours.data(), filter, fValue);
}
