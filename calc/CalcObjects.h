// The object model of CalcWorkbooks.h on a Calc session.
#pragma once

#include <memory>

#include "CalcSession.h"

std::unique_ptr<Application> MakeCalcApplication(std::shared_ptr<CalcSession> session);

// The session behind an application made by MakeCalcApplication, or null.
std::shared_ptr<CalcSession> SessionOf(Application &application);
