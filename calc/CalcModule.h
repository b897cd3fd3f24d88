// The entry of the UNO module that the Calc launcher loads at run time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CalcWorkbooks.h"

class CalcModule {
public:
    virtual ~CalcModule() = default;
    // A connected session's application, or null with strFailure set.
    virtual std::unique_ptr<Application> Start(const CalcOptions &options, std::string &strFailure) = 0;
    virtual bool Describe(Application &application, CalcSessionInfo &info) = 0;
    virtual void CreateWorkbook(Application &application, const std::string &strPath,
                                const std::vector<WorkbookSheet> &sheets) = 0;
};

// Name of the module's entry: extern "C" CalcModule *GombrelCalcModule().
#define GOMBREL_CALC_MODULE_ENTRY "GombrelCalcModule"
using CalcModuleEntry = CalcModule *(*)();

// File stem of the module, found beside the program.
constexpr const char kCalcModuleStem[] = "gombrel_calc";
