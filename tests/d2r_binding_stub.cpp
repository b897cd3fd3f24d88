// A library with the result library's file name and two of its three
// entries: D2R_GetSingleHourlyResult is missing.
#include "d2result.h"

extern "C" D2R_EXPORT int32_t D2R_GetMultipleResult(const char *, const char *, int32_t, float *, int32_t, int32_t,
                                                    const D2R_ResultRequest *)
{
    return 0;
}

extern "C" D2R_EXPORT int32_t D2R_GetMultipleHourlyResult(const char *, const char *, int32_t, float *, int32_t,
                                                          int32_t, const D2R_HourlyRequest *, int32_t, int32_t)
{
    return 0;
}
