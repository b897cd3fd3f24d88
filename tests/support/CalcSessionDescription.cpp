#include "CalcSessionDescription.h"

#include <string>

#include "CalcModule.h"

bool DescribeCalcSession(Application &application, CalcSessionInfo &info)
{
    std::string failure;
    CalcModule *module = LoadedCalcModule(std::string(), failure);
    return module && module->Describe(application, info);
}
