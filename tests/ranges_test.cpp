// The reference data compiled into the program, the formulas that convert
// the posted cells into its units, and the placing of a value in a range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include "CellFormula.h"
#include "GombrelData.h"
#include "MappingTables.h"
#include "QuantityGroups.h"
#include "RangeComparison.h"
#include "ReferenceData.h"

namespace {

const ReferenceRow *FindRow(const ReferenceData &data, const std::string &strCase, const std::string &strQuantity)
{
    for (const ReferenceRow &row : data.rows)
        if (row.strCase == strCase && row.strQuantity == strQuantity)
            return &row;
    return nullptr;
}

// The cells each table's posting round writes.
std::map<std::string, std::set<std::string>> PostedCellsOfTables()
{
    std::map<std::string, std::set<std::string>> cells;
    for (const MappingTable &table : g_aMappingTables)
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item)
            if (IsEvaluatedInRound(*item))
                cells[table.pszName].insert(item->psCol + std::to_string(item->iRow));
    return cells;
}

const char *TableOf(const std::string &strSection)
{
    for (const ReferenceSection &section : g_aReferenceSections)
        if (strSection == section.pszSection)
            return section.pszTable;
    return "";
}

TEST(ReferenceData, TheCompiledInFilesAreReadWhole)
{
    const ReferenceData &data = Std140ReferenceData();
    ASSERT_EQ(data.strFailure, "");
    std::map<std::string, size_t> rows, leftOut;
    for (const ReferenceRow &row : data.rows) {
        ++rows[row.strSection];
        leftOut[row.strSection] += !row.strLeftOut.empty();
    }
    // The rows of the six files, by section; the 48 hours of 4 January
    // are the only ones left out.
    EXPECT_EQ(rows, (std::map<std::string, size_t>{{"5.2", 324 + 389}, {"5.3", 266}, {"5.3B", 1003 + 264}, {"5.4", 48}}));
    EXPECT_EQ(leftOut, (std::map<std::string, size_t>{{"5.2", 48}, {"5.3", 0}, {"5.3B", 0}, {"5.4", 0}}));
    const ReferenceRow *pRow = FindRow(data, "CE300", "max_hourly_IDB_C");
    ASSERT_NE(pRow, nullptr);
    EXPECT_EQ(pRow->strProjectCell, "AP173");
    EXPECT_EQ(pRow->strConversion, "(AP173-32)/180*100");
    pRow = FindRow(data, "CE300", "annual_compressor_kWh");
    ASSERT_NE(pRow, nullptr);
    for (const ReferenceValue &value : pRow->programs)
        EXPECT_NE(value.strProgram, "EnergyPlus1.0") << "its compressor includes the outdoor fan";
}

// A shifted column or a misread row would break what the workbooks
// computed over the programs' values.
TEST(ReferenceData, EachRowsStatisticsAreThoseOfItsPrograms)
{
    for (const ReferenceRow &row : Std140ReferenceData().rows) {
        SCOPED_TRACE(row.strSection + ' ' + row.strCase + ' ' + row.strQuantity);
        EXPECT_EQ(row.iPrograms, static_cast<int>(row.programs.size()));
        if (row.IsDateOrHour()) {
            EXPECT_EQ(row.strMin + row.strMax, "");
            continue;
        }
        double min = INFINITY, max = -INFINITY;
        for (const ReferenceValue &value : row.programs) {
            char *pEnd = nullptr;
            const double number = std::strtod(value.strText.c_str(), &pEnd);
            ASSERT_EQ(*pEnd, '\0') << value.strProgram << '=' << value.strText;
            min = std::min(min, number);
            max = std::max(max, number);
        }
        if (row.programs.empty())
            continue;
        EXPECT_EQ(std::strtod(row.strMin.c_str(), nullptr), min);
        EXPECT_EQ(std::strtod(row.strMax.c_str(), nullptr), max);
    }
}

