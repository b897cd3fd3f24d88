// A vendor's result library may export its entries plain with the C
// convention or stdcall-decorated with the stdcall one: the binding finds
// either and calls each through its own convention.
#include <gtest/gtest.h>

#include <vector>

#include "D2ResultBinding.h"

namespace {

// Binds the library and checks that each entry got every argument in its
// place (the echo library answers from its arguments alone).
void ExpectEntriesEchoTheirArguments(const std::string &strLibrary)
{
    std::string failure;
    std::unique_ptr<ResultLibrary> library = BindResultLibraryFrom({strLibrary}, failure);
    ASSERT_NE(library, nullptr) << failure;

    const D2R_ResultRequest requests[2] = {{11, 0, "SYSTEM-1", ""}, {12, 0, "SYSTEM-1", "JAN"}};
    std::vector<float> values(24);
    EXPECT_EQ(library->GetMultipleResult("C:\\DOE22\\", "P", 3, values.data(), 24, 2, requests), 24);
    EXPECT_FLOAT_EQ(values[0], 3000000 + 110000);
    EXPECT_FLOAT_EQ(values[23], 3000000 + 120000 + 11);

    const D2R_HourlyRequest hourly[2] = {{2010, 6, 0, "ZONE"}, {2010, 7, 0, "ZONE"}};
    std::vector<float> hours(2 * 8760);
    EXPECT_EQ(library->GetMultipleHourlyResult("C:\\DOE22\\", "P", 4, hours.data(), 2 * 8760, 2, hourly), 2 * 8760);
    EXPECT_FLOAT_EQ(hours[8759], 4000000 + 60000 + 8759);
    EXPECT_FLOAT_EQ(hours[8760], 4000000 + 70000);

    D2R_HourlyFilter filter{};
    filter.iStatistic = D2R_STAT_MEAN;
    float value = 0.0f;
    EXPECT_EQ(library->GetSingleHourlyResult("C:\\DOE22\\", "P", 5, 20, 30, &value, 1, "ZONE", &filter), 1);
    EXPECT_FLOAT_EQ(value, 5000000 + (20 + 30 + 16) * 10000);
}

TEST(D2ResultBinding, CallsPlainCdeclEntries) { ExpectEntriesEchoTheirArguments(D2R_ECHO_CDECL_LIBRARY); }

TEST(D2ResultBinding, CallsStdcallDecoratedEntries) { ExpectEntriesEchoTheirArguments(D2R_ECHO_STDCALL_LIBRARY); }

}  // namespace
