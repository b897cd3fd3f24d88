// The layout of a result store, shared by the library that reads stores and
// the writer that makes them.  Tools outside the project write the same
// layout, so none of these values may change without a new user_version.
#pragma once

#include <cstdint>
#include <cstring>

namespace d2r {

constexpr int32_t kStoreApplicationId = 0x44325231;  // 'D2R1'
constexpr int32_t kStoreUserVersion = 1;
constexpr int kHoursPerYear = 8760;
constexpr int kHoursBlobBytes = kHoursPerYear * 4;   // little-endian binary32
constexpr const char kStoreSuffix[] = ".d2r";

constexpr const char kStoreSchemaSql[] =
    "CREATE TABLE result ("
    " file_type INTEGER NOT NULL,"
    " result_id INTEGER NOT NULL,"
    " report_key TEXT NOT NULL COLLATE NOCASE,"
    " row_key TEXT NOT NULL COLLATE NOCASE,"
    " seq INTEGER NOT NULL,"
    " value REAL NOT NULL,"
    " PRIMARY KEY (file_type, result_id, report_key, row_key, seq)"
    ") WITHOUT ROWID;"
    "CREATE TABLE hourly ("
    " file_type INTEGER NOT NULL,"
    " list_id INTEGER NOT NULL,"
    " variable INTEGER NOT NULL,"
    " report_key TEXT NOT NULL COLLATE NOCASE,"
    " hours BLOB NOT NULL,"
    " PRIMARY KEY (file_type, list_id, variable, report_key)"
    ") WITHOUT ROWID;";

// Decodes one little-endian binary32 value of an hours blob, whatever the
// host's byte order.
inline float DecodeBinary32(const unsigned char *pBytes)
{
    uint32_t bits = static_cast<uint32_t>(pBytes[0]) | static_cast<uint32_t>(pBytes[1]) << 8 |
                    static_cast<uint32_t>(pBytes[2]) << 16 | static_cast<uint32_t>(pBytes[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace d2r
