// The mapping tables in the block notation they were drawn up in: fixed
// records, templates repeated per test case with a row shift, two-part
// templates, series of hours or temperature bins, and runs of cases down a
// column.  The notation is expanded once into constant storage; generated
// texts (project paths, keys, formulas) live in a pool that is never freed.
#include "MappingTables.h"

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "FormatText.h"

namespace {

// Stands in a template for "= %.0f + D" followed by the record's own row.
const char kOwnRowFormula[] = "= %.0f + D{row}";

// A record as the notation lists it: every field but the project, which the
// case of the line supplies.
constexpr GombrelData R(const char *psCol, int32_t iRow, int32_t iAction, int32_t iDecimalPlaces,
                        int32_t iNHRListID, const char *psRowKey, const char *psReportKey,
                        int32_t iD2ResFileType, float fMultiplier, const char *psSpecialProcessing,
                        int32_t iNHRListID_Special, const char *psItemString)
{
    return {psCol,       iRow,           iAction,          iDecimalPlaces,      iNHRListID,
            psRowKey,    psReportKey,    iD2ResFileType,   fMultiplier,         psSpecialProcessing,
            iNHRListID_Special, nullptr, psItemString};
}

// How a section names the project of a test case.
enum class PathStyle { Baseline, Furnace };

struct Section {
    const char *pszFolder;
    PathStyle style;
};

struct CaseRecord {      // one fixed record; a null case means no project
    const char *pszCase;
    GombrelData item;
};

struct TemplateCase {    // a template applied to one case
    const char *pszCase;
    int32_t iRowShift;
    const char *psReportKey;  // the case's own component, or null for the template's
};

constexpr int32_t kPartAbsent = -1;

struct TwoPartCase {     // part A and part B of a template applied to one case
    const char *pszCase;
    int32_t iShiftA;     // kPartAbsent: no part A for this case
    int32_t iShiftB;
};

struct SeriesKey {       // how the n-th record of a series is keyed
    int32_t iMonth;      // 0: temperature bins
    int32_t iDay;
};
constexpr SeriesKey SingleHour(int32_t iMonth, int32_t iDay) { return {iMonth, iDay}; }
constexpr SeriesKey kCelsiusTempBin = {0, 0};

struct SeriesLine {      // count records in consecutive rows from item.iRow
    const char *pszCase;
    GombrelData item;
    int32_t iCount;
    SeriesKey key;
};

struct CaseRun {         // one record per case, in consecutive rows from item.iRow
    std::vector<const char *> cases;
    GombrelData item;
};

// Texts made while expanding; a set keeps each once and never moves it.
std::set<std::string> &TextPool()
{
    static std::set<std::string> pool;
    return pool;
}

const char *Keep(const std::string &text) { return TextPool().insert(text).first->c_str(); }

class TableBuilder {
public:
    explicit TableBuilder(Section section) : m_section(section) {}

    void Records(const std::vector<CaseRecord> &lines)
    {
        for (const CaseRecord &line : lines)
            Add(line.pszCase, line.item);
    }

    void Template(const std::vector<GombrelData> &templ, const std::vector<TemplateCase> &cases)
    {
        for (const TemplateCase &c : cases)
            for (GombrelData item : templ) {
                item.iRow += c.iRowShift;
                if (c.psReportKey)
                    item.psReportKey = c.psReportKey;
                Add(c.pszCase, item);
            }
    }

    void TwoPartTemplate(const std::vector<GombrelData> &partA, const std::vector<GombrelData> &partB,
                         const std::vector<TwoPartCase> &cases)
    {
        for (const TwoPartCase &c : cases) {
            if (c.iShiftA != kPartAbsent)
                Template(partA, {{c.pszCase, c.iShiftA, nullptr}});
            if (c.iShiftB != kPartAbsent)
                Template(partB, {{c.pszCase, c.iShiftB, nullptr}});
        }
    }

