// A vendor's result library may export its entries in any of the forms
// below; the binding finds each and calls it so that the stack stays right
// whatever convention the library was built with.  The echo libraries
// answer from their arguments alone, so a shifted argument or a stack
// pointer left off by a call shows.
#include <gtest/gtest.h>

#include <vector>

#include "D2ResultBinding.h"

namespace {

struct ExportForm {
    const char *pszName;
    const char *pszLibrary;
};

const ExportForm kExportForms[] = {
    {"CPlainNames", D2R_ECHO_CDECL_LIBRARY},
    {"StdcallPlainNames", D2R_ECHO_STDCALL_PLAIN_LIBRARY},
#ifdef D2R_ECHO_STDCALL_MSVC_LIBRARY
    // Decorated names exist on 32-bit Windows only.
    {"StdcallMicrosoftDecorated", D2R_ECHO_STDCALL_MSVC_LIBRARY},
    {"StdcallMingwDecorated", D2R_ECHO_STDCALL_MINGW_LIBRARY},
#endif
};

// A stack pointer left off by one call may go unnoticed for a while;
// thousands of calls, each checked, do not let it.
constexpr int kCalls = 2000;

class ExportedForm : public ::testing::TestWithParam<ExportForm> {};

TEST_P(ExportedForm, IsBoundAndEveryCallAnswersWhatItWasAsked)
{
    std::string failure;
    std::unique_ptr<ResultLibrary> library = BindResultLibraryFrom({GetParam().pszLibrary}, failure);
    ASSERT_NE(library, nullptr) << failure;

    std::vector<float> values(24), hours(2 * 8760);
    for (int call = 0; call < kCalls; ++call) {
        const int32_t type = 1 + call % 9, id = call % 50;
        const D2R_ResultRequest requests[2] = {{id, 0, "SYSTEM-1", ""}, {id + 1, 0, "SYSTEM-1", "JAN"}};
        ASSERT_EQ(library->GetMultipleResult("C:\\DOE22\\", "P", type, values.data(), 24, 2, requests), 24) << call;
        ASSERT_EQ(values[0], type * 1000000 + id * 10000) << call;
        ASSERT_EQ(values[23], type * 1000000 + (id + 1) * 10000 + 11) << call;

        const D2R_HourlyRequest hourly[2] = {{2010, id, 0, "ZONE"}, {2010, id + 2, 0, "ZONE"}};
        ASSERT_EQ(library->GetMultipleHourlyResult("C:\\DOE22\\", "P", type, hours.data(), 2 * 8760, 2, hourly),
                  2 * 8760)
            << call;
        ASSERT_EQ(hours[8759], type * 1000000 + id * 10000 + 8759) << call;
        ASSERT_EQ(hours[8760], type * 1000000 + (id + 2) * 10000) << call;

        D2R_HourlyFilter filter{};
        filter.iStatistic = D2R_STAT_MEAN;
        float value = 0.0f;
        ASSERT_EQ(library->GetSingleHourlyResult("C:\\DOE22\\", "P", type, 20, id, &value, 1, "ZONE", &filter), 1)
            << call;
        ASSERT_EQ(value, type * 1000000 + (20 + id + 16) * 10000) << call;
    }
}

INSTANTIATE_TEST_SUITE_P(Library, ExportedForm, ::testing::ValuesIn(kExportForms),
                         [](const ::testing::TestParamInfo<ExportForm> &info) { return info.param.pszName; });

}  // namespace
