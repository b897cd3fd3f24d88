#include "EvaluateItemValue.h"

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>

#include "FormatText.h"
#include "HourlyStatistics.h"
#include "Paths.h"
#include "TextMatch.h"

// Every build computes the same values: a float operation is rounded to
// float and a double one to double at once, never carried in wider
// registers (as the x87 unit of 32-bit x86 does unless told to use SSE2,
// cmake/toolchain-mingw-x86.cmake), or the sums below would differ.
static_assert(FLT_EVAL_METHOD == 0, "floating-point operations must be evaluated in their own type");

namespace {

const char kLoadFailure[] = "Error retrieving entire year of hourly results for ";
const char kBinCountFailure[] = "Error setting up temperature bin counts for ";
const char kBinNumberFailure[] = "Error parsing temperature bin number from psSpecialProcessing for ";
const char kMonthNumberFailure[] = "Error parsing month number from psSpecialProcessing for ";
const char kDayNumberFailure[] = "Error parsing day number from psSpecialProcessing for ";
const char kHourNumberFailure[] = "Error parsing hour number from psSpecialProcessing for ";
const char kFilterFailure[] = "Error initializing hourly results filter for ";
const char kFilteredReadFailure[] = "Error retrieving filtered hourly results for ";
const char kMonthlyReadFailure[] = "Error retrieving results for ";
const char kPlainReadFailure[] = "Error retriving results for ";
const char kUnknownKeyFailure[] = "Encountered unrecognized special processing key: '%s'";

enum class Route { WholeYear, MonthFilter, NonHourly };

// One evaluation's inputs, with the key and the project path worked out.
struct Request {
    ResultAccess &access;
    const GombrelData &item;
    std::string strKey;
    std::string strDoe2Folder;
    std::string strProjectPath;
};

// One evaluation's outputs while it runs: the number in single precision,
// the delivered value and the error text.
struct Outcome {
    float fNumber;
    ItemValue &value;
    std::string &strErrorText;
};

// A run of whole months of the year, January = 0.
struct MonthSpan {
    int iFirst;
    int iLast;
};



// Always false, after replacing the error text by pszMessage and the
// record description.
bool Fail(const char *pszMessage, const Request &request, Outcome &outcome)
{
    std::string description;
    DescribeGombrelData(request.item, description);
    outcome.strErrorText = pszMessage + description;
    return false;
}

bool FailUnknownKey(const Request &request, Outcome &outcome)
{
    outcome.strErrorText = FormatText(kUnknownKeyFailure, request.strKey.c_str());
    return false;
}

bool IsHourlyFileType(int32_t iFileType) { return iFileType >= 3 && iFileType <= 5; }

// The month (0 to 11) named right after a leading "Mo", or -1.
int KeyMonth(const std::string &strKey)
{
    if (!StartsWith(strKey, "Mo"))
        return -1;
    return GetMonthIndex(strKey.substr(2, 3).c_str());
}

Route ChooseRoute(const Request &request)
{
    const std::string &key = request.strKey;
    const bool bHourly = IsHourlyFileType(request.item.iD2ResFileType);
    if (bHourly && !key.empty() &&
        (key.find("Annual") != std::string::npos || StartsWith(key, "SingleHour") || StartsWith(key, "SingleDay") ||
         StartsWith(key, "CelsiusTempBin") || KeyMonth(key) >= 0))
        return Route::WholeYear;
    if (bHourly && request.item.iAction == GOMBREL_ACTION_NUMBER)
        return Route::MonthFilter;
    return Route::NonHourly;
}

// The decimal integer in iCount characters of the key from iPosition:
// leading blanks skipped, an optional sign, the digits up to the first
// other character; no digits (or no characters) read as 0.
int ParseKeyNumber(const std::string &strKey, size_t iPosition, size_t iCount)
{
    if (iPosition >= strKey.size())
        return 0;
    const std::string field = strKey.substr(iPosition, iCount);
    size_t i = 0;
    while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i])))
        ++i;
    int sign = 1;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        sign = field[i++] == '-' ? -1 : 1;
    int number = 0;
    for (; i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])); ++i)
        number = number * 10 + (field[i] - '0');
    return sign * number;
}

