// Writing a result store: the sample generator and the tests make stores
// with it, exactly in the layout the result library reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

class StoreWriter {
public:
    StoreWriter() = default;
    ~StoreWriter();
    StoreWriter(const StoreWriter &) = delete;
    StoreWriter &operator=(const StoreWriter &) = delete;

    // Starts a new store for strStorePath (the file itself, "….d2r").  The
    // store is built in a side file and only replaces strStorePath on
    // Commit, so a reader never sees half a store.
    bool Create(const std::string &strStorePath, std::string &strFailure);

    // One non-hourly result: values[i] becomes the row of seq i.
    bool AddResult(int32_t iFileType, int32_t iResultId, const std::string &strReportKey,
                   const std::string &strRowKey, const std::vector<float> &values, std::string &strFailure);

    // One hourly series; hours must hold exactly 8760 values.
    bool AddHourly(int32_t iFileType, int32_t iListId, int32_t iVariable, const std::string &strReportKey,
                   const std::vector<float> &hours, std::string &strFailure);

    // Writes everything added and puts the store in its place.
    bool Commit(std::string &strFailure);

private:
    bool Execute(const char *pszSql, std::string &strFailure);
    bool Fail(const std::string &strWhat, std::string &strFailure);
    void Discard();
    void RemoveWorkFile() const;

    sqlite3 *m_pDatabase = nullptr;
    std::string m_strStorePath;
    std::string m_strWorkPath;
};

// The 8760 values as the blob of the hourly table (little-endian binary32).
std::string EncodeHours(const std::vector<float> &hours);
