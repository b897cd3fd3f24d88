// Starting Excel for one results run: the registry says whether Excel is
// installed, then the application object is created by its ProgID.  Both
// steps can be replaced, so that tests run everything through a fake
// automation server of their own.
#pragma once

#include <functional>

#include "ExcelProcess.h"
#include "SpreadsheetSession.h"

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

// Each application it starts calls Excel within limits.  Any thread may
// start Excel and call it: each joins the multithreaded apartment at its
// first call (JoinComApartment), so that the early start's thread, a run's
// and each of several jobs' can hand an application on to one another.
class ExcelLauncher : public SpreadsheetLauncher {
public:
    explicit ExcelLauncher(ExcelStartSteps steps = ExcelStartSteps(), ExcelCallLimits limits = ExcelCallLimits())
        : m_steps(std::move(steps)), m_limits(limits)
    {
    }

    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override;

private:
    ExcelStartSteps m_steps;
    ExcelCallLimits m_limits;
};
