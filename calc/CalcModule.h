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

// The UNO module, loaded once (with the UNO runtime of the office in
// strOfficeFolder, which only the first call needs) and never unloaded;
// null with strFailure set when it cannot be loaded.
CalcModule *LoadedCalcModule(const std::string &strOfficeFolder, std::string &strFailure);