// The hourly series a record reads, as the statistics name it.
HourlySeries SeriesOf(const GombrelData &item)
{
    return {item.iD2ResFileType, item.iNHRListID, item.iNHRListID_Special,
            item.psReportKey,    item.psRowKey,   item.psItemString};
}

int FirstHourOf(const MonthSpan &span) { return kHoursPerDay * DaysBeforeMonth(span.iFirst); }

int HoursIn(const MonthSpan &span)
{
    return kHoursPerDay * (g_aiDaysThroughMonth[span.iLast] - DaysBeforeMonth(span.iFirst));
}

// Sum of the non-missing hours from iFirst on, in single precision and
// index order; the mean divides by their count (and stays the sum, 0, when
// every hour is missing).
float SumOrMean(const float *pfYear, int iFirst, int iHours, bool bMean)
{
    int count = iHours;
    float sum = 0.0f;
    for (int index = iFirst; index < iFirst + iHours; ++index) {
        const float value = pfYear[index];
        if (value == MISSING_VALUE)
            --count;
        else
            sum += value;
    }
    return bMean && count > 0 ? sum / count : sum;
}

// The largest (or smallest) non-missing hour of the span, the earliest of
// equal ones, with its month, day and hour (all -1 when every hour is
// missing).  The running extreme is a double so that the start just beyond
// the first hour stays beyond it even for values too large for a float to
// tell apart from their neighbour.  Hour indexes run in calendar order, so
// the span is one stretch of the year; the date is worked out once, for the
// hour found.
SpanExtreme FindExtreme(const float *pfYear, const MonthSpan &span, bool bMaximum)
{
    const int firstHour = FirstHourOf(span);
    const int endHour = firstHour + HoursIn(span);
    const float first = pfYear[firstHour];
    SpanExtreme extreme{span.iFirst, span.iLast, bMaximum, 0.0, -1, -1, -1};
    if (first > -99999.05 && first < -99998.95)
        extreme.dValue = bMaximum ? -99999999.0 : 99999999.0;
    else
        extreme.dValue = bMaximum ? first - 1.0 : first + 1.0;
    int found = -1;
    for (int index = firstHour; index < endHour; ++index) {
        const float value = pfYear[index];
        if (value == MISSING_VALUE || !(bMaximum ? value > extreme.dValue : value < extreme.dValue))
            continue;
        extreme.dValue = value;
        found = index;
    }
    if (found < 0)
        return extreme;
    const int dayOfYear = found / kHoursPerDay;
    int month = 0;
    while (dayOfYear >= g_aiDaysThroughMonth[month])
        ++month;
    extreme.iMonth = month + 1;
    extreme.iDay = dayOfYear - DaysBeforeMonth(month) + 1;
    extreme.iHour = found % kHoursPerDay + 1;
    return extreme;
}

// The extreme of the loaded series over the span, found once however many
// records ask for it (a peak's value, date and hour are three records).
SpanExtreme ExtremeOfLoadedSeries(ResultAccess &access, const MonthSpan &span, bool bMaximum)
{
    for (const SpanExtreme &known : access.spanExtremes)
        if (known.iFirstMonth == span.iFirst && known.iLastMonth == span.iLast && known.bMaximum == bMaximum)
            return known;
    access.spanExtremes.push_back(FindExtreme(access.afHourlyYear.data(), span, bMaximum));
    return access.spanExtremes.back();
}

