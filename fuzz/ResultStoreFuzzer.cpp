// A result store's bytes through the three result-library entries with
// arbitrary requests, filters and counts.  Beyond the sanitizers' own
// checks, every call must keep the library's promises to its callers: it
// answers a count between 0 and the value count, and leaves every value past
// that count as the caller wrote it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "FuzzCall.h"
#include "FuzzSupport.h"
#include "d2result.h"

namespace {

// The most values a call may ask for: four whole-year series and some.
constexpr int32_t kMaxValues = kFuzzMaxRequests * D2R_HOURS_PER_YEAR + 16;
constexpr unsigned char kUntouchedByte = 0xA5;

// Puts the bytes in place as the project's store.  Each store is a new file
// renamed over the old one, as a simulation run would leave it, so the
// library never mistakes it for the store it already holds open.
void PlaceStore(const std::string &strProject, const uint8_t *pBytes, size_t nSize)
{
    const std::string fresh = strProject + ".new";
    std::ofstream(fresh, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char *>(pBytes),
                                                                  static_cast<std::streamsize>(nSize));
    FuzzCheck(std::rename(fresh.c_str(), (strProject + ".d2r").c_str()) == 0);
}

// The value count the requests need, before the call's shape changes it.
int64_t NeededValues(const FuzzCall &call, int32_t iRequests)
{
    switch (call.entry) {
    case kFuzzMultipleResult:
        return int64_t(iRequests) * (1 + (uint32_t(call.iValueCount) % 13));
    case kFuzzMultipleHourly:
        return int64_t(iRequests) * D2R_HOURS_PER_YEAR;
    default:
        return (call.nullArguments & kNullFilter) ? D2R_HOURS_PER_YEAR : 1;
    }
}

// The value count passed: the needed one, one off it, or the input's own,
// never more than the buffer the fuzzer can afford.
int32_t ValueCount(const FuzzCall &call, int32_t iRequests)
{
    int64_t count = NeededValues(call, iRequests);
    if (call.countShape == kCountOneShort)
        --count;
    else if (call.countShape == kCountOneOver)
        ++count;
    else if (call.countShape == kCountAsGiven)
        count = call.iValueCount;
    return static_cast<int32_t>(std::min<int64_t>(count, kMaxValues));
}

// Calls the entry the input names; returns its answer.
int32_t CallEntry(const FuzzCall &call, const char *pszFolder, const char *pszProject, float *pfValues,
                  int32_t iValueCount, int32_t iRequests)
{
    const bool bNullRequests = call.nullArguments & kNullRequests;
    if (call.entry == kFuzzMultipleResult)
        return D2R_GetMultipleResult(pszFolder, pszProject, call.iFileType, pfValues, iValueCount, iRequests,
                                     bNullRequests ? nullptr : call.requests);
    if (call.entry == kFuzzMultipleHourly) {
        D2R_HourlyRequest hourly[kFuzzMaxRequests];
        static_assert(sizeof hourly <= sizeof call.requests, "hourly requests come from the request bytes");
        std::memcpy(hourly, call.requests, sizeof hourly);
        return D2R_GetMultipleHourlyResult(pszFolder, pszProject, call.iFileType, pfValues, iValueCount, iRequests,
                                           bNullRequests ? nullptr : hourly, 0, 0);
    }
    char key[D2R_KEY_SIZE + 1] = {};
    std::memcpy(key, call.szReportKey, D2R_KEY_SIZE);
    return D2R_GetSingleHourlyResult(pszFolder, pszProject, call.iFileType, call.iListId, call.iVariable, pfValues,
                                     iValueCount, (call.nullArguments & kNullReportKey) ? nullptr : key,
                                     (call.nullArguments & kNullFilter) ? nullptr : &call.filter, 0);
}

}  // namespace

// One call: the input's arguments against the input's store.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    if (nSize < sizeof(FuzzCall))
        return 0;
    FuzzCall call;
    std::memcpy(&call, pData, sizeof call);
    call.entry %= kFuzzEntryCount;
    call.countShape %= kCountShapes;
    const int32_t requests = call.requestCount % (kFuzzMaxRequests + 1);

    const std::string project = FuzzWorkFolder() + "/case";
    PlaceStore(project, pData + sizeof call, nSize - sizeof call);

    // Exactly as many values as the call claims, so that ASan sees any write
    // past them; a zero-sized array for a count of zero or less.
    const int32_t valueCount = ValueCount(call, requests);
    const size_t capacity = static_cast<size_t>(std::max(valueCount, 0));
    std::unique_ptr<float[]> values(new float[capacity]);
    std::memset(values.get(), kUntouchedByte, capacity * sizeof(float));

    const int32_t answer = CallEntry(call, FuzzWorkFolder().c_str(),
                                     (call.nullArguments & kNullProject) ? nullptr : project.c_str(), values.get(),
                                     valueCount, requests);
    FuzzCheck(answer >= 0 && static_cast<size_t>(answer) <= capacity);
    const auto *pBytes = reinterpret_cast<const unsigned char *>(values.get());
    for (size_t byte = static_cast<size_t>(answer) * sizeof(float); byte < capacity * sizeof(float); ++byte)
        FuzzCheck(pBytes[byte] == kUntouchedByte);
    return 0;
}
