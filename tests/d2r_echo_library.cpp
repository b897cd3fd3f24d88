// A stand-in for a vendor's result library whose three entries answer from
// their arguments alone, so that a caller can tell each argument arrived in
// its place.  Built once with the C convention (ECHO_CONVENTION=__cdecl),
// its .def exporting the plain names, and with __stdcall once for each
// form of names a stdcall library may export (d2r_echo_stdcall.def.in).
#include <cstring>

#include "d2result.h"

namespace {

// What every entry writes into place i: the file type, the request's or
// the call's identifiers and the place, so a shifted argument shows (exact
// in a float for the small numbers the tests pass).
float Echo(int32_t iFileType, int32_t iIdentifier, int32_t iPlace)
{
    return static_cast<float>(iFileType * 1000000 + iIdentifier * 10000 + iPlace);
}

}  // namespace

extern "C" int32_t ECHO_CONVENTION EchoMultipleResult(const char *, const char *pszProjectPath, int32_t iFileType,
                                                      float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                                      const D2R_ResultRequest *pRequests)
{
    const int32_t iPerRequest = iValueCount / iRequestCount;
    for (int32_t i = 0; i < iValueCount; ++i)
        pfValues[i] = Echo(iFileType, pRequests[i / iPerRequest].iResultId, i % iPerRequest);
    return std::strlen(pszProjectPath) > 0 ? iValueCount : 0;
}

extern "C" int32_t ECHO_CONVENTION EchoMultipleHourlyResult(const char *, const char *, int32_t iFileType,
                                                            float *pfValues, int32_t iValueCount,
                                                            int32_t iRequestCount, const D2R_HourlyRequest *pRequests,
                                                            int32_t iReserved1, int32_t iReserved2)
{
    for (int32_t i = 0; i < iValueCount; ++i)
        pfValues[i] = Echo(iFileType, pRequests[i / D2R_HOURS_PER_YEAR].iVariable, i % D2R_HOURS_PER_YEAR);
    return iReserved1 == 0 && iReserved2 == 0 ? iRequestCount * D2R_HOURS_PER_YEAR : 0;
}

extern "C" int32_t ECHO_CONVENTION EchoSingleHourlyResult(const char *, const char *, int32_t iFileType,
                                                          int32_t iListId, int32_t iVariable, float *pfValues,
                                                          int32_t iValueCount, const char *pszReportKey,
                                                          const D2R_HourlyFilter *pFilter, int32_t iReserved)
{
    const int32_t iStatistic = pFilter ? pFilter->iStatistic : 0;
    for (int32_t i = 0; i < iValueCount; ++i)
        pfValues[i] = Echo(iFileType, iListId + iVariable + iStatistic, i);
    return pszReportKey && iReserved == 0 ? iValueCount : 0;
}