bool EvaluateHourOrDay(const Request &request, Outcome &outcome)
{
    const std::string &key = request.strKey;
    const bool bDay = StartsWith(key, "SingleDay");
    const size_t monthAt = bDay ? key.size() - 4 : 11;
    const int month = ParseKeyNumber(key, monthAt, 2);
    const int day = ParseKeyNumber(key, monthAt + 2, 2);
    if (month < 1 || month > kMonthsPerYear)
        return Fail(kMonthNumberFailure, request, outcome);
    if (day < 1 || day > g_aiDaysInMonth[month - 1])
        return Fail(kDayNumberFailure, request, outcome);
    const int firstHour = HourIndex(month, day, 1);
    const float *year = request.access.afHourlyYear.data();
    if (bDay) {
        outcome.fNumber = SumOrMean(year, firstHour, kHoursPerDay, key.compare(9, 3, "Avg") == 0);
        return true;
    }
    const int hour = ParseKeyNumber(key, 15, 2);
    if (hour < 1 || hour > kHoursPerDay)
        return Fail(kHourNumberFailure, request, outcome);
    outcome.fNumber = year[firstHour + hour - 1];
    return true;
}

bool EvaluateTempBin(const Request &request, Outcome &outcome)
{
    const HourlySeries series = SeriesOf(request.item);
    if (!CountCelsiusTempBins(request.access, request.strProjectPath.c_str(), &series))
        return Fail(kBinCountFailure, request, outcome);
    const int bin = ParseKeyNumber(request.strKey, 14, 3);
    if (bin < 1 || bin > kTempBinCount)
        return Fail(kBinNumberFailure, request, outcome);
    outcome.fNumber = static_cast<float>(request.access.aiTempBinCounts[bin - 1]);
    return true;
}

// Sum, mean or extreme over the year or the month of a "Mo" key; the
// extremes of keys not beginning with "Annual" also give their date
// ("Date...") or hour of the day as text.
bool EvaluateSpanStatistic(const Request &request, Outcome &outcome)
{
    const std::string &key = request.strKey;
    const int month = KeyMonth(key);
    const MonthSpan span = month >= 0 ? MonthSpan{month, month} : MonthSpan{0, kMonthsPerYear - 1};
    const float *year = request.access.afHourlyYear.data();
    if (key == "AnnualAvg" || key == "AnnualSum" || (month >= 0 && (EndsWith(key, "Avg") || EndsWith(key, "Sum")))) {
        outcome.fNumber = SumOrMean(year, FirstHourOf(span), HoursIn(span), EndsWith(key, "Avg"));
        return true;
    }
    const size_t maxAt = key.find("Max");
    const SpanExtreme extreme = ExtremeOfLoadedSeries(request.access, span, maxAt != std::string::npos && maxAt > 0);
    outcome.fNumber = static_cast<float>(extreme.dValue);
    if (StartsWith(key, "Annual"))
        return true;
    outcome.value.strText = StartsWith(key, "Date") ? FormatText("%d/%d", extreme.iMonth, extreme.iDay)
                                                    : FormatText("%d", extreme.iHour);
    return true;
}

bool EvaluateWholeYear(const Request &request, Outcome &outcome)
{
    const HourlySeries series = SeriesOf(request.item);
    if (!LoadHourlyYear(request.access, request.strDoe2Folder.c_str(), request.strProjectPath.c_str(), &series))
        return Fail(kLoadFailure, request, outcome);
    if (StartsWith(request.strKey, "SingleHour") || StartsWith(request.strKey, "SingleDay"))
        return EvaluateHourOrDay(request, outcome);
    if (StartsWith(request.strKey, "CelsiusTempBin"))
        return EvaluateTempBin(request, outcome);
    return EvaluateSpanStatistic(request, outcome);
}

