#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "MappingTables.h"

namespace {

std::string Text(const char *psText) { return psText ? psText : "(null)"; }

std::string Cell(const GombrelData &item) { return Text(item.psCol) + std::to_string(item.iRow); }

// The first record of a table whose cell and key match, or null.
const GombrelData *Find(const GombrelData *table, const std::string &cell, const char *pszKey = nullptr)
{
    for (size_t i = 0; !IsEndRecord(table[i]); ++i)
        if (Cell(table[i]) == cell && (!pszKey || Text(table[i].psSpecialProcessing) == pszKey))
            return &table[i];
    return nullptr;
}

struct TableShape {
    const char *pszName;
    size_t count;
    const char *pszSheet;
    const char *pszLastCell;
    const char *pszLastKey;
    const char *pszLastProject;
};

const TableShape kShapes[] = {
    {"Std140Sec5_2Items", 770, "A", "E897", "CelsiusTempBin149", "\\Sec5-2\\900ff-Zv\\900ff-Zv - Baseline Design"},
    {"Std140Sec5_3Items", 225, "Sheet1", "R61", "MoFebMin", "\\Sec5-3\\ce200-Zv\\ce200-Zv - Baseline Design"},
    {"Std140Sec5_3BItems", 1121, "A", "AN192", "DayHourOfAnnualMin",
     "\\Sec5-3B\\ce545-Zv\\ce545-Zv - Baseline Design"},
    {"Std140Sec5_4Items", 38, "A", "D97", "AnnualMin", "\\Sec5-4\\HE230-Zv\\HE230_psz_inf22-Zv - Baseline Design"},
};

TEST(MappingTables, HaveTheirCountsSheetSelectionAndLastRecord)
{
    size_t total = 0;
    for (const TableShape &shape : kShapes) {
        SCOPED_TRACE(shape.pszName);
        const MappingTable *table = FindMappingTable(shape.pszName);
        ASSERT_NE(table, nullptr);
        const GombrelData *items = table->pItems();
        const size_t count = CountRecords(items);
        EXPECT_EQ(count, shape.count);
        total += count;

        const GombrelData &first = items[0];
        EXPECT_STREQ(first.psCol, "A");
        EXPECT_EQ(first.iRow, 1);
        EXPECT_EQ(first.iAction, GOMBREL_ACTION_SELECT_SHEET);
        EXPECT_STREQ(first.psItemString, shape.pszSheet);
        EXPECT_EQ(first.psSimResPathFile, nullptr);

        const GombrelData &last = items[count - 1];
        EXPECT_EQ(Cell(last), shape.pszLastCell);
        EXPECT_EQ(Text(last.psSpecialProcessing), shape.pszLastKey);
        EXPECT_EQ(Text(last.psSimResPathFile), shape.pszLastProject);

        const GombrelData &end = items[count];
        EXPECT_EQ(end.iRow, 0);
        EXPECT_EQ(end.iDecimalPlaces, -1);
        EXPECT_STREQ(end.psRowKey, "");
        EXPECT_STREQ(end.psReportKey, "");
        EXPECT_EQ(end.fMultiplier, 1.0f);
        EXPECT_EQ(end.psSpecialProcessing, nullptr);
        EXPECT_EQ(end.psItemString, nullptr);
    }
    EXPECT_EQ(total, 2154u);
}

TEST(MappingTables, RunInPostingOrderWithTheirWorkbooks)
{
    const char *names[] = {"Std140Sec5_2Items", "Std140Sec5_3Items", "Std140Sec5_3BItems", "Std140Sec5_4Items"};
    const char *files[] = {"\\Std140Sec5-2.xls", "\\Std140Sec5-3.xls", "\\Std140Sec5-3B.xls", "\\Std140Sec5-4.xls"};
    for (size_t i = 0; i < kMappingTableCount; ++i) {
        EXPECT_STREQ(g_aMappingTables[i].pszName, names[i]);
        EXPECT_STREQ(g_aMappingTables[i].pszWorkbookFile, files[i]);
    }
    EXPECT_EQ(FindMappingTable("std140sec5_2items"), nullptr) << "names are exact";
    EXPECT_EQ(FindMappingTable(nullptr), nullptr);
}

TEST(MappingTables, OnlyTheFirstRecordSelectsASheet)
{
    for (const MappingTable &table : g_aMappingTables) {
        const GombrelData *items = table.pItems();
        for (size_t i = 1; !IsEndRecord(items[i]); ++i) {
            EXPECT_NE(items[i].iAction, GOMBREL_ACTION_SELECT_SHEET) << table.pszName << " " << i;
            EXPECT_NE(items[i].psSimResPathFile, nullptr) << table.pszName << " " << i;
        }
    }
}

TEST(MappingTables, CountActionsKeysAndFamiliesAsDrawnUp)
{
    std::map<int, int> actions;
    std::map<std::string, int> families;
    for (const MappingTable &table : g_aMappingTables) {
        const GombrelData *items = table.pItems();
        for (size_t i = 0; !IsEndRecord(items[i]); ++i) {
            ++actions[items[i].iAction];
            if (items[i].iAction == GOMBREL_ACTION_SELECT_SHEET)
                continue;
            const std::string key = items[i].psSpecialProcessing ? items[i].psSpecialProcessing : "";
            std::string family = key;
            for (const char *prefix : {"SingleHour-", "SingleDayAvg-", "SingleDay-", "CelsiusTempBin", "= %.0f + D"})
                if (key.rfind(prefix, 0) == 0) {
                    family = prefix;
                    break;
                }
            for (const char *stat : {"Sum", "Avg", "Max", "Min"}) {
                if (family == std::string("Annual") + stat)
                    family = "Annual*";
                if (family == std::string("Month") + stat)
                    family = "Month*";
                if (family == std::string("MoFeb") + stat)
                    family = "MoFeb*";
            }
            if (family == "DateOfAnnualMax" || family == "DateOfAnnualMin")
                family = "DateOfAnnual*";
            if (family == "DayHourOfAnnualMax" || family == "DayHourOfAnnualMin")
                family = "DayHourOfAnnual*";
            ++families[family];
        }
    }
    EXPECT_EQ(actions, (std::map<int, int>{{0, 1580}, {1, 570}, {3, 4}}));
    const std::map<std::string, int> expected = {
        {"", 272},
        {"Annual*", 340},
        {"DateOfAnnual*", 252},
        {"DayHourOfAnnual*", 252},
        {"Month*", 154},
        {"MoFeb*", 42},
        {"MonthDateOfPosMax", 66},
        {"MonthHourOfPosMax", 66},
        {"SingleHour-", 504},
        {"SingleDay-", 20},
        {"SingleDayAvg-", 12},
        {"CelsiusTempBin", 149},
        {"= %.0f + D", 21},
    };
    EXPECT_EQ(families, expected);
}

TEST(MappingTables, EveryTextRecordAndHourlyRecordCarriesAKey)
{
    for (const MappingTable &table : g_aMappingTables) {
        const GombrelData *items = table.pItems();
        for (size_t i = 0; !IsEndRecord(items[i]); ++i) {
            const GombrelData &item = items[i];
            const bool hasKey = item.psSpecialProcessing && *item.psSpecialProcessing;
            if (item.iAction == GOMBREL_ACTION_TEXT || item.iD2ResFileType >= 3) {
                EXPECT_TRUE(hasKey) << table.pszName << " " << i;
            }
            if (!hasKey) {
                EXPECT_LE(item.iD2ResFileType, 1) << table.pszName << " " << i;
            }
            EXPECT_NE(item.psRowKey, nullptr);
            EXPECT_NE(item.psReportKey, nullptr);
            EXPECT_LE(std::strlen(item.psRowKey), 39u);
            EXPECT_LE(std::strlen(item.psReportKey), 39u);
        }
    }
}

struct RecordCase {
    const char *pszName;
    const GombrelData *(*pTable)();
    size_t index;
    const char *pszCell;
    const char *pszKey;
    const char *pszReportKey;
    const char *pszProject;
};

TEST(MappingTables, NamedRecordsAreWhereTheyBelong)
{
    const RecordCase cases[] = {
        {"ce300 annual mean first after the sheet", Std140Sec5_3BItems, 1, "M146", "AnnualAvg", "",
         "\\Sec5-3B\\ce300-Zv\\ce300-Zv - Baseline Design"},
        {"case 600 heating load", Std140Sec5_2Items, 1, "C65", "(null)", "SYSTEM-SUM",
         "\\Sec5-2\\600-Zv\\600-Zv - Baseline Design"},
        {"case 960 reads SYSTEM-1", Std140Sec5_2Items, 1 + 12 * 8, "C77", "(null)", "SYSTEM-1",
         "\\Sec5-2\\960-Zv\\960-Zv - Baseline Design"},
        {"case 195 after 960", Std140Sec5_2Items, 1 + 13 * 8, "C78", "(null)", "SYSTEM-SUM",
         "\\Sec5-2\\195-Zv\\195-Zv - Baseline Design"},
        {"case 215 skips rows 14 and 15", Std140Sec5_2Items, 1 + 14 * 8, "C81", "(null)", "SYSTEM-SUM",
         "\\Sec5-2\\215-Zv\\215-Zv - Baseline Design"},
        {"case 960 sunspace", Std140Sec5_2Items, 1 + 264 + 4 * 7, "E258", "AnnualMax", "SUNSPACE-ZONE",
         "\\Sec5-2\\960-Zv\\960-Zv - Baseline Design"},
        {"first furnace record", Std140Sec5_4Items, 1, "D20", "(null)", "SYSTEM-1",
         "\\Sec5-4\\HE100-Zv\\HE100_psz_inf22-Zv - Baseline Design"},
        {"furnace HE150 fan energy", Std140Sec5_4Items, 23, "D68", "(null)", "",
         "\\Sec5-4\\HE150-Zv\\HE150_psz_inf22-Zv - Baseline Design"},
    };
    for (const RecordCase &c : cases) {
        SCOPED_TRACE(c.pszName);
        const GombrelData &item = c.pTable()[c.index];
        EXPECT_EQ(Cell(item), c.pszCell);
        EXPECT_EQ(Text(item.psSpecialProcessing), c.pszKey);
        EXPECT_STREQ(item.psReportKey, c.pszReportKey);
        EXPECT_EQ(Text(item.psSimResPathFile), c.pszProject);
    }
}

TEST(MappingTables, FormulaTemplatesNameTheirOwnRow)
{
    const GombrelData *items = Std140Sec5_3BItems();
    const GombrelData *ce520 = Find(items, "C161");
    ASSERT_NE(ce520, nullptr);
    EXPECT_STREQ(ce520->psSpecialProcessing, "= %.0f + D161");
    EXPECT_STREQ(ce520->psSimResPathFile, "\\Sec5-3B\\ce520-Zv\\ce520-Zv - Baseline Design");
    EXPECT_STREQ(Find(items, "C146", "= %.0f + D146")->psSimResPathFile,
                 "\\Sec5-3B\\ce300-Zv\\ce300-Zv - Baseline Design");

    // ce520's part B lies one row above its part A.
    for (const char *cell : {"Q160", "AN187"}) {
        const GombrelData *item = Find(items, cell);
        ASSERT_NE(item, nullptr) << cell;
        EXPECT_STREQ(item->psSimResPathFile, "\\Sec5-3B\\ce520-Zv\\ce520-Zv - Baseline Design") << cell;
    }
    // ce510 has part B only, ce500a and ce510a part A only.
    EXPECT_STREQ(Find(items, "Q159")->psSimResPathFile, "\\Sec5-3B\\ce510-Zv\\ce510-Zv - Baseline Design");
    EXPECT_STREQ(Find(items, "C159")->psSimResPathFile, "\\Sec5-3B\\ce500a-Zv\\ce500a-Zv - Baseline Design");
    EXPECT_STREQ(Find(items, "C160")->psSimResPathFile, "\\Sec5-3B\\ce510a-Zv\\ce510a-Zv - Baseline Design");
}

TEST(MappingTables, SeriesSpellTheirKeysInFixedWidths)
{
    const GombrelData *items = Std140Sec5_2Items();
    EXPECT_STREQ(Find(items, "E349")->psSpecialProcessing, "SingleHour- 3 5 1");
    EXPECT_STREQ(Find(items, "E372")->psSpecialProcessing, "SingleHour- 3 524");
    EXPECT_STREQ(Find(items, "E438")->psSpecialProcessing, "SingleHour- 72710");
    EXPECT_STREQ(Find(items, "E749")->psSpecialProcessing, "CelsiusTempBin  1");
    EXPECT_STREQ(Find(items, "E758")->psSpecialProcessing, "CelsiusTempBin 10");
    EXPECT_STREQ(Std140Sec5_3BItems()[9].psSpecialProcessing, "SingleHour- 628 1");
    EXPECT_STREQ(Find(Std140Sec5_3BItems(), "I204")->psSpecialProcessing, "SingleDayAvg- 430");
}

TEST(MappingTables, MultiplierIsTheFloatNearest0293)
{
    const GombrelData *item = Find(Std140Sec5_3BItems(), "Z146");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->fMultiplier, 0.293f);
    EXPECT_EQ(item->iNHRListID_Special, 6);
}

}  // namespace

namespace {

TEST(CountRecords, StopsAtTheFirstNullColumn)
{
    GombrelData table[4] = {kDefaultGombrelData, kDefaultGombrelData, kDefaultGombrelData, kDefaultGombrelData};
    table[0].psCol = "A";
    table[1].psCol = "B";
    table[1].iRow = 0;  // a row of 0 does not end the table
    table[2].iRow = 99; // a null column does, whatever else the record holds
    table[2].iAction = GOMBREL_ACTION_TEXT;
    table[3].psCol = "C";
    EXPECT_EQ(CountRecords(table), 2u);
    EXPECT_EQ(CountRecords(&table[2]), 0u);
}

}  // namespace
