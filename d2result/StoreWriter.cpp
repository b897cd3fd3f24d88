#include "StoreWriter.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "FilePath.h"
#include "StoreSchema.h"

namespace {

// Binds and runs one insert; the statement is always finalised.
class Insert {
public:
    Insert(sqlite3 *pDatabase, const char *pszSql)
    {
        if (sqlite3_prepare_v2(pDatabase, pszSql, -1, &m_pStatement, nullptr) != SQLITE_OK)
            m_pStatement = nullptr;
    }
    ~Insert() { sqlite3_finalize(m_pStatement); }
    Insert(const Insert &) = delete;
    Insert &operator=(const Insert &) = delete;

    bool Ready() const { return m_pStatement != nullptr; }
    void Int(int iIndex, int64_t value) { sqlite3_bind_int64(m_pStatement, iIndex, value); }
    void Real(int iIndex, double value) { sqlite3_bind_double(m_pStatement, iIndex, value); }
    void Text(int iIndex, const std::string &text)
    {
        sqlite3_bind_text(m_pStatement, iIndex, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void Blob(int iIndex, const std::string &bytes)
    {
        sqlite3_bind_blob(m_pStatement, iIndex, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    bool Run()
    {
        bool done = sqlite3_step(m_pStatement) == SQLITE_DONE;
        sqlite3_reset(m_pStatement);
        return done;
    }

private:
    sqlite3_stmt *m_pStatement = nullptr;
};

}  // namespace

std::string EncodeHours(const std::vector<float> &hours)
{
    std::string bytes(hours.size() * 4, '\0');
    for (size_t hour = 0; hour < hours.size(); ++hour) {
        uint32_t bits;
        std::memcpy(&bits, &hours[hour], sizeof bits);
        for (int byte = 0; byte < 4; ++byte)
            bytes[4 * hour + byte] = static_cast<char>((bits >> (8 * byte)) & 0xFF);
    }
    return bytes;
}

StoreWriter::~StoreWriter() { Discard(); }

bool StoreWriter::Create(const std::string &strStorePath, std::string &strFailure)
{
    Discard();
    m_strStorePath = strStorePath;
    m_strWorkPath = strStorePath + ".part";
    RemoveWorkFile();
    if (sqlite3_open_v2(m_strWorkPath.c_str(), &m_pDatabase, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        return Fail("cannot create", strFailure);
    // Nobody reads the side file before Commit renames it, so neither a
    // journal nor waiting for the disk buys anything here.
    std::string marks = "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA application_id = " + std::to_string(d2r::kStoreApplicationId) +
                        "; PRAGMA user_version = " + std::to_string(d2r::kStoreUserVersion) + ";";
    return Execute(marks.c_str(), strFailure) && Execute(d2r::kStoreSchemaSql, strFailure) &&
           Execute("BEGIN", strFailure);
}

bool StoreWriter::AddResult(int32_t iFileType, int32_t iResultId, const std::string &strReportKey,
                            const std::string &strRowKey, const std::vector<float> &values, std::string &strFailure)
{
    Insert insert(m_pDatabase, "INSERT OR REPLACE INTO result VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    if (!insert.Ready())
        return Fail("cannot add a result to", strFailure);
    insert.Int(1, iFileType);
    insert.Int(2, iResultId);
    insert.Text(3, strReportKey);
    insert.Text(4, strRowKey);
    for (size_t seq = 0; seq < values.size(); ++seq) {
        insert.Int(5, static_cast<int64_t>(seq));
        insert.Real(6, values[seq]);
        if (!insert.Run())
            return Fail("cannot add a result to", strFailure);
    }
    return true;
}

bool StoreWriter::AddHourly(int32_t iFileType, int32_t iListId, int32_t iVariable, const std::string &strReportKey,
                            const std::vector<float> &hours, std::string &strFailure)
{
    if (hours.size() != static_cast<size_t>(d2r::kHoursPerYear)) {
        strFailure = "an hourly series needs 8760 values, not " + std::to_string(hours.size());
        return false;
    }
    Insert insert(m_pDatabase, "INSERT OR REPLACE INTO hourly VALUES (?1, ?2, ?3, ?4, ?5)");
    if (!insert.Ready())
        return Fail("cannot add a series to", strFailure);
    insert.Int(1, iFileType);
    insert.Int(2, iListId);
    insert.Int(3, iVariable);
    insert.Text(4, strReportKey);
    insert.Blob(5, EncodeHours(hours));
    return insert.Run() || Fail("cannot add a series to", strFailure);
}

bool StoreWriter::Commit(std::string &strFailure)
{
    if (!Execute("COMMIT", strFailure))
        return false;
    sqlite3_close(m_pDatabase);
    m_pDatabase = nullptr;
    // Replaces an older store on every system (the C library's rename does
    // not on Windows).  The names are UTF-8, as SQLite takes them.
    std::error_code error;
    std::filesystem::rename(FilePath(m_strWorkPath), FilePath(m_strStorePath), error);
    if (error) {
        strFailure = "cannot put the store in place at " + m_strStorePath;
        Discard();
        return false;
    }
    m_strWorkPath.clear();
    return true;
}

bool StoreWriter::Execute(const char *pszSql, std::string &strFailure)
{
    if (m_pDatabase && sqlite3_exec(m_pDatabase, pszSql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    return Fail("cannot write", strFailure);
}

bool StoreWriter::Fail(const std::string &strWhat, std::string &strFailure)
{
    strFailure = strWhat + " the store " + m_strStorePath;
    if (m_pDatabase)
        strFailure += std::string(": ") + sqlite3_errmsg(m_pDatabase);
    return false;
}

// Drops an unfinished store: its side file goes, the target stays as it was.
void StoreWriter::Discard()
{
    sqlite3_close(m_pDatabase);
    m_pDatabase = nullptr;
    if (!m_strWorkPath.empty())
        RemoveWorkFile();
    m_strWorkPath.clear();
}

void StoreWriter::RemoveWorkFile() const
{
    std::error_code ignored;
    std::filesystem::remove(FilePath(m_strWorkPath), ignored);
}
