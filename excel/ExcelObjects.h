// Excel's object model behind the automation interface of the posting pass:
// one thin wrapper per member the program uses, each a late-bound
// IDispatch::Invoke by the member's DISPID.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <memory>

#include "Automation.h"
#include "ExcelProcess.h"

// The application object for pApplication, whose reference it takes over,
// calling into process (none: an unknown process with the default limits).
std::unique_ptr<Application> MakeExcelApplication(IDispatch *pApplication,
                                                  std::shared_ptr<ExcelProcess> process = nullptr);

// Excel's main window (Application.Hwnd, a 32-bit handle as window handles
// are on every Windows); null when Excel does not tell it.
HWND ExcelMainWindow(IDispatch &application, ExcelProcess &process);
