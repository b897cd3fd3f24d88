#include <filesystem>

#include "CalcModule.h"
#include "DynamicLibrary.h"
#include "FailureReports.h"
#include "ProgramPath.h"

namespace {

// What must exist for Calc to run: the office program and Calc's own library.
const char *const kCalcFiles[] = {"soffice.bin", "libsclo.so"};

// The UNO module beside the program, loaded once and never unloaded (UNO
// cannot be unloaded safely, not even at exit); null with strFailure set
// when it cannot be loaded.
CalcModule *LoadedCalcModule(std::string &strFailure)
{
    static DynamicLibrary *library = new DynamicLibrary;
    static CalcModule *module = nullptr;
    if (module)
        return module;
    const std::string path = ExecutableFolder() + "/" + SharedLibraryFileName(kCalcModuleStem);
    if (!library->Open(path, strFailure))
        return nullptr;
    void *entry = library->Entry(GOMBREL_CALC_MODULE_ENTRY, strFailure);
    if (entry)
        module = reinterpret_cast<CalcModuleEntry>(entry)();
    return module;
}

// Empty when Calc is installed in the program folder, else the second line
// of the not-installed message.
std::string MissingCalc(const std::string &strProgramFolder)
{
    for (const char *file : kCalcFiles) {
        const std::string path = strProgramFolder + "/" + file;
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            return "LibreOffice Calc was not found (no " + path +
                   "); install the Debian package libreoffice-calc-nogui.";
    }
    return std::string();
}

CalcModule *ModuleOrThrow()
{
    std::string failure;
    CalcModule *module = LoadedCalcModule(failure);
    if (!module)
        throw DispatchFailure(kApplicationErrorCode, "LibreOffice Calc support is not available: " + failure);
    return module;
}

}  // namespace

bool CalcLauncher::StartExcel(DispatchHolder<Application> &application, UserMessages &messages)
{
    std::string missing = MissingCalc(m_options.strProgramFolder);
    std::string failure;
    CalcModule *module = missing.empty() ? LoadedCalcModule(failure) : nullptr;
    if (missing.empty() && !module)
        missing = "The LibreOffice connection of this program could not be loaded: " + failure;
    if (!missing.empty()) {
        const FailureReport report = NotInstalledReport(missing);
        messages.ShowMessage(report.strCaption, report.strText);
        return false;
    }
    std::unique_ptr<Application> calc = module->Start(m_options, failure);
    if (!calc)
        return false;
    application.Attach(std::move(calc));
    return true;
}

bool DescribeCalcSession(Application &application, CalcSessionInfo &info)
{
    std::string failure;
    CalcModule *module = LoadedCalcModule(failure);
    return module && module->Describe(application, info);
}

void CreateCalcWorkbook(Application &application, const std::string &strPath, const std::vector<WorkbookSheet> &sheets)
{
    ModuleOrThrow()->CreateWorkbook(application, strPath, sheets);
}