// Each cell a posting round writes is compared by exactly one row, but the
// hourly loads of 4 January, which are left out; a conversion names posted
// cells and the data's own, but for the few cells of the workbook's DOE-2
// sheet that Gombrel does not post (the COP2 of CE300's hours and of CE500's
// and CE530's days): those rows have no value.
TEST(ReferenceData, EveryPostedCellIsComparedOnce)
{
    const ReferenceData &data = Std140ReferenceData();
    const std::map<std::string, std::set<std::string>> posted = PostedCellsOfTables();
    std::map<std::string, std::set<std::string>> notCompared = posted;
    std::map<std::string, std::set<std::string>> ownCells;
    for (const ReferenceRow &row : data.rows)
        ownCells[row.strSection].insert(row.strYourDataCell);
    std::set<std::string> unposted;
    for (const ReferenceRow &row : data.rows) {
        SCOPED_TRACE(row.strSection + ' ' + row.strCase + ' ' + row.strQuantity);
        const std::set<std::string> &tableCells = posted.at(TableOf(row.strSection));
        if (!row.strProjectCell.empty()) {
            EXPECT_EQ(notCompared[TableOf(row.strSection)].erase(row.strProjectCell), 1u) << row.strProjectCell;
        }
        double ignored = 0.0;
        EvaluateCellFormula(
            row.strConversion,
            [&](const std::string &strCell, double &dValue) {
                if (!tableCells.count(strCell) && !ownCells[row.strSection].count(strCell))
                    unposted.insert(row.strSection + ' ' + strCell);
                dValue = 1.0;
                return true;
            },
            ignored);
    }
    std::set<std::string> loads;
    for (int hour = 0; hour < 24; ++hour)
        for (const char *pszCell : {"G668", "H668", "I668", "G708", "H708"})
            loads.insert(pszCell[0] + std::to_string(std::atoi(pszCell + 1) + hour));
    EXPECT_EQ(notCompared["Std140Sec5_2Items"], loads);
    for (const char *pszTable : {"Std140Sec5_3Items", "Std140Sec5_3BItems", "Std140Sec5_4Items"})
        EXPECT_TRUE(notCompared[pszTable].empty()) << pszTable;
    std::set<std::string> expected = {"5.3B J204", "5.3B J205", "5.3B J213", "5.3B J214"};
    for (int hour = 0; hour < 24; ++hour)
        expected.insert("5.3B H" + std::to_string(173 + hour));
    EXPECT_EQ(unposted, expected);
}

TEST(ReferenceData, RefusesWhatItCannotMatchForCertain)
{
    const std::string header =
        "section\tcase\tquantity\tunit\tyourdata_cell\tP1\tP2\tmin\tmax\tmean\tn_programs\tproject_cell\t"
        "project_to_yourdata\texcluded_from_stats\n";
    const std::string rules = "section\tquantity\tdecision\tproject_to_yourdata\treason\n";
    const struct {
        const char *pszName;
        std::string strRow;
        std::string strRule;
        const char *pszFailure;  // empty: read
    } kCases[] = {
        {"a plain cell", "5.3B\tCE300\tq\tkWh\tD62\t1\t2\t1\t2\t1.5\t2\tD146\tX!D62 = D146\t\n", "", ""},
        {"an inferred cell without a rule", "5.3B\tCE300\tq\tdegC\tW89\t1\t2\t1\t2\t1.5\t2\tAP173 (inferred)\tX!W89 = W173\t\n",
         "", "uncertain"},
        {"an inferred cell with its rule", "5.3B\tCE300\tq\tdegC\tW89\t1\t2\t1\t2\t1.5\t2\tAP173 (inferred)\tX!W89 = W173\t\n",
         "5.3B\tq\tconvert\t({project_cell}-32)/1.8\twhy\n", ""},
        {"several cells without a rule", "5.2\t600\tq\tkWh\tB668\t1\t2\t1\t2\t1.5\t2\tG668/H668\t\t\n", "", "uncertain"},
        {"several cells left out", "5.2\t600\tq_h01\tkWh\tB668\t1\t2\t1\t2\t1.5\t2\tG668/H668\t\t\n",
         "5.2\tq_h*\tleave-out\t\twhy\n", ""},
        {"the formula of another cell", "5.3B\tCE300\tq\tkWh\tD62\t1\t2\t1\t2\t1.5\t2\tD146\tX!D63 = D146\t\n", "",
         "not a formula of the row's cell D62"},
        {"a line short of a column", "5.3B\tCE300\tq\tkWh\tD62\t1\t2\t1\t2\t1.5\t2\tD146\tX!D62 = D146\n", "",
         "13 columns, not 14"},
    };
    for (const auto &test : kCases) {
        SCOPED_TRACE(test.pszName);
        ReferenceData data;
        std::string failure;
        const bool bRead =
            ReadReferenceData({{"cell-matching.tsv", rules + test.strRule}, {"one.tsv", header + test.strRow}}, data,
                              failure);
        EXPECT_EQ(bRead, !*test.pszFailure) << failure;
        if (*test.pszFailure) {
            EXPECT_NE(failure.find("one.tsv: line 2: "), std::string::npos) << failure;
            EXPECT_NE(failure.find(test.pszFailure), std::string::npos) << failure;
            EXPECT_TRUE(data.rows.empty());
        } else {
            ASSERT_EQ(data.rows.size(), 1u);
            EXPECT_EQ(data.rows[0].programs.size(), 2u);
        }
    }
}

