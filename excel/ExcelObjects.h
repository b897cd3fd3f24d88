// Excel's object model behind the automation interface of the posting pass:
// one thin wrapper per member the program uses, each a late-bound
// IDispatch::Invoke by the member's DISPID.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <memory>

#include "Automation.h"

// The application object for pApplication, whose reference it takes over.
std::unique_ptr<Application> MakeExcelApplication(IDispatch *pApplication);
