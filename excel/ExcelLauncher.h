// Starting Excel for one results run: the registry says whether Excel is
// installed, then the application object is created by its ProgID.  Both
// steps can be replaced, so that tests run everything through a fake
// automation server of their own.
#pragma once

#include <functional>

#include "ExcelSession.h"

struct IDispatch;

// True when HKEY_LOCAL_MACHINE has "Software\Classes\Excel.Application\CLSID"
// (opened with query access only).
bool ExcelIsRegistered();

// A new Excel application object ("Excel.Application", out of process), one
// reference for the caller; null when it cannot be created.
IDispatch *CreateExcelApplication();

struct ExcelStartSteps {
    std::function<bool()> isRegistered = ExcelIsRegistered;
    std::function<IDispatch *()> create = CreateExcelApplication;
};

// COM is initialised for the launcher's life, on the thread that makes it:
// the front end makes one on the program's thread before anything starts
// Excel, and every automation object is released before the launcher goes.
class ExcelLauncher : public SpreadsheetLauncher {
public:
    explicit ExcelLauncher(ExcelStartSteps steps = ExcelStartSteps());
    ExcelLauncher(const ExcelLauncher &) = delete;
    ExcelLauncher &operator=(const ExcelLauncher &) = delete;
    ~ExcelLauncher() override;

    bool StartExcel(DispatchHolder<Application> &application, UserMessages &messages) override;

private:
    ExcelStartSteps m_steps;
    bool m_bComInitialised;
};
