// calc-floor-bench DIR: the least a results run over the results folder DIR
// can cost on LibreOffice Calc: start it, open and save each of the four
// workbooks without touching a cell, quit.  Prints the same timings line as
// `gombrel-cli run --timings`, so that the two can be set side by side.
#include <iostream>
#include <string>

#include "CalcWorkbooks.h"
#include "MappingTables.h"
#include "Paths.h"
#include "RunTimings.h"

namespace {

// Whatever Calc would show in a box goes to standard error.
class ErrorStreamMessages : public UserMessages {
public:
    void ShowMessage(const std::string &strCaption, const std::string &strText) override
    {
        std::cerr << strCaption << ": " << strText << std::endl;
    }
    bool AskRetry(const std::string &strCaption, const std::string &strText) override
    {
        ShowMessage(strCaption, strText);
        return false;
    }
};

// Opens and saves every workbook of the run, in the run's order; they stay
// open until the application quits, as in a run.
void OpenAndSaveWorkbooks(Application &application, const std::string &strFolder)
{
    for (const MappingTable &table : g_aMappingTables) {
        DispatchHolder<Workbooks> workbooks;
        workbooks.Attach(application.GetWorkbooks());
        DispatchHolder<Workbook> workbook;
        workbook.Attach(workbooks->Open(PathBelow(strFolder, table.pszWorkbookFile)));
        workbook->Save();
    }
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: calc-floor-bench DIR\n";
        return 2;
    }
    SteadyStopwatch clock;
    RunTimings timings(clock);
    CalcLauncher calc;
    TimedLauncher launcher(calc, timings);
    ErrorStreamMessages messages;
    DispatchHolder<Application> application;
    if (!launcher.StartApplication(application, messages)) {
        std::cerr << "calc-floor-bench: LibreOffice Calc did not start\n";
        return 1;
    }
    int status = 0;
    try {
        OpenAndSaveWorkbooks(*application, argv[1]);
    } catch (const AutomationFailure &failure) {
        std::cerr << "calc-floor-bench: " << failure.what() << "\n";
        status = 1;
    }
    EndApplication(application);
    timings.Enter(RunPhase::Other);
    std::cout << timings.Report() << std::endl;
    return status;
}