bool EvaluateMonthFilter(const Request &request, Outcome &outcome)
{
    const GombrelData &item = request.item;
    D2R_HourlyFilter filter{};
    if (!SetMonthFilter(&filter, request.strKey.c_str(), item.psRowKey))
        return Fail(kFilterFailure, request, outcome);
    if (item.psReportKey && std::strlen(item.psReportKey) >= D2R_KEY_SIZE)
        return Fail(kFilteredReadFailure, request, outcome);
    if (CallGetSingleHourlyResult(request.access, request.strDoe2Folder.c_str(), request.strProjectPath.c_str(),
                                  item.iD2ResFileType, item.iNHRListID, item.iNHRListID_Special, &outcome.fNumber,
                                  1, item.psReportKey, &filter) != 1)
        return Fail(kFilteredReadFailure, request, outcome);
    return true;
}

// A formula key: a text to post, with the number formatted in when it
// holds a conversion.
bool IsFormulaKey(const std::string &strKey)
{
    return StartsWith(strKey, "=") && (strKey.find('%') == std::string::npos || IsSafeFormulaTemplate(strKey));
}

bool IsMonthlyExtremeKey(const std::string &strKey)
{
    return strKey == "MonthDateOfMax" || strKey == "MonthHourOfMax" || strKey == "MonthDateOfPosMax" ||
           strKey == "MonthHourOfPosMax";
}

bool EvaluatePlainResult(const Request &request, Outcome &outcome)
{
    const GombrelData &item = request.item;
    if (!GetMultipleResults(request.access, 1, 1, &item.iNHRListID, item.psRowKey, item.psReportKey, item.iD2ResFileType,
                            request.strDoe2Folder.c_str(), request.strProjectPath.c_str(), &outcome.fNumber))
        return Fail(kPlainReadFailure, request, outcome);
    if (!StartsWith(request.strKey, "="))
        return true;
    outcome.value.strText = request.strKey.find('%') == std::string::npos
                                ? request.strKey
                                : FormatText(request.strKey.c_str(), static_cast<double>(outcome.fNumber));
    outcome.value.bIsString = true;
    return true;
}

// A day or hour read back as a float, truncated toward zero; 0 for a value
// no integer can hold.
int TruncateToInt(float fValue)
{
    const double value = std::trunc(static_cast<double>(fValue));
    return value >= INT_MIN && value <= INT_MAX ? static_cast<int>(value) : 0;
}

// The month whose first value times fMultiplier is largest (above 0 for
// the "PosMax" keys), with the day or hour read beside it; months without
// values are passed over.  No such month sets the skip flag, and so does a
// winning month without its day or hour: the date and the hour cells of
// one peak read different companions, and passing over the winner for the
// lack of one would let the two cells name different months.
bool EvaluateMonthlyExtreme(const Request &request, Outcome &outcome)
{
    const GombrelData &item = request.item;
    const int32_t ids[2] = {item.iNHRListID, item.iNHRListID_Special};
    float values[2 * kMonthsPerYear];
    if (!GetMultipleResults(request.access, 2 * kMonthsPerYear, 2, ids, item.psRowKey, item.psReportKey, item.iD2ResFileType,
                            request.strDoe2Folder.c_str(), request.strProjectPath.c_str(), values))
        return Fail(kMonthlyReadFailure, request, outcome);
    float extreme = EndsWith(request.strKey, "PosMax") ? 0.0f : -999999.0f;
    int found = -1;
    for (int month = 0; month < kMonthsPerYear; ++month) {
        // A month without a result is no candidate: times -1 its mark
        // would otherwise win the search.
        if (values[month] == MISSING_VALUE)
            continue;
        const float product = values[month] * item.fMultiplier;
        if (product > extreme) {
            extreme = product;
            found = month + 1;
        }
    }
    const float fWhen = found < 0 ? MISSING_VALUE : values[kMonthsPerYear + found - 1];
    if (fWhen == MISSING_VALUE) {
        outcome.value.bSkip = true;
        return true;
    }
    const int when = TruncateToInt(fWhen);
    if (StartsWith(request.strKey, "MonthDate"))
        outcome.value.strText = FormatText("%d/%d", found, when);
    else
        outcome.fNumber = when / item.fMultiplier;
    return true;
}

