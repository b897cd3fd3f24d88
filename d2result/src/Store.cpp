#include "Store.h"

#include <cstdint>
#include <cstring>

#include <sqlite3.h>

#include "StoreSchema.h"

namespace d2r {

namespace {

// A writer holding the file briefly must not make a reader hang, nor fail it
// at once.
constexpr int kBusyTimeoutMilliseconds = 250;

const char kSmallCacheSql[] = "PRAGMA cache_size = -64";
// Larger than any image that is held (StoreImages::kMaxHeldBytes).
const char kWholeImageMapSql[] = "PRAGMA mmap_size = 1073741824";

const char kResultSql[] =
    "SELECT seq, value FROM result WHERE file_type = ?1 AND result_id = ?2"
    " AND report_key = ?3 COLLATE NOCASE AND row_key = ?4 COLLATE NOCASE AND seq >= 0 AND seq < ?5";
// The key columns are compared one row after another ("+" keeps SQLite
// from looking the key up in the table's b-tree): the rows of a table
// without rowid keep the whole 35 kB series in the key, so each step of a
// b-tree search would read a whole series only to compare its first
// columns, three or four series read for the one wanted.  A scan reads the
// key columns where each row begins (some eight rows to a page) and the
// series of the matching row alone.  It costs a page per eight series of
// the store where a search costs nine pages per step: the scan is the
// cheaper up to several hundred series in one store, far more than a test
// case's hourly reports hold.
const char kHoursSql[] =
    "SELECT hours FROM hourly WHERE +file_type = ?1 AND +list_id = ?2 AND +variable = ?3"
    " AND +report_key = ?4 COLLATE NOCASE";

// One integer PRAGMA of the open database, or -1 when it cannot be read
// (which also catches a file that is not SQLite at all).
int64_t ReadPragma(sqlite3 *pDatabase, const char *pszSql)
{
    sqlite3_stmt *pStatement = nullptr;
    int64_t value = -1;
    if (sqlite3_prepare_v2(pDatabase, pszSql, -1, &pStatement, nullptr) == SQLITE_OK &&
        sqlite3_step(pStatement) == SQLITE_ROW)
        value = sqlite3_column_int64(pStatement, 0);
    sqlite3_finalize(pStatement);
    return value;
}

bool HasStoreMarks(sqlite3 *pDatabase)
{
    return ReadPragma(pDatabase, "PRAGMA application_id") == kStoreApplicationId &&
           ReadPragma(pDatabase, "PRAGMA user_version") == kStoreUserVersion;
}

void BindText(sqlite3_stmt *pStatement, int iIndex, std::string_view text)
{
    // A null pointer would bind SQL NULL, which matches no key; "" is meant.
    sqlite3_bind_text(pStatement, iIndex, text.data() ? text.data() : "", static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

// Resets a statement when the lookup is over, whatever its outcome, so that
// no read transaction stays open between calls.
class StatementRun {
public:
    explicit StatementRun(sqlite3_stmt *pStatement) : m_pStatement(pStatement) {}
    ~StatementRun()
    {
        sqlite3_reset(m_pStatement);
        sqlite3_clear_bindings(m_pStatement);
    }
    StatementRun(const StatementRun &) = delete;
    StatementRun &operator=(const StatementRun &) = delete;

private:
    sqlite3_stmt *m_pStatement;
};

sqlite3 *OpenDatabase(const char *pszName, int iFlags)
{
    sqlite3 *pDatabase = nullptr;
    if (sqlite3_open_v2(pszName, &pDatabase, iFlags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close(pDatabase);
        return nullptr;
    }
    sqlite3_busy_timeout(pDatabase, kBusyTimeoutMilliseconds);
    return pDatabase;
}

// A copy in memory of the database, taken under SQLite's locks (so never
// half a writer's change); the file's connection is closed either way.
sqlite3 *CopiedIntoMemory(sqlite3 *pFile)
{
    sqlite3 *pMemory = OpenDatabase(":memory:", SQLITE_OPEN_READWRITE);
    sqlite3_backup *pBackup = pMemory ? sqlite3_backup_init(pMemory, "main", pFile, "main") : nullptr;
    const bool bCopied = pBackup && sqlite3_backup_step(pBackup, -1) == SQLITE_DONE;
    sqlite3_backup_finish(pBackup);
    sqlite3_close(pFile);
    if (bCopied)
        return pMemory;
    sqlite3_close(pMemory);
    return nullptr;
}

// The database header (the first 100 bytes of the file): its magic text,
// and the write and read versions, 1 for a database with a rollback
// journal and 2 for one in write-ahead-log mode.
constexpr char kHeaderMagic[] = "SQLite format 3";  // with its NUL, 16 bytes
constexpr size_t kHeaderBytes = 100;
constexpr size_t kWriteVersionOffset = 18;
constexpr size_t kReadVersionOffset = 19;
// SQLite adds one to the change counter with every transaction it commits
// to a database with a rollback journal.
constexpr size_t kChangeCounterOffset = 24;
constexpr size_t kChangeCounterBytes = 4;

// The file at strPath opened read-only through SQLite's own file layer
// rather than as a database: no connection's memory, its locks are SQLite's
// own, and on POSIX systems closing it never drops a lock another
// connection of this process holds on the file (SQLite keeps such a handle
// open until the locks go).  The layer keeps the name's pointer: strPath
// must outlive the handle.
sqlite3_file *OpenPlainFile(const std::string &strPath)
{
    sqlite3_vfs *pVfs = sqlite3_vfs_find(nullptr);
    auto *pFile = pVfs ? static_cast<sqlite3_file *>(sqlite3_malloc(pVfs->szOsFile)) : nullptr;
    if (!pFile)
        return nullptr;
    std::memset(pFile, 0, static_cast<size_t>(pVfs->szOsFile));
    int iOutFlags = 0;
    if (pVfs->xOpen(pVfs, strPath.c_str(), pFile, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB, &iOutFlags) ==
        SQLITE_OK)
        return pFile;
    if (pFile->pMethods)
        pFile->pMethods->xClose(pFile);
    sqlite3_free(pFile);
    return nullptr;
}

void ClosePlainFile(sqlite3_file *pFile)
{
    if (!pFile)
        return;
    pFile->pMethods->xClose(pFile);
    sqlite3_free(pFile);
}

bool IsRollbackDatabase(const unsigned char *pHeader)
{
    return std::memcmp(pHeader, kHeaderMagic, sizeof kHeaderMagic) == 0 && pHeader[kWriteVersionOffset] == 1 &&
           pHeader[kReadVersionOffset] == 1;
}

// Whether a rollback journal lies beside the database: it may be a writer's
// that failed half-way, whose changes must be undone before the file can be
// read, and only SQLite reading the database as such does that.
bool HasJournal(const std::string &strPath)
{
    sqlite3_vfs *pVfs = sqlite3_vfs_find(nullptr);
    int iExists = 1;
    return !pVfs || pVfs->xAccess(pVfs, (strPath + "-journal").c_str(), SQLITE_ACCESS_EXISTS, &iExists) != SQLITE_OK ||
           iExists != 0;
}

// The whole database file read into a place from images under SQLite's
// shared lock, taken as any reading connection takes it, so that no writer
// can commit half-way through the copy; an empty place when it cannot be
// read so (a writer holds the file, a journal lies beside it, the database
// is in write-ahead-log mode and part of it may be in the log, or it is not
// SQLite at all): SQLite then reads it as a database.
ImagePlace ReadImage(sqlite3_file *pFile, const std::string &strPath, StoreImages &images, size_t &iBytes)
{
    if (pFile->pMethods->xLock(pFile, SQLITE_LOCK_SHARED) != SQLITE_OK)
        return {};
    ImagePlace place;
    sqlite3_int64 iFileBytes = 0;
    if (!HasJournal(strPath) && pFile->pMethods->xFileSize(pFile, &iFileBytes) == SQLITE_OK &&
        iFileBytes >= static_cast<sqlite3_int64>(kHeaderBytes) && iFileBytes <= INT32_MAX) {
        place = images.Take(static_cast<size_t>(iFileBytes));
        if (place && (pFile->pMethods->xRead(pFile, place.pBytes, static_cast<int>(iFileBytes), 0) != SQLITE_OK ||
                      !IsRollbackDatabase(place.pBytes)))
            place = {};
    }
    pFile->pMethods->xUnlock(pFile, SQLITE_LOCK_NONE);
    iBytes = static_cast<size_t>(iFileBytes);
    return place;
}

// A read-only database over the image; its pages are used where they are
// (the map size lets SQLite fetch them instead of copying each into its
// cache).
sqlite3 *OpenImage(const ImagePlace &place, size_t iBytes)
{
    sqlite3 *pMemory = OpenDatabase(":memory:", SQLITE_OPEN_READWRITE);
    if (!pMemory)
        return nullptr;
    const auto iSize = static_cast<sqlite3_int64>(iBytes);
    if (sqlite3_deserialize(pMemory, "main", place.pBytes, iSize, iSize, SQLITE_DESERIALIZE_READONLY) != SQLITE_OK) {
        sqlite3_close(pMemory);
        return nullptr;
    }
    sqlite3_exec(pMemory, kWholeImageMapSql, nullptr, nullptr, nullptr);
    return pMemory;
}

}  // namespace

std::unique_ptr<Store> Store::Open(const std::string &strPath, Hold hold, StoreImages &images)
{
    std::unique_ptr<Store> store(new Store(strPath));
    sqlite3_file *pFile = OpenPlainFile(store->m_strPath);
    size_t iImageBytes = 0;
    if (pFile)
        store->m_image = ReadImage(pFile, store->m_strPath, images, iImageBytes);
    if (store->m_image) {
        store->m_pDatabase = OpenImage(store->m_image, iImageBytes);
        // Kept where holding the file open is harmless, for a cheap look at
        // its change counter on every call.
        if (hold == Hold::File)
            store->m_pKeptFile = pFile;
        else
            ClosePlainFile(pFile);
    } else {
        ClosePlainFile(pFile);
        store->m_pDatabase = OpenDatabase(strPath.c_str(), SQLITE_OPEN_READONLY);
        if (store->m_pDatabase && hold == Hold::Copy)
            store->m_pDatabase = CopiedIntoMemory(store->m_pDatabase);
    }
    sqlite3 *pDatabase = store->m_pDatabase;
    if (!pDatabase)
        return nullptr;
    // One read transaction for the schema, the marks and the cache size,
    // not one each: a results folder has some 85 stores to open.  Closing
    // the database ends it when the store is refused.
    sqlite3_exec(pDatabase, "BEGIN", nullptr, nullptr, nullptr);
    if (!HasStoreMarks(pDatabase) || !store->Prepare())
        return nullptr;
    // A run keeps every store of its results folder open: each keeps only
    // a few pages of its own (an image's pages are read where they lie, a
    // file's stay in the system's file cache).
    sqlite3_exec(pDatabase, kSmallCacheSql, nullptr, nullptr, nullptr);
    if (sqlite3_exec(pDatabase, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return nullptr;
    return store;
}

Store::~Store()
{
    sqlite3_finalize(m_pResultQuery);
    sqlite3_finalize(m_pHoursQuery);
    sqlite3_finalize(m_pBegin);
    sqlite3_finalize(m_pCommit);
    sqlite3_close(m_pDatabase);
    ClosePlainFile(m_pKeptFile);
}

bool Store::FileChangedSinceRead() const
{
    if (!m_image)
        return false;
    sqlite3_file *pFile = m_pKeptFile ? m_pKeptFile : OpenPlainFile(m_strPath);
    unsigned char counter[kChangeCounterBytes];
    // Read without a lock: a writer in the middle of its commit shows the
    // old counter or the new one, and the image is of a committed state
    // either way.
    const bool bSame = pFile &&
                       pFile->pMethods->xRead(pFile, counter, kChangeCounterBytes, kChangeCounterOffset) == SQLITE_OK &&
                       std::memcmp(counter, m_image.pBytes + kChangeCounterOffset, kChangeCounterBytes) == 0;
    if (pFile != m_pKeptFile)
        ClosePlainFile(pFile);
    return !bSame;
}

// Preparing the two lookups also checks that both tables have every column.
bool Store::Prepare()
{
    return sqlite3_prepare_v3(m_pDatabase, kResultSql, -1, SQLITE_PREPARE_PERSISTENT, &m_pResultQuery, nullptr) ==
               SQLITE_OK &&
           sqlite3_prepare_v3(m_pDatabase, kHoursSql, -1, SQLITE_PREPARE_PERSISTENT, &m_pHoursQuery, nullptr) ==
               SQLITE_OK &&
           sqlite3_prepare_v3(m_pDatabase, "BEGIN", -1, SQLITE_PREPARE_PERSISTENT, &m_pBegin, nullptr) == SQLITE_OK &&
           sqlite3_prepare_v3(m_pDatabase, "COMMIT", -1, SQLITE_PREPARE_PERSISTENT, &m_pCommit, nullptr) == SQLITE_OK;
}

namespace {

// Runs a statement without result rows; true when it is done.
bool RunOnce(sqlite3_stmt *pStatement)
{
    const bool bDone = sqlite3_step(pStatement) == SQLITE_DONE;
    sqlite3_reset(pStatement);
    return bDone;
}

}  // namespace

Store::ReadTransaction::ReadTransaction(Store &store) : m_store(store), m_bBegun(RunOnce(store.m_pBegin)) {}

Store::ReadTransaction::~ReadTransaction()
{
    // A read-only transaction has nothing to write back: should COMMIT
    // fail all the same, rolling back is what releases the lock.
    if (m_bBegun && !RunOnce(m_store.m_pCommit) && !sqlite3_get_autocommit(m_store.m_pDatabase))
        sqlite3_exec(m_store.m_pDatabase, "ROLLBACK", nullptr, nullptr, nullptr);
}

ReadOutcome Store::ReadResult(int32_t iFileType, int32_t iResultId, std::string_view reportKey,
                              std::string_view rowKey, float *pfValues, int32_t iCount)
{
    StatementRun run(m_pResultQuery);
    sqlite3_bind_int(m_pResultQuery, 1, iFileType);
    sqlite3_bind_int(m_pResultQuery, 2, iResultId);
    BindText(m_pResultQuery, 3, reportKey);
    BindText(m_pResultQuery, 4, rowKey);
    sqlite3_bind_int(m_pResultQuery, 5, iCount);
    ReadOutcome outcome = ReadOutcome::Absent;
    int step;
    while ((step = sqlite3_step(m_pResultQuery)) == SQLITE_ROW) {
        int64_t seq = sqlite3_column_int64(m_pResultQuery, 0);
        // The lookup already asks for 0 <= seq < count, but a store from
        // elsewhere may declare seq as text, which then compares as text
        // ('100' < '12'): only this bound keeps pfValues safe.
        if (seq < 0 || seq >= iCount)
            continue;
        pfValues[seq] = static_cast<float>(sqlite3_column_double(m_pResultQuery, 1));
        outcome = ReadOutcome::Found;
    }
    return step == SQLITE_DONE ? outcome : ReadOutcome::Failed;
}

ReadOutcome Store::ReadHours(int32_t iFileType, int32_t iListId, int32_t iVariable, std::string_view reportKey,
                             float *pfHours)
{
    StatementRun run(m_pHoursQuery);
    sqlite3_bind_int(m_pHoursQuery, 1, iFileType);
    sqlite3_bind_int(m_pHoursQuery, 2, iListId);
    sqlite3_bind_int(m_pHoursQuery, 3, iVariable);
    BindText(m_pHoursQuery, 4, reportKey);
    int step = sqlite3_step(m_pHoursQuery);
    if (step == SQLITE_DONE)
        return ReadOutcome::Absent;
    if (step != SQLITE_ROW || sqlite3_column_type(m_pHoursQuery, 0) != SQLITE_BLOB)
        return ReadOutcome::Failed;
    const auto *pBytes = static_cast<const unsigned char *>(sqlite3_column_blob(m_pHoursQuery, 0));
    if (sqlite3_column_bytes(m_pHoursQuery, 0) != kHoursBlobBytes || !pBytes)
        return ReadOutcome::Failed;
    for (int hour = 0; hour < kHoursPerYear; ++hour)
        pfHours[hour] = DecodeBinary32(pBytes + 4 * hour);
    return ReadOutcome::Found;
}

}  // namespace d2r
