/*
 * d2result.h - the DOE-2 result library: three entries that read a test-case
 * project's simulation results.
 *
 * Every entry takes the DOE-2 files folder (accepted, not read), the project
 * path (the store read is that path followed by ".d2r") and a result file
 * type, and returns how many 32-bit floats it wrote into the caller's value
 * array.  The caller owns every pointer it passes; the library keeps none of
 * them past the call and never writes outside values[0 .. valueCount-1].
 * D2R_MISSING_VALUE marks an hour or a result that has no value.
 *
 * The records below are shared byte for byte with callers of the original
 * library, so their sizes and offsets are fixed (checked at compile time).
 */
#ifndef D2RESULT_H
#define D2RESULT_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(D2RESULT_BUILDING)
#    define D2R_EXPORT __declspec(dllexport)
#  else
#    define D2R_EXPORT __declspec(dllimport)
#  endif
#else
#  define D2R_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define D2R_MISSING_VALUE (-99999.0f)
#define D2R_KEY_SIZE 40          /* key fields: at most 39 characters and a NUL */
#define D2R_HOURS_PER_YEAR 8760  /* a 365-day year */
#define D2R_FILTER_NAME_SIZE 49

/* One non-hourly result asked for by D2R_GetMultipleResult (88 bytes). */
typedef struct D2R_ResultRequest {
    int32_t iResultId;                /* seven-digit result identifier */
    int32_t iReserved;                /* always 0 */
    char szReportKey[D2R_KEY_SIZE];   /* component, "" for none */
    char szRowKey[D2R_KEY_SIZE];      /* second key, "" for none */
} D2R_ResultRequest;

/* One hourly series asked for by D2R_GetMultipleHourlyResult (52 bytes). */
typedef struct D2R_HourlyRequest {
    int32_t iListId;                  /* hourly report list identifier */
    int32_t iVariable;                /* variable number within the list */
    int32_t iReserved;                /* always 0 */
    char szReportKey[D2R_KEY_SIZE];   /* component, "" for none */
} D2R_HourlyRequest;

/*
 * The hourly filter (244 bytes) that reduces a range of hours to one value.
 * Months, days and hours are 0-based.  Fields the library does not interpret
 * keep the values the caller wrote.
 */
typedef struct D2R_HourlyFilter {
    int32_t iKind;                          /*   0 */
    char szName[D2R_FILTER_NAME_SIZE];      /*   4 */
    char acPadding[3];                      /*  53 */
    int32_t aiOptions[4];                   /*  56 */
    int32_t iPeriodMonth;                   /*  72 */
    int32_t aiReserved[3];                  /*  76 */
    int32_t aiSelectionA[8];                /*  88 */
    int32_t iFirstHourA;                    /* 120 */
    int32_t iLastHourA;                     /* 124 */
    int32_t iStartMonth;                    /* 128 */
    int32_t iStartDay;                      /* 132 */
    int32_t iStartHour;                     /* 136 */
    int32_t iEndMonth;                      /* 140 */
    int32_t iEndDay;                        /* 144 */
    int32_t iEndHour;                       /* 148 */
    int32_t iStatistic;                     /* 152: 13 max, 14 min, 15 sum, 16 mean */
    int32_t aiSelectionB[8];                /* 156 */
    int32_t aiRangeB[3];                    /* 188 */
    int32_t aiSelectionC[8];                /* 200 */
    int32_t aiRangeC[3];                    /* 232 */
} D2R_HourlyFilter;

#define D2R_STAT_MAXIMUM 13
#define D2R_STAT_MINIMUM 14
#define D2R_STAT_SUM 15
#define D2R_STAT_MEAN 16

/*
 * Non-hourly results: each of the requestCount requests fills
 * valueCount / requestCount places (monthly results: 12 each).  Returns
 * valueCount, or 0 when the store cannot be read or the counts do not fit.
 */
D2R_EXPORT int32_t D2R_GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath,
                                         int32_t iFileType, float *pfValues, int32_t iValueCount,
                                         int32_t iRequestCount, const D2R_ResultRequest *pRequests);

/*
 * Several whole-year hourly series, one after another (valueCount must be
 * 8760 x requestCount).  Returns 8760 x the number of series written.
 */
D2R_EXPORT int32_t D2R_GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath,
                                               int32_t iFileType, float *pfValues, int32_t iValueCount,
                                               int32_t iRequestCount, const D2R_HourlyRequest *pRequests,
                                               int32_t iReserved1, int32_t iReserved2);

/*
 * One hourly series: without a filter the whole year (valueCount 8760);
 * with a filter one statistic over its range (valueCount 1).  pszReportKey
 * may be NULL for none.
 */
D2R_EXPORT int32_t D2R_GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath,
                                             int32_t iFileType, int32_t iListId, int32_t iVariable,
                                             float *pfValues, int32_t iValueCount, const char *pszReportKey,
                                             const D2R_HourlyFilter *pFilter, int32_t iReserved);

/* The entries' types, for callers that bind the library at run time. */
typedef int32_t (*D2R_GetMultipleResult_fn)(const char *, const char *, int32_t, float *, int32_t, int32_t,
                                            const D2R_ResultRequest *);
typedef int32_t (*D2R_GetMultipleHourlyResult_fn)(const char *, const char *, int32_t, float *, int32_t,
                                                  int32_t, const D2R_HourlyRequest *, int32_t, int32_t);
typedef int32_t (*D2R_GetSingleHourlyResult_fn)(const char *, const char *, int32_t, int32_t, int32_t, float *,
                                                int32_t, const char *, const D2R_HourlyFilter *, int32_t);

#ifdef __cplusplus
}
#endif

/* The layout is part of the library's binary interface. */
#ifdef __cplusplus
#  define D2R_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#  define D2R_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif
D2R_STATIC_ASSERT(sizeof(D2R_ResultRequest) == 88, "result request is 88 bytes");
D2R_STATIC_ASSERT(offsetof(D2R_ResultRequest, szReportKey) == 8, "report key at 8");
D2R_STATIC_ASSERT(offsetof(D2R_ResultRequest, szRowKey) == 48, "row key at 48");
D2R_STATIC_ASSERT(sizeof(D2R_HourlyRequest) == 52, "hourly request is 52 bytes");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyRequest, szReportKey) == 12, "hourly report key at 12");
D2R_STATIC_ASSERT(sizeof(D2R_HourlyFilter) == 244, "hourly filter is 244 bytes");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, szName) == 4, "filter name at 4");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, aiOptions) == 56, "filter options at 56");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, iPeriodMonth) == 72, "filter month at 72");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, aiReserved) == 76, "filter reserved at 76");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, aiSelectionA) == 88, "filter selection A at 88");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, iFirstHourA) == 120, "filter hours A at 120");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, iStartMonth) == 128, "filter start at 128");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, iEndMonth) == 140, "filter end at 140");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, iStatistic) == 152, "filter statistic at 152");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, aiSelectionB) == 156, "filter selection B at 156");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, aiRangeB) == 188, "filter range B at 188");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, aiSelectionC) == 200, "filter selection C at 200");
D2R_STATIC_ASSERT(offsetof(D2R_HourlyFilter, aiRangeC) == 232, "filter range C at 232");
#undef D2R_STATIC_ASSERT

#endif /* D2RESULT_H */
