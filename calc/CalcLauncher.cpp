#include <filesystem>
#include <mutex>

#include "CalcModule.h"
#include "DynamicLibrary.h"
#include "FailureReports.h"
#include "ProgramPath.h"

namespace {

// What must exist for Calc to run: the office program and Calc's own library.
const char *const kCalcFiles[] = {"soffice.bin", "libsclo.so"};

// Opens the UNO module from beside the program (the build tree) or, failing
// that, from the installed library folder; false with every place tried and
// its reason.
bool OpenCalcModule(DynamicLibrary &library, std::string &strFailure)
{
    const std::string fileName = SharedLibraryFileName(kCalcModuleStem);
    std::string places;
    for (const std::string &folder : {ExecutableFolder(), InstalledLibraryFolder()}) {
        const std::string path = folder + "/" + fileName;
        std::string reason;
        if (library.Open(path, reason))
            return true;
        places += (places.empty() ? "" : "; ") + LibraryFailureAt(path, reason);
    }
    strFailure = "tried " + places;
    return false;
}

// Loads the UNO runtime from the office's own folder, so that the module's
// UNO libraries are already there when it loads.  The installed module has
// no search path of its own (a Debian package may not), and the system's
// links to these libraries do not bring the office's private libraries they
// need.  A failure is left for the module's own loading to tell.
void LoadUnoRuntime(const std::string &strOfficeFolder)
{
    static DynamicLibrary *runtime = new DynamicLibrary;
    std::string ignored;
    if (!strOfficeFolder.empty())
        runtime->Open(strOfficeFolder + "/libuno_cppuhelpergcc3.so.3", ignored);
}

}  // namespace

// The UNO module, loaded once (with the UNO runtime of the office in
// strOfficeFolder) and never unloaded (UNO cannot be unloaded safely, not
// even at exit); null with strFailure set when it cannot be loaded.  What
// runs after the start passes no folder: the module is loaded by then.
// Sessions may be started from several threads at once, so loading is
// guarded.
CalcModule *LoadedCalcModule(const std::string &strOfficeFolder, std::string &strFailure)
{
    static std::mutex guard;
    static DynamicLibrary *library = new DynamicLibrary;
    static CalcModule *module = nullptr;
    std::lock_guard<std::mutex> lock(guard);
    if (module)
        return module;
    LoadUnoRuntime(strOfficeFolder);
    if (!OpenCalcModule(*library, strFailure))
        return nullptr;
    void *entry = library->Entry(GOMBREL_CALC_MODULE_ENTRY, strFailure);
    if (entry)
        module = reinterpret_cast<CalcModuleEntry>(entry)();
    return module;
}

namespace {

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
    CalcModule *module = LoadedCalcModule(std::string(), failure);
    if (!module)
        throw DispatchFailure(kApplicationErrorCode, "LibreOffice Calc support is not available: " + failure);
    return module;
}

}  // namespace

bool CalcLauncher::StartApplication(DispatchHolder<Application> &application, UserMessages &messages)
{
    std::string missing = MissingCalc(m_options.strProgramFolder);
    std::string failure;
    CalcModule *module = missing.empty() ? LoadedCalcModule(m_options.strProgramFolder, failure) : nullptr;
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

void CreateCalcWorkbook(Application &application, const std::string &strPath, const std::vector<WorkbookSheet> &sheets)
{
    ModuleOrThrow()->CreateWorkbook(application, strPath, sheets);
}