TEST(CellFormula, EvaluatesTheWorkbooksArithmetic)
{
    const std::map<std::string, double> cells = {{"M48", 72.2}, {"C204", 48000}, {"D120", 250}, {"D146", 2300},
                                                 {"Z0", 0}};
    const CellResolver resolve = [&](const std::string &strCell, double &dValue) {
        const auto found = cells.find(strCell);
        if (found == cells.end())
            return false;
        dValue = found->second;
        return true;
    };
    const struct {
        const char *pszFormula;
        bool bValue;
        double dValue;
    } kCases[] = {
        {"(M48-32)/180*100", true, 22.333333333333336},
        {"C204/24-D120", true, 1750},
        {"= 21573 + D146", true, 23873},
        {"  =-D146*2", true, -4600},
        {"(C204+D120+D146)", true, 50550},
        {"1e-05*C204", true, 0.48000000000000004},
        {"C204/Z0", false, 0},      // no value rather than infinity
        {"C204+Q1", false, 0},      // a cell that holds nothing
        {"C204//2", false, 0},
        {"(C204", false, 0},
        {"C204 D146", false, 0},
        {"", false, 0},
        {"c204", false, 0},
    };
    for (const auto &test : kCases) {
        SCOPED_TRACE(test.pszFormula);
        double value = 0.0;
        ASSERT_EQ(EvaluateCellFormula(test.pszFormula, resolve, value), test.bValue);
        if (test.bValue) {
            EXPECT_DOUBLE_EQ(value, test.dValue);
        }
    }
}

TEST(PlaceInRange, PositionAndDistanceBeyondTheNearerBound)
{
    const struct {
        const char *pszName;
        double dValue, dMin, dMax;
        RangePosition position;
        const char *pszBeyond;  // FormatRangeRow's text; "" none
    } kCases[] = {
        {"onto the lower bound", 4.296, 4.296, 5.709, RangePosition::Inside, "0"},
        {"onto the upper bound", 5.709, 4.296, 5.709, RangePosition::Inside, "0"},
        {"just inside", 5.7089, 4.296, 5.709, RangePosition::Inside, "0"},
        {"just below", 4.2, 4.296, 5.709, RangePosition::Below, "2.2"},
        {"just above", 5.72, 4.296, 5.709, RangePosition::Above, "0.2"},
        {"a hair above rounds to nothing", 5.7091, 4.296, 5.709, RangePosition::Above, "0.0"},
        {"conversion noise on a bound", 5.709 * (1 + 1e-12), 4.296, 5.709, RangePosition::Inside, "0"},
        {"below negative bounds", -23.1, -23, -21.6, RangePosition::Below, "0.4"},
        {"above negative bounds", -21.0, -23, -21.6, RangePosition::Above, "2.8"},
        {"one program", 2.0, 1.0, 1.0, RangePosition::Above, "100.0"},
        {"below a bound of zero", -0.001, 0, 4.171e-06, RangePosition::Below, ""},
        {"above a tiny bound", 0.001, 0, 4.171e-06, RangePosition::Above, "23875.1"},
    };
    ReferenceRow reference;
    reference.strUnit = "MWh";
    for (const auto &test : kCases) {
        SCOPED_TRACE(test.pszName);
        RangeRow row;
        row.pReference = &reference;
        row.doe2 = test.dValue;
        row.position = PlaceInRange(test.dValue, test.dMin, test.dMax, row.beyondPercent);
        EXPECT_EQ(row.position, test.position);
        const std::string line = FormatRangeRow(row);
        EXPECT_EQ(line.substr(line.rfind('\t', line.size() - 2) + 1, line.size() - line.rfind('\t', line.size() - 2) - 2),
                  test.pszBeyond)
            << line;
    }
}

// Posted cells as values writes them, for the comparison of one section.
PostedCells Posted(const char *pszTable, const std::map<std::string, PostedValue> &cells)
{
    return {{pszTable, cells}};
}

PostedValue Number(double dValue) { return {true, dValue, ""}; }
PostedValue Text(const char *pszText) { return {false, 0.0, pszText}; }

std::map<std::string, const RangeRow *> RowsByName(const std::vector<RangeRow> &rows)
{
    std::map<std::string, const RangeRow *> byName;
    for (const RangeRow &row : rows)
        byName[row.pReference->strCase + ' ' + row.pReference->strQuantity] = &row;
    return byName;
}