bool EvaluateNonHourly(const Request &request, Outcome &outcome)
{
    if (request.strKey.empty() || IsFormulaKey(request.strKey))
        return EvaluatePlainResult(request, outcome);
    if (IsMonthlyExtremeKey(request.strKey))
        return EvaluateMonthlyExtreme(request, outcome);
    return FailUnknownKey(request, outcome);
}

// Rounds half away from zero to iPlaces decimals without passing through
// a fixed-size integer, so that large numbers round correctly too.
double RoundToPlaces(double dNumber, int iPlaces)
{
    const double scale = std::pow(10.0, iPlaces);
    const double half = dNumber < 0 ? -0.5 : 0.5;
    // Adding 0.0 turns a truncated -0.0 into 0.0, as a whole number has no sign of zero.
    return (std::trunc(scale * dNumber + half) + 0.0) / scale;
}

// The number widened, then for numeric records multiplied (unless the
// multiplier is 1 within 0.0001) and rounded (unless a formula text).
double FinalNumber(const GombrelData &item, float fNumber, bool bIsString)
{
    double number = fNumber;
    if (item.iAction != GOMBREL_ACTION_NUMBER)
        return number;
    if (!(item.fMultiplier > 0.9999 && item.fMultiplier < 1.0001))
        number *= item.fMultiplier;
    if (item.iDecimalPlaces >= 0 && !bIsString)
        number = RoundToPlaces(number, item.iDecimalPlaces);
    return number;
}

bool Evaluate(const Request &request, Outcome &outcome)
{
    switch (ChooseRoute(request)) {
    case Route::WholeYear:
        return EvaluateWholeYear(request, outcome);
    case Route::MonthFilter:
        return EvaluateMonthFilter(request, outcome);
    case Route::NonHourly:
        break;
    }
    return EvaluateNonHourly(request, outcome);
}

// Length of a printf conversion at strText[iStart] (the
// character after '%') when it is one floating conversion without '*' or
// length modifier; 0 otherwise.
size_t FloatingConversionLength(const std::string &strText, size_t iStart)
{
    size_t i = iStart;
    while (i < strText.size() && std::strchr("-+ #0", strText[i]))
        ++i;
    while (i < strText.size() && std::isdigit(static_cast<unsigned char>(strText[i])))
        ++i;
    if (i < strText.size() && strText[i] == '.')
        for (++i; i < strText.size() && std::isdigit(static_cast<unsigned char>(strText[i]));)
            ++i;
    if (i < strText.size() && std::strchr("fFeEgGaA", strText[i]))
        return i + 1 - iStart;
    return 0;
}

}  // namespace

bool IsSafeFormulaTemplate(const std::string &strTemplate)
{
    int conversions = 0;
    for (size_t i = 0; i < strTemplate.size(); ++i) {
        if (strTemplate[i] != '%')
            continue;
        if (i + 1 < strTemplate.size() && strTemplate[i + 1] == '%') {
            ++i;
            continue;
        }
        const size_t length = FloatingConversionLength(strTemplate, i + 1);
        if (length == 0)
            return false;
        ++conversions;
        i += length;
    }
    return conversions <= 1;
}

void EvaluateItemValue(ResultAccess &access, const GombrelData &item, const std::string &strDoe2Folder,
                       const std::string &strResultsFolder, std::string &strErrorText, ItemValue &value)
{
    value = ItemValue();
    const Request request{access, item, item.psSpecialProcessing ? item.psSpecialProcessing : "", strDoe2Folder,
                          PathBelow(strResultsFolder, item.psSimResPathFile ? item.psSimResPathFile : "")};
    Outcome outcome{0.0f, value, strErrorText};
    if (!Evaluate(request, outcome) || value.bSkip)
        return;
    value.dNumber = FinalNumber(item, outcome.fNumber, value.bIsString);
}
