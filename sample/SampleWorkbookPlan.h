// What each of the four Standard 140 results workbooks of a sample results
// folder holds: the worksheets the mapping tables select and a few labels
// that say what they are.
#pragma once

#include <string>
#include <vector>

#include "CalcWorkbooks.h"

struct SampleWorkbook {
    std::string strFileName;  // "Std140Sec5-2.xls"
    std::vector<WorkbookSheet> sheets;
};

// What each sample workbook holds, in the order of a results run: the sheets
// in the order their tables first select them, each labelled in the first
// cells of column A that no record of that sheet uses.
std::vector<SampleWorkbook> SampleWorkbookPlan();

// The same workbooks at the size of the real ones: behind the sheets a run
// posts into, 65 more sheets (69 in all) with 60,030 formulas, each on a
// cell a run posts a number into, and 50 charts over runs of those cells;
// some posted cells carry notes and every fourth formula sheet is
// protected.
std::vector<SampleWorkbook> LargeSampleWorkbookPlan();