// What the 5.3 workbook's DOE-2 sheet makes of one case's raw cells,
// worked by hand: kBtu / 3.412, degrees F to C, the compressor without the
// outdoor fan, the totals and COP from the converted parts.
TEST(Conversions, Section5_3AsTheWorkbookFormsThem)
{
    const PostedCells posted = Posted(
        "Std140Sec5_3Items", {{"C48", Number(1378)}, {"D48", Number(141)}, {"E48", Number(67)},
                              {"F48", Number(12966)}, {"H48", Number(17.06)}, {"J48", Number(12467)},
                              {"K48", Number(0)}, {"L48", Number(9.9)}, {"M48", Number(72.2)},
                              {"N48", Number(0.0074)}, {"O48", Number(2.5)}, {"P48", Number(73.4)},
                              {"R48", Number(2.3)}, {"S48", Number(71.6)}});
    const std::vector<RangeRow> rows = CompareWithReference(Std140ReferenceData(), posted, {"5.3"});
    const auto byName = RowsByName(rows);
    const struct {
        const char *pszQuantity;
        double dExpected;  // worked by hand; NAN: no value
    } kCases[] = {
        {"feb_compressor_kWh", 1311},                   // 1378 - 67
        {"feb_supply_fan_kWh", 141},
        {"feb_condenser_fan_kWh", 67},
        {"feb_total_consumption_kWh", 1519},            // 1311 + 141 + 67
        {"feb_coil_load_total_kWh", 3800.1172332942556},  // 12966 / 3.412
        {"feb_coil_load_latent_kWh", 5},                 // 17.06 / 3.412
        {"feb_coil_load_sensible_kWh", 3795.1172332942556},
        {"feb_zone_load_sensible_kWh", 3653.8686987104338},  // 12467 / 3.412
        {"feb_zone_load_total_kWh", 3653.8686987104338},
        {"feb_mean_COP", 2.408735153858087},            // (3653.87 + 5) / 1519, not L48
        {"feb_max_COP", 2.5},
        {"feb_min_COP", 2.3},
        {"feb_mean_IDB_C", 22.333333333333336},          // (72.2 - 32) / 1.8
        {"feb_max_IDB_C", 23},
        {"feb_min_IDB_C", 22},
        {"feb_mean_humidity_ratio", 0.0074},
        {"feb_max_humidity_ratio", NAN},                 // Q48 not posted
    };
    for (const auto &test : kCases) {
        SCOPED_TRACE(test.pszQuantity);
        const RangeRow *pRow = byName.at(std::string("CE100 ") + test.pszQuantity);
        if (std::isnan(test.dExpected)) {
            EXPECT_FALSE(pRow->doe2);
            EXPECT_EQ(pRow->position, RangePosition::NoValue);
        } else {
            ASSERT_TRUE(pRow->doe2);
            EXPECT_NEAR(*pRow->doe2, test.dExpected, 1e-9 * std::fabs(test.dExpected));
        }
    }
}

