// Writes the seed inputs of fuzz_result_store into the folder it is given:
// small real stores, each behind a call that reads what the store holds, so
// that fuzzing starts from calls that reach the reading code.
//
//   make_store_seeds fuzz/corpus/result_store
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCall.h"
#include "StoreWriter.h"

namespace {

constexpr int32_t kFileType = 1;
constexpr int32_t kResultId = 2001001;
constexpr int32_t kListId = 2010;
constexpr int32_t kVariable = 6;
constexpr char kReportKey[] = "SOUTH WALL";

// A store with one monthly result and, when bHourly, one hourly series;
// its bytes, or "" when it cannot be made.
std::string StoreBytes(const std::string &strPath, bool bHourly)
{
    StoreWriter writer;
    std::string failure;
    std::vector<float> months(12);
    for (size_t month = 0; month < months.size(); ++month)
        months[month] = 100.0f + static_cast<float>(month);
    std::vector<float> hours(D2R_HOURS_PER_YEAR);
    for (size_t hour = 0; hour < hours.size(); ++hour)
        hours[hour] = static_cast<float>(hour % 24);
    bool bWritten = writer.Create(strPath, failure) &&
                    writer.AddResult(kFileType, kResultId, kReportKey, "", months, failure) &&
                    (!bHourly || writer.AddHourly(kFileType, kListId, kVariable, kReportKey, hours, failure)) &&
                    writer.Commit(failure);
    if (!bWritten) {
        std::cerr << "make_store_seeds: " << failure << '\n';
        return std::string();
    }
    std::ostringstream bytes;
    bytes << std::ifstream(strPath, std::ios::binary).rdbuf();
    std::remove(strPath.c_str());
    return bytes.str();
}

// A call of entry for the store's monthly result or its series.
FuzzCall BaseCall(FuzzEntry entry)
{
    FuzzCall call = {};
    call.entry = entry;
    call.requestCount = 1;
    call.countShape = kCountExact;
    call.iFileType = kFileType;
    call.iListId = kListId;
    call.iVariable = kVariable;
    call.iValueCount = 11;  // twelve values per result request
    std::strcpy(call.szReportKey, kReportKey);
    call.requests[0].iResultId = kResultId;
    std::strcpy(call.requests[0].szReportKey, kReportKey);
    return call;
}

// The series as the one request of the several-series entry.
FuzzCall HourlyCall()
{
    FuzzCall call = BaseCall(kFuzzMultipleHourly);
    D2R_HourlyRequest request = {};
    request.iListId = kListId;
    request.iVariable = kVariable;
    std::strcpy(request.szReportKey, kReportKey);
    std::memcpy(call.requests, &request, sizeof request);
    return call;
}

// A filter that sums the hours from noon on 1 January to 5 pm on 31 January.
FuzzCall FilteredCall()
{
    FuzzCall call = BaseCall(kFuzzSingleHourly);
    call.filter.iKind = 1;
    call.filter.iEndDay = 30;
    call.filter.iStartHour = 12;
    call.filter.iEndHour = 17;
    call.filter.iStatistic = D2R_STAT_SUM;
    return call;
}

// The whole year of the series, without a filter.
FuzzCall WholeYearCall()
{
    FuzzCall call = BaseCall(kFuzzSingleHourly);
    call.nullArguments = kNullFilter;
    return call;
}

// The call's bytes followed by the store's, as the fuzzer reads them.
bool WriteSeed(const std::string &strPath, const FuzzCall &call, const std::string &strStore)
{
    std::ofstream seed(strPath, std::ios::binary | std::ios::trunc);
    seed.write(reinterpret_cast<const char *>(&call), sizeof call);
    seed << strStore;
    return static_cast<bool>(seed);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_store_seeds FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    const std::string results = StoreBytes(folder + "/results-only.d2r", false);
    const std::string withHours = StoreBytes(folder + "/with-hours.d2r", true);
    if (results.empty() || withHours.empty())
        return 1;
    bool bWritten = WriteSeed(folder + "/monthly-result", BaseCall(kFuzzMultipleResult), results) &&
                    WriteSeed(folder + "/hourly-series", HourlyCall(), withHours) &&
                    WriteSeed(folder + "/filtered-sum", FilteredCall(), withHours) &&
                    WriteSeed(folder + "/whole-year", WholeYearCall(), withHours);
    return bWritten ? 0 : 1;
}
