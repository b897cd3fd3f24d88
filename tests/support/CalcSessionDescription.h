// What a Calc session started by the program's launcher consists of, asked
// of the UNO module that started it: the tests check that nothing of it is
// left behind.
#pragma once

#include "CalcWorkbooks.h"

// Fills info for an application that CalcLauncher started; false for any
// other application.
bool DescribeCalcSession(Application &application, CalcSessionInfo &info);