// The same for 5.3B: the compressor cell Gombrel posts as a formula over the
// outdoor fan's, Btu to Wh, day sums to hourly means, the derived COP2, and
// the zone temperature extremes Gombrel posts in degrees F in AP and AQ.
TEST(Conversions, Section5_3BAsTheWorkbookFormsThem)
{
    const PostedCells posted = Posted(
        "Std140Sec5_3BItems",
        {{"C146", Text("= 21500 + D146")}, {"D146", Number(2300)}, {"E146", Number(10880)},
         {"F146", Number(266000)}, {"H146", Number(76000)}, {"J146", Number(75.2)}, {"AP173", Number(78.8)},
         {"AQ173", Number(46.4)}, {"X173", Text("7/21")}, {"Y173", Number(15)}, {"R146", Text("7/9")},
         {"B173", Number(2130)}, {"C173", Number(240)}, {"D173", Number(25000)}, {"F173", Number(6000)},
         {"I173", Number(71.6)}, {"C204", Number(76800)}, {"D204", Number(9360)}, {"F204", Number(1080000)}});
    const std::vector<RangeRow> rows = CompareWithReference(Std140ReferenceData(), posted, {"5.3B"});
    const auto byName = RowsByName(rows);
    const struct {
        const char *pszRow;
        double dExpected;
        const char *pszText;  // dates and hours
    } kCases[] = {
        {"CE300 annual_compressor_kWh", 21500, ""},     // (21500 + 2300) - 2300
        {"CE300 annual_condenser_fan_kWh", 2300, ""},
        {"CE300 annual_total_consumption_kWh", 34680, ""},
        {"CE300 annual_coil_load_total_kWh", 77964.6, ""},  // 266000 * 0.2931
        {"CE300 annual_coil_load_latent_kWh", 22275.6, ""},
        {"CE300 annual_coil_load_sensible_kWh", 55689, ""},
        {"CE300 annual_mean_COP2", 3.275823529411765, ""},  // 77964.6 / (21500 + 2300)
        {"CE300 annual_mean_IDB_C", 24, ""},
        {"CE300 max_hourly_IDB_C", 26, ""},             // (78.8 - 32) / 1.8
        {"CE300 min_hourly_IDB_C", 8, ""},
        {"CE300 max_hourly_IDB_date", NAN, "7/21"},
        {"CE300 max_hourly_IDB_hour", NAN, "15"},
        {"CE300 max_hourly_consumption_compr_both_fans_date", NAN, "7/9"},
        {"CE300 Jun28_h01_compressor_Wh", 1890, ""},    // 2130 - 240
        {"CE300 Jun28_h01_coil_load_total_Wh", 7327.5, ""},
        {"CE300 Jun28_h01_coil_load_sensible_Wh", 5568.9, ""},  // (25000 - 6000) * 0.2931
        {"CE300 Jun28_h01_ODB_C", 22, ""},
        {"CE500 Apr30_avg_compressor_Wh", 2810, ""},    // 76800 / 24 - 9360 / 24
        {"CE500 Apr30_avg_coil_load_total_Wh", 13189.5, ""},  // 1080000 * 0.2931 / 24
        {"CE500 Apr30_avg_COP2", NAN, ""},              // J204 is not posted
    };
    for (const auto &test : kCases) {
        SCOPED_TRACE(test.pszRow);
        const RangeRow *pRow = byName.at(test.pszRow);
        if (*test.pszText) {
            EXPECT_EQ(pRow->strDoe2Text, test.pszText);
            EXPECT_EQ(pRow->position, RangePosition::NotApplicable);
        } else if (std::isnan(test.dExpected)) {
            EXPECT_FALSE(pRow->doe2);
        } else {
            ASSERT_TRUE(pRow->doe2);
            EXPECT_NEAR(*pRow->doe2, test.dExpected, 1e-9 * std::fabs(test.dExpected));
        }
    }
}

// The charts follow the standard's figures: the 5.2 loads of the low-mass
// and of the high-mass cases apart, each numeric row in one chart, dates
// and hours in none, each hourly series a line chart of its own.
TEST(QuantityGroups, OneChartForEachOfTheStandardsFigures)
{
    const std::vector<RangeRow> rows = CompareWithReference(Std140ReferenceData(), {});
    const std::vector<QuantityGroup> groups = GroupQuantities(rows);
    std::vector<int> charted(rows.size());
    std::map<std::string, const QuantityGroup *> byTitle;
    for (const QuantityGroup &group : groups) {
        byTitle[group.strTitle] = &group;
        for (const size_t index : group.rows)
            ++charted[index];
        EXPECT_EQ(group.kind == ChartKind::Range ? group.labels.size() : group.xs.size(), group.rows.size());
    }
    for (size_t index = 0; index < rows.size(); ++index)
        EXPECT_EQ(charted[index], rows[index].pReference->IsDateOrHour() ? 0 : 1) << rows[index].pReference->strQuantity;
    const std::vector<std::string> highMass = {"900", "910", "920", "930", "940", "950", "960", "800", "810"};
    EXPECT_EQ(byTitle.at("Annual heating, high-mass cases")->labels, highMass);
    const std::vector<std::string> &lowMass = byTitle.at("Peak sensible cooling, low-mass cases")->labels;
    EXPECT_EQ(lowMass.size(), 26u);
    EXPECT_EQ(std::count(lowMass.begin(), lowMass.end(), "600") + std::count(lowMass.begin(), lowMass.end(), "440"), 2);
    const QuantityGroup *pHours = byTitle.at("Compressor electricity, 28 June, case CE300");
    EXPECT_EQ(pHours->kind, ChartKind::Series);
    EXPECT_EQ(pHours->xs.front(), 1);
    EXPECT_EQ(pHours->xs.back(), 24);
    const QuantityGroup *pBins = byTitle.at("Hours in each 1-degree bin of free-float temperature, case 900FF");
    EXPECT_EQ(pBins->xs.size(), 149u);
    EXPECT_EQ(pBins->strAxis, "degC");
    EXPECT_EQ(byTitle.at("Mean hourly compressor electricity of one day")->labels,
              (std::vector<std::string>{"CE500 30 Apr", "CE500 25 Jun", "CE530 30 Apr", "CE530 25 Jun"}));
}

}  // namespace
