// One result store opened read-only, checked against the store layout, with
// the two lookups the entries need prepared once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "StoreImages.h"

struct sqlite3;
struct sqlite3_file;
struct sqlite3_stmt;

namespace d2r {

enum class ReadOutcome {
    Found,     // the row was there and was written out
    Absent,    // no such row (not an error: the caller decides)
    Failed,    // the store cannot be read (corrupt, truncated, bad blob)
};

class Store {
public:
    // How an open store holds its file: an image's file may stay open for
    // the look at its change counter, or be opened only for it; a store read
    // by SQLite as a database (a journal beside it, in write-ahead-log mode,
    // held by a writer, or images at their limit) keeps its file open for
    // as long as it lives, or only while it is copied into memory.  Copy
    // leaves the file free for others to replace or delete between calls.
    enum class Hold { File, Copy };

    // The store at strPath, or null when it is missing, not SQLite, of a
    // foreign or newer layout, or lacks a table or column.  It is read from
    // an image of the file taken from images where it can be.
    static std::unique_ptr<Store> Open(const std::string &strPath, Hold hold, StoreImages &images);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    // Writes the values of seq 0 .. iCount-1 of one result to pfValues
    // (places without a row are left alone).  Found when any row exists.
    ReadOutcome ReadResult(int32_t iFileType, int32_t iResultId, std::string_view reportKey,
                           std::string_view rowKey, float *pfValues, int32_t iCount);

    // Writes the 8760 hours of one series to pfHours, which is left alone
    // unless the outcome is Found.  Failed for a blob that is not exactly one
    // year of binary32 values.
    ReadOutcome ReadHours(int32_t iFileType, int32_t iListId, int32_t iVariable, std::string_view reportKey,
                          float *pfHours);

    // Whether the file was written since its image was read (SQLite's
    // change counter differs), which a look at the file's identity misses
    // when the writer kept its size within one tick of the file system's
    // clock.  Never for a store read through its file: SQLite looks itself.
    bool FileChangedSinceRead() const;

    // The reads of one call as one read transaction: SQLite looks at the
    // file's locks, journal and change counter once rather than for each
    // lookup.  It ends with the object, so that no lock outlives the call
    // and a writer is never kept waiting between calls.
    class ReadTransaction {
    public:
        explicit ReadTransaction(Store &store);
        ~ReadTransaction();
        ReadTransaction(const ReadTransaction &) = delete;
        ReadTransaction &operator=(const ReadTransaction &) = delete;

    private:
        Store &m_store;
        bool m_bBegun;
    };

private:
    explicit Store(std::string strPath) : m_strPath(std::move(strPath)) {}
    bool Prepare();

    ImagePlace m_image;  // empty when read through the file or copied by SQLite
    sqlite3 *m_pDatabase = nullptr;
    const std::string m_strPath;
    sqlite3_file *m_pKeptFile = nullptr;  // the file of an image, where it stays open
    sqlite3_stmt *m_pResultQuery = nullptr;
    sqlite3_stmt *m_pHoursQuery = nullptr;
    sqlite3_stmt *m_pBegin = nullptr;
    sqlite3_stmt *m_pCommit = nullptr;
};

}  // namespace d2r