    void Series(const std::vector<SeriesLine> &lines)
    {
        for (const SeriesLine &line : lines)
            for (int32_t n = 1; n <= line.iCount; ++n) {
                GombrelData item = line.item;
                item.iRow += n - 1;
                item.psSpecialProcessing = Keep(SeriesKeyText(line.key, n));
                Add(line.pszCase, item);
            }
    }

    void CaseRuns(const std::vector<CaseRun> &runs)
    {
        for (const CaseRun &run : runs)
            for (size_t position = 0; position < run.cases.size(); ++position) {
                GombrelData item = run.item;
                item.iRow += static_cast<int32_t>(position);
                Add(run.cases[position], item);
            }
    }

    // The expanded table, ended by the end record.
    std::vector<GombrelData> Finish()
    {
        m_items.push_back(kDefaultGombrelData);
        return std::move(m_items);
    }

private:
    static std::string SeriesKeyText(SeriesKey key, int32_t n)
    {
        if (key.iMonth == 0)
            return FormatText("CelsiusTempBin%3d", n);
        return FormatText("SingleHour-%2d%2d%2d", key.iMonth, key.iDay, n);
    }

    const char *ProjectPath(const char *pszCase) const
    {
        if (!pszCase)
            return nullptr;
        if (m_section.style == PathStyle::Furnace)
            return Keep(FormatText("\\%s\\%s-Zv\\%s_psz_inf22-Zv - Baseline Design", m_section.pszFolder, pszCase,
                                   pszCase));
        return Keep(FormatText("\\%s\\%s-Zv\\%s-Zv - Baseline Design", m_section.pszFolder, pszCase, pszCase));
    }

    void Add(const char *pszCase, GombrelData item)
    {
        if (item.psSpecialProcessing && std::strcmp(item.psSpecialProcessing, kOwnRowFormula) == 0)
            item.psSpecialProcessing = Keep(FormatText("= %%.0f + D%d", item.iRow));
        item.psSimResPathFile = ProjectPath(pszCase);
        m_items.push_back(item);
    }

