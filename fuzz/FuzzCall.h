// The call that a result-store fuzz input makes: a fixed block of arguments
// followed by the bytes of the store itself.  Shared by the fuzzer, which
// reads it, and by the seed maker, which writes sensible ones.
#pragma once

#include <cstdint>

#include "d2result.h"

// Which of the three entries a call goes to.
enum FuzzEntry : uint8_t { kFuzzMultipleResult = 0, kFuzzMultipleHourly = 1, kFuzzSingleHourly = 2, kFuzzEntryCount = 3 };

// How the value count relates to what the requests need.
enum FuzzCountShape : uint8_t { kCountExact = 0, kCountOneShort = 1, kCountOneOver = 2, kCountAsGiven = 3, kCountShapes = 4 };

// Arguments that are null pointers instead of their values.
enum FuzzNullArgument : uint8_t { kNullFilter = 1, kNullReportKey = 2, kNullProject = 4, kNullRequests = 8 };

constexpr int kFuzzMaxRequests = 4;

struct FuzzCall {
    uint8_t entry;          // FuzzEntry, taken modulo kFuzzEntryCount
    uint8_t requestCount;   // taken modulo kFuzzMaxRequests + 1
    uint8_t countShape;     // FuzzCountShape, taken modulo kCountShapes
    uint8_t nullArguments;  // FuzzNullArgument bits
    int32_t iFileType;
    int32_t iListId;        // single hourly entry
    int32_t iVariable;      // single hourly entry
    int32_t iValueCount;    // kCountAsGiven; values per result request otherwise
    char szReportKey[D2R_KEY_SIZE];  // single hourly entry, not necessarily terminated
    D2R_HourlyFilter filter;
    D2R_ResultRequest requests[kFuzzMaxRequests];  // the hourly entry reads hourly requests from these bytes
};

static_assert(sizeof(FuzzCall) == 20 + D2R_KEY_SIZE + 244 + kFuzzMaxRequests * 88, "no padding in a fuzz call");