    Section m_section;
    std::vector<GombrelData> m_items;
};

const char *const kNoCase = nullptr;

std::vector<GombrelData> BuildSec5_2()
{
    TableBuilder table({"Sec5-2", PathStyle::Baseline});
    table.Records({{kNoCase, R("A", 1, 3, -1, 0, "", "", 0, 1, nullptr, 0, "A")}});

    table.Template(
        {
            R("C", 65, 0, 3, 2101002, "", "SYSTEM-SUM", 1, -1, nullptr, 0, nullptr),
            R("C", 104, 0, 3, 2101001, "", "SYSTEM-SUM", 1, 1, nullptr, 0, nullptr),
            R("C", 146, 1, -1, 2101011, "", "SYSTEM-SUM", 1, -1, "MonthDateOfPosMax", 2101017, nullptr),
            R("D", 146, 0, -1, 2101011, "", "SYSTEM-SUM", 1, -1, "MonthHourOfPosMax", 2101018, nullptr),
            R("E", 146, 0, 3, 2101005, "", "SYSTEM-SUM", 1, -1, nullptr, 0, nullptr),
            R("C", 199, 1, -1, 2101010, "", "SYSTEM-SUM", 1, 1, "MonthDateOfPosMax", 2101013, nullptr),
            R("D", 199, 0, -1, 2101010, "", "SYSTEM-SUM", 1, 1, "MonthHourOfPosMax", 2101014, nullptr),
            R("E", 199, 0, 3, 2101004, "", "SYSTEM-SUM", 1, 1, nullptr, 0, nullptr),
        },
        {
            {"600", 0, nullptr},  {"610", 1, nullptr},  {"620", 2, nullptr},  {"630", 3, nullptr},
            {"640", 4, nullptr},  {"650", 5, nullptr},  {"900", 6, nullptr},  {"910", 7, nullptr},
            {"920", 8, nullptr},  {"930", 9, nullptr},  {"940", 10, nullptr}, {"950", 11, nullptr},
            {"960", 12, "SYSTEM-1"},                    {"195", 13, nullptr}, {"215", 16, nullptr},
            {"220", 17, nullptr}, {"230", 18, nullptr}, {"240", 19, nullptr}, {"250", 20, nullptr},
            {"270", 21, nullptr}, {"280", 22, nullptr}, {"290", 23, nullptr}, {"300", 24, nullptr},
            {"310", 25, nullptr}, {"320", 26, nullptr}, {"395", 27, nullptr}, {"400", 28, nullptr},
            {"410", 29, nullptr}, {"420", 30, nullptr}, {"430", 31, nullptr}, {"440", 32, nullptr},
            {"800", 33, nullptr}, {"810", 34, nullptr},
        });

    table.Template(
        {
            R("E", 254, 0, 1, 2019, "", "SHOEBOX-ZONE", 4, 1, "AnnualMax", 6, nullptr),
            R("C", 254, 1, -1, 2019, "", "SHOEBOX-ZONE", 4, 1, "DateOfAnnualMax", 6, nullptr),
            R("D", 254, 1, -1, 2019, "", "SHOEBOX-ZONE", 4, 1, "DayHourOfAnnualMax", 6, nullptr),
            R("E", 263, 0, 1, 2019, "", "SHOEBOX-ZONE", 4, 1, "AnnualMin", 6, nullptr),
            R("C", 263, 1, -1, 2019, "", "SHOEBOX-ZONE", 4, 1, "DateOfAnnualMin", 6, nullptr),
            R("D", 263, 1, -1, 2019, "", "SHOEBOX-ZONE", 4, 1, "DayHourOfAnnualMin", 6, nullptr),
            R("E", 272, 0, 1, 2019, "", "SHOEBOX-ZONE", 4, 1, "AnnualAvg", 6, nullptr),
        },
        {{"600ff", 0, nullptr}, {"900ff", 1, nullptr}, {"650ff", 2, nullptr}, {"950ff", 3, nullptr},
         {"960", 4, "SUNSPACE-ZONE"}});

    table.Records({
        {"600", R("C", 294, 0, 2, 1020, "", "N-WALL-EXT", 3, 1, "AnnualSum", 1, nullptr)},
        {"600", R("C", 295, 0, 2, 1020, "", "E-WALL-EXT", 3, 1, "AnnualSum", 1, nullptr)},
        {"600", R("C", 296, 0, 2, 1020, "", "W-WALL-EXT", 3, 1, "AnnualSum", 1, nullptr)},
        {"600", R("C", 297, 0, 2, 1020, "", "S-WALL-EXT", 3, 1, "AnnualSum", 1, nullptr)},
        {"600", R("C", 298, 0, 2, 1114, "", "", 3, 1, "AnnualSum", 15, nullptr)},
        {"920", R("C", 313, 0, 1, 1050, "", "W-WINDOW", 3, 1, "AnnualSum", 13, nullptr)},
        {"900", R("C", 314, 0, 1, 1050, "", "S-WINDOW-1", 3, 1, "AnnualSum", 13, nullptr)},
        {"930", R("C", 333, 0, 1, 1050, "", "W-WINDOW", 3, 1, "AnnualSum", 13, nullptr)},
        {"910", R("C", 334, 0, 1, 1050, "", "S-WINDOW-1", 3, 1, "AnnualSum", 13, nullptr)},
    });

    table.Series({
        {"600", R("E", 349, 0, 2, 1020, "", "S-WALL-EXT", 3, 1, nullptr, 1, nullptr), 24, SingleHour(3, 5)},
        {"600", R("E", 429, 0, 2, 1020, "", "S-WALL-EXT", 3, 1, nullptr, 1, nullptr), 24, SingleHour(7, 27)},
        {"600", R("E", 389, 0, 2, 1020, "", "W-WALL-EXT", 3, 1, nullptr, 1, nullptr), 24, SingleHour(3, 5)},
        {"600", R("E", 469, 0, 2, 1020, "", "W-WALL-EXT", 3, 1, nullptr, 1, nullptr), 24, SingleHour(7, 27)},
        {"600ff", R("E", 508, 0, 1, 2019, "", "SHOEBOX-ZONE", 4, 1, nullptr, 6, nullptr), 24, SingleHour(1, 4)},
        {"900ff", R("E", 548, 0, 1, 2019, "", "SHOEBOX-ZONE", 4, 1, nullptr, 6, nullptr), 24, SingleHour(1, 4)},
        {"650ff", R("E", 588, 0, 1, 2019, "", "SHOEBOX-ZONE", 4, 1, nullptr, 6, nullptr), 24, SingleHour(7, 27)},
        {"950ff", R("E", 628, 0, 1, 2019, "", "SHOEBOX-ZONE", 4, 1, nullptr, 6, nullptr), 24, SingleHour(7, 27)},
        {"600H", R("G", 668, 0, 0, 2010, "", "SYSTEM-SUM", 4, 1, nullptr, 7, nullptr), 24, SingleHour(1, 4)},
        {"600H", R("H", 668, 0, 0, 2010, "", "SYSTEM-SUM", 4, 1, nullptr, 6, nullptr), 24, SingleHour(1, 4)},
        {"600H", R("I", 668, 0, 0, 2010, "", "SYSTEM-SUM", 4, 1, nullptr, 5, nullptr), 24, SingleHour(1, 4)},
        {"900", R("G", 708, 0, 0, 2010, "", "SYSTEM-SUM", 4, 1, nullptr, 7, nullptr), 24, SingleHour(1, 4)},
        {"900", R("H", 708, 0, 0, 2010, "", "SYSTEM-SUM", 4, 1, nullptr, 6, nullptr), 24, SingleHour(1, 4)},
    });

    table.Series({
        {"900ff", R("E", 749, 0, -1, 2019, "", "SHOEBOX-ZONE", 4, 1, nullptr, 6, nullptr), 149, kCelsiusTempBin},
    });
    return table.Finish();
}

std::vector<GombrelData> BuildSec5_3()
{
    TableBuilder table({"Sec5-3", PathStyle::Baseline});
    table.Records({{kNoCase, R("A", 1, 3, -1, 0, "", "", 0, 1, nullptr, 0, "Sheet1")}});

    table.Template(
        {
            R("C", 48, 0, 3, 2108028, "FEB", "SYSTEM-1", 1, 1, nullptr, 0, nullptr),
            R("D", 48, 0, 3, 2112012, "FEB", "SYSTEM-1", 1, 1, nullptr, 0, nullptr),
            R("E", 48, 0, 3, 2010, "FEB", "SYSTEM-1", 4, 1, "MonthSum", 69, nullptr),
            R("F", 48, 0, 0, 2010, "FEB", "SYSTEM-1", 4, 1, "MonthSum", 6, nullptr),
            R("H", 48, 0, 0, 2010, "FEB", "SYSTEM-1", 4, 1, "MonthSum", 48, nullptr),
            R("J", 48, 0, 0, 2019, "FEB", "HVBT-ZONE", 4, 1, "MonthSum", 8, nullptr),
            R("K", 48, 0, 0, 2019, "FEB", "HVBT-ZONE", 4, 1, "MonthSum", 2, nullptr),
            R("M", 48, 0, 1, 2019, "FEB", "HVBT-ZONE", 4, 1, "MonthAvg", 31, nullptr),
            R("N", 48, 0, 5, 2010, "FEB", "SYSTEM-1", 4, 1, "MonthAvg", 35, nullptr),
            R("P", 48, 0, 1, 2019, "FEB", "HVBT-ZONE", 4, 1, "MonthMax", 31, nullptr),
            R("Q", 48, 0, 5, 2010, "FEB", "SYSTEM-1", 4, 1, "MonthMax", 35, nullptr),
            R("S", 48, 0, 1, 2019, "FEB", "HVBT-ZONE", 4, 1, "MonthMin", 31, nullptr),
            R("T", 48, 0, 5, 2010, "FEB", "SYSTEM-1", 4, 1, "MonthMin", 35, nullptr),
            R("L", 48, 0, 3, 2010, "", "SYSTEM-1", 4, 1, "MoFebAvg", 6047, "COP_OBtuh_IkW"),
            R("O", 48, 0, 3, 2010, "", "SYSTEM-1", 4, 1, "MoFebMax", 6047, "COP_OBtuh_IkW"),
            R("R", 48, 0, 3, 2010, "", "SYSTEM-1", 4, 1, "MoFebMin", 6047, "COP_OBtuh_IkW"),
        },
        {
            {"ce100", 0, nullptr},  {"ce110", 1, nullptr},  {"ce120", 2, nullptr},  {"ce130", 3, nullptr},
            {"ce140", 4, nullptr},  {"ce150", 5, nullptr},  {"ce160", 6, nullptr},  {"ce165", 7, nullptr},
            {"ce170", 8, nullptr},  {"ce180", 9, nullptr},  {"ce185", 10, nullptr}, {"ce190", 11, nullptr},
            {"ce195", 12, nullptr}, {"ce200", 13, nullptr},
        });
    return table.Finish();
}

std::vector<GombrelData> BuildSec5_3B()
{
    TableBuilder table({"Sec5-3B", PathStyle::Baseline});
    table.Records({
        {kNoCase, R("A", 1, 3, -1, 0, "", "", 0, 1, nullptr, 0, "A")},
        {"ce300", R("M", 146, 0, 1, 1114, "", "", 3, 1, "AnnualAvg", 4, nullptr)},
        {"ce300", R("N", 146, 0, 4, 1114, "", "", 3, 1, "AnnualAvg", 10, nullptr)},
        {"ce300", R("AC", 146, 0, 1, 1114, "", "", 3, 1, "AnnualMax", 4, nullptr)},
        {"ce300", R("AD", 146, 1, -1, 1114, "", "", 3, 1, "DateOfAnnualMax", 4, nullptr)},
        {"ce300", R("AE", 146, 1, -1, 1114, "", "", 3, 1, "DayHourOfAnnualMax", 4, nullptr)},
        {"ce300", R("AF", 146, 0, 4, 1114, "", "", 3, 1, "AnnualMax", 10, nullptr)},
        {"ce300", R("AG", 146, 1, -1, 1114, "", "", 3, 1, "DateOfAnnualMax", 10, nullptr)},
        {"ce300", R("AH", 146, 1, -1, 1114, "", "", 3, 1, "DayHourOfAnnualMax", 10, nullptr)},
    });

    table.Series({
        {"ce300", R("B", 173, 0, 0, 2010, "", "SYSTEM-1", 4, 1000, nullptr, 47, nullptr), 24, SingleHour(6, 28)},
        {"ce300", R("C", 173, 0, 0, 2010, "", "SYSTEM-1", 4, 1000, nullptr, 69, nullptr), 24, SingleHour(6, 28)},
        {"ce300", R("D", 173, 0, 0, 2010, "", "SYSTEM-1", 4, 1, nullptr, 6, nullptr), 24, SingleHour(6, 28)},
        {"ce300", R("F", 173, 0, 0, 2010, "", "SYSTEM-1", 4, 1, nullptr, 48, nullptr), 24, SingleHour(6, 28)},
        {"ce300", R("G", 173, 0, 4, 2010, "", "SYSTEM-1", 4, 1, nullptr, 35, nullptr), 24, SingleHour(6, 28)},
        {"ce300", R("J", 173, 0, 1, 2010, "", "SYSTEM-1", 4, 1, nullptr, 3, nullptr), 24, SingleHour(6, 28)},
        {"ce300", R("I", 173, 0, 1, 1114, "", "", 3, 1, nullptr, 4, nullptr), 24, SingleHour(6, 28)},
        {"ce300", R("L", 173, 0, 4, 1114, "", "", 3, 1, nullptr, 10, nullptr), 24, SingleHour(6, 28)},
    });

    table.Template(
        {
            R("C", 204, 0, 0, 2010, "", "SYSTEM-1", 4, 1000, "SingleDay- 430", 47, nullptr),
            R("C", 205, 0, 0, 2010, "", "SYSTEM-1", 4, 1000, "SingleDay- 625", 47, nullptr),
            R("D", 204, 0, 0, 2010, "", "SYSTEM-1", 4, 1000, "SingleDay- 430", 69, nullptr),
            R("D", 205, 0, 0, 2010, "", "SYSTEM-1", 4, 1000, "SingleDay- 625", 69, nullptr),
            R("E", 204, 0, 0, 2010, "", "SYSTEM-1", 4, 1000, "SingleDay- 430", 49, nullptr),
            R("E", 205, 0, 0, 2010, "", "SYSTEM-1", 4, 1000, "SingleDay- 625", 49, nullptr),
            R("F", 204, 0, 0, 2010, "", "SYSTEM-1", 4, 1, "SingleDay- 430", 6, nullptr),
            R("F", 205, 0, 0, 2010, "", "SYSTEM-1", 4, 1, "SingleDay- 625", 6, nullptr),
            R("H", 204, 0, 0, 2010, "", "SYSTEM-1", 4, 1, "SingleDay- 430", 48, nullptr),
            R("H", 205, 0, 0, 2010, "", "SYSTEM-1", 4, 1, "SingleDay- 625", 48, nullptr),
            R("I", 204, 0, 4, 2010, "", "SYSTEM-1", 4, 1, "SingleDayAvg- 430", 35, nullptr),
            R("I", 205, 0, 4, 2010, "", "SYSTEM-1", 4, 1, "SingleDayAvg- 625", 35, nullptr),
            R("K", 204, 0, 1, 1114, "", "", 3, 1, "SingleDayAvg- 430", 4, nullptr),
            R("K", 205, 0, 1, 1114, "", "", 3, 1, "SingleDayAvg- 625", 4, nullptr),
            R("L", 204, 0, 1, 2010, "", "SYSTEM-1", 4, 1, "SingleDayAvg- 430", 3, nullptr),
            R("L", 205, 0, 1, 2010, "", "SYSTEM-1", 4, 1, "SingleDayAvg- 625", 3, nullptr),
        },
        {{"ce500", 0, nullptr}, {"ce530", 9, nullptr}});

    table.TwoPartTemplate(
        {
            R("C", 146, 0, 0, 2305010, "", "", 1, 1, kOwnRowFormula, 0, nullptr),
            R("D", 146, 0, 0, 2305011, "", "", 1, 1, nullptr, 0, nullptr),
            R("E", 146, 0, 0, 2305013, "", "", 1, 1, nullptr, 0, nullptr),
            R("F", 146, 0, 0, 2101001, "", "SYSTEM-1", 1, 1000, nullptr, 0, nullptr),
            R("H", 146, 0, 0, 2109002, "", "SYSTEM-1", 1, 1000, nullptr, 0, nullptr),
            R("J", 146, 0, 1, 2019, "", "HVBT-ZONE", 4, 1, "AnnualAvg", 31, nullptr),
            R("K", 146, 0, 5, 2010, "", "SYSTEM-1", 4, 1, "AnnualAvg", 35, nullptr),
            R("L", 146, 0, 2, 2010, "HVBT-ZONE", "SYSTEM-1", 4, 1, "AnnualAvg", 5031035, "ZoneRelHumid"),
        },
        {
            R("Q", 146, 0, 0, 2010, "", "SYSTEM-1", 4, 1000, "AnnualMax", 69049047, nullptr),
            R("R", 146, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DateOfAnnualMax", 69049047, nullptr),
            R("S", 146, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DayHourOfAnnualMax", 69049047, nullptr),
            R("Z", 146, 0, 0, 2010, "", "SYSTEM-1", 4, 0.293f, "AnnualMax", 6, nullptr),
            R("AA", 146, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DateOfAnnualMax", 6, nullptr),
            R("AB", 146, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DayHourOfAnnualMax", 6, nullptr),
            R("W", 146, 0, 0, 2010, "", "SYSTEM-1", 4, 0.293f, "AnnualMax", 48, nullptr),
            R("X", 146, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DateOfAnnualMax", 48, nullptr),
            R("Y", 146, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DayHourOfAnnualMax", 48, nullptr),
            R("T", 146, 0, 0, 2010, "", "SYSTEM-1", 4, 0.293f, "AnnualMax", -48006, nullptr),
            R("U", 146, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DateOfAnnualMax", -48006, nullptr),
            R("V", 146, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DayHourOfAnnualMax", -48006, nullptr),
            R("Q", 173, 0, 3, 2010, "", "SYSTEM-1", 4, 1, "AnnualMax", 6047, "COP_OBtuh_IkW"),
            R("R", 173, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DateOfAnnualMax", 6047, "COP_OBtuh_IkW"),
            R("S", 173, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DayHourOfAnnualMax", 6047, "COP_OBtuh_IkW"),
            R("T", 173, 0, 3, 2010, "", "SYSTEM-1", 4, 1, "AnnualMin", 6047, "COP_OBtuh_IkW"),
            R("U", 173, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DateOfAnnualMin", 6047, "COP_OBtuh_IkW"),
            R("V", 173, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DayHourOfAnnualMin", 6047, "COP_OBtuh_IkW"),
            R("AP", 173, 0, 2, 2019, "", "HVBT-ZONE", 4, 1, "AnnualMax", 31, nullptr),
            R("X", 173, 1, -1, 2019, "", "HVBT-ZONE", 4, 1, "DateOfAnnualMax", 31, nullptr),
            R("Y", 173, 1, -1, 2019, "", "HVBT-ZONE", 4, 1, "DayHourOfAnnualMax", 31, nullptr),
            R("AQ", 173, 0, 2, 2019, "", "HVBT-ZONE", 4, 1, "AnnualMin", 31, nullptr),
            R("AA", 173, 1, -1, 2019, "", "HVBT-ZONE", 4, 1, "DateOfAnnualMin", 31, nullptr),
            R("AB", 173, 1, -1, 2019, "", "HVBT-ZONE", 4, 1, "DayHourOfAnnualMin", 31, nullptr),
            R("AC", 173, 0, 4, 2010, "", "SYSTEM-1", 4, 1, "AnnualMax", 35, nullptr),
            R("AD", 173, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DateOfAnnualMax", 35, nullptr),
            R("AE", 173, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DayHourOfAnnualMax", 35, nullptr),
            R("AF", 173, 0, 4, 2010, "", "SYSTEM-1", 4, 1, "AnnualMin", 35, nullptr),
            R("AG", 173, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DateOfAnnualMin", 35, nullptr),
            R("AH", 173, 1, -1, 2010, "", "SYSTEM-1", 4, 1, "DayHourOfAnnualMin", 35, nullptr),
            R("AI", 173, 0, 2, 2010, "HVBT-ZONE", "SYSTEM-1", 4, 1, "AnnualMax", 5031035, "ZoneRelHumid"),
            R("AJ", 173, 1, -1, 2010, "HVBT-ZONE", "SYSTEM-1", 4, 1, "DateOfAnnualMax", 5031035, "ZoneRelHumid"),
            R("AK", 173, 1, -1, 2010, "HVBT-ZONE", "SYSTEM-1", 4, 1, "DayHourOfAnnualMax", 5031035, "ZoneRelHumid"),
            R("AL", 173, 0, 2, 2010, "HVBT-ZONE", "SYSTEM-1", 4, 1, "AnnualMin", 5031035, "ZoneRelHumid"),
            R("AM", 173, 1, -1, 2010, "HVBT-ZONE", "SYSTEM-1", 4, 1, "DateOfAnnualMin", 5031035, "ZoneRelHumid"),
            R("AN", 173, 1, -1, 2010, "HVBT-ZONE", "SYSTEM-1", 4, 1, "DayHourOfAnnualMin", 5031035, "ZoneRelHumid"),
        },
        {
            {"ce300", 0, 0},           {"ce310", 1, 1},   {"ce320", 2, 2},   {"ce330", 3, 3},
            {"ce340", 4, 4},           {"ce350", 5, 5},   {"ce360", 6, 6},   {"ce400", 7, 7},
            {"ce410", 8, 8},           {"ce420", 9, 9},   {"ce430", 10, 10}, {"ce440", 11, 11},
            {"ce500", 12, 12},         {"ce500a", 13, kPartAbsent},          {"ce510a", 14, kPartAbsent},
            {"ce510", kPartAbsent, 13}, {"ce520", 15, 14}, {"ce522", 16, 15}, {"ce525", 17, 16},
            {"ce530", 18, 17},         {"ce540", 19, 18}, {"ce545", 20, 19},
        });
    return table.Finish();
}

std::vector<GombrelData> BuildSec5_4()
{
    TableBuilder table({"Sec5-4", PathStyle::Furnace});
    table.Records({{kNoCase, R("A", 1, 3, -1, 0, "", "", 0, 1, nullptr, 0, "A")}});

    const std::vector<const char *> all = {"HE100", "HE110", "HE120", "HE130", "HE140", "HE150",
                                           "HE160", "HE170", "HE210", "HE220", "HE230"};
    const std::vector<const char *> fromHE150 = {"HE150", "HE160", "HE170", "HE210", "HE220", "HE230"};
    const std::vector<const char *> fromHE210 = {"HE210", "HE220", "HE230"};
    table.CaseRuns({
        {all, R("D", 20, 0, 3, 2101002, "", "SYSTEM-1", 1, -1, nullptr, 0, nullptr)},
        {all, R("D", 36, 0, 3, 2108004, "", "SYSTEM-1", 1, 1, nullptr, 0, nullptr)},
        {fromHE150, R("D", 68, 0, 1, 2305001, "", "", 1, 1, nullptr, 0, nullptr)},
        {fromHE210, R("D", 79, 0, 1, 2019, "", "COND-ZONE", 4, 1, "AnnualAvg", 31, nullptr)},
        {fromHE210, R("D", 87, 0, 1, 2019, "", "COND-ZONE", 4, 1, "AnnualMax", 31, nullptr)},
        {fromHE210, R("D", 95, 0, 1, 2019, "", "COND-ZONE", 4, 1, "AnnualMin", 31, nullptr)},
    });
    return table.Finish();
}

struct Tables {
    std::vector<GombrelData> sec5_2 = BuildSec5_2();
    std::vector<GombrelData> sec5_3 = BuildSec5_3();
    std::vector<GombrelData> sec5_3B = BuildSec5_3B();
    std::vector<GombrelData> sec5_4 = BuildSec5_4();
};

const Tables &ExpandedTables()
{
    static const Tables tables;
    return tables;
}

}  // namespace

const GombrelData *Std140Sec5_2Items() { return ExpandedTables().sec5_2.data(); }
const GombrelData *Std140Sec5_3Items() { return ExpandedTables().sec5_3.data(); }
const GombrelData *Std140Sec5_3BItems() { return ExpandedTables().sec5_3B.data(); }
const GombrelData *Std140Sec5_4Items() { return ExpandedTables().sec5_4.data(); }

const MappingTable g_aMappingTables[kMappingTableCount] = {
    {"Std140Sec5_2Items", "\\Std140Sec5-2.xls", Std140Sec5_2Items},
    {"Std140Sec5_3Items", "\\Std140Sec5-3.xls", Std140Sec5_3Items},
    {"Std140Sec5_3BItems", "\\Std140Sec5-3B.xls", Std140Sec5_3BItems},
    {"Std140Sec5_4Items", "\\Std140Sec5-4.xls", Std140Sec5_4Items},
};

const MappingTable *FindMappingTable(const char *pszName)
{
    for (const MappingTable &table : g_aMappingTables)
        if (pszName && std::strcmp(table.pszName, pszName) == 0)
            return &table;
    return nullptr;
}

size_t CountRecords(const GombrelData *pTable)
{
    size_t count = 0;
    while (!IsEndRecord(pTable[count]))
        ++count;
    return count;
}
