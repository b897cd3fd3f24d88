#include "ResultsRun.h"

#include <filesystem>
#include <system_error>
#include <thread>

#include "D2ResultBinding.h"
#include "FilePath.h"
#include "FormatText.h"
#include "Paths.h"

bool FolderExists(const std::string &strPath)
{
    if (strPath.empty())
        return false;
    std::string name = strPath;
    if (name.back() != '\\' && name.back() != '/')
        name += '\\';
    name += '.';
    std::error_code error;
    return ReachesBelow(strPath) && std::filesystem::is_directory(FilePath(NativePath(name)), error);
}

std::string FolderCheckMessage(const std::string &strDoe2Path, const std::string &strResultsPath)
{
    if (!FolderExists(strDoe2Path))
        return "ERROR:  DOE-2 path doesn't exist:\n   " + strDoe2Path;
    if (!FolderExists(strResultsPath))
        return "ERROR:  Results path doesn't exist:\n   " + strResultsPath;
    return std::string();
}

std::string RunOutcomeMessage(int32_t iResult, double dSeconds, const std::string &strErrorText)
{
    if (iResult < 1) {
        if (!strErrorText.empty())
            return FormatText("Results not posted to XLS file(s):\n   %s", strErrorText.c_str());
        return FormatText("Results not posted to XLS file(s):\n   ProcessResults() returned %d", iResult);
    }
    std::string message;
    if (dSeconds > 5400)
        message = FormatText("%d results successfully posted to XLS file(s) (%.1f hours elapsed).", iResult,
                             dSeconds * (1.0 / 3600));
    else if (dSeconds > 90)
        message = FormatText("%d results successfully posted to XLS file(s) (%.1f minutes elapsed).", iResult,
                             dSeconds * (1.0 / 60));
    else
        message = FormatText("%d results successfully posted to XLS file(s) (%.1f seconds elapsed).", iResult,
                             dSeconds);
    if (!strErrorText.empty())
        message += "\n     " + strErrorText;
    return message;
}

std::chrono::nanoseconds SteadyStopwatch::Now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

ResultsJob ProcessResultsJob(RunServices &services)
{
    return [&services](std::string &strErrorText, const std::string &strDoe2Path, const std::string &strResultsPath,
                       int32_t iCheckFlag) {
        return ProcessResults(strErrorText, strDoe2Path, strResultsPath, iCheckFlag, services);
    };
}

ResultLibraryBinder BoundResultLibrary::Binder()
{
    return [this](const std::string &strDoe2Folder, std::string &strFailure) {
        return Bind(strDoe2Folder, strFailure);
    };
}

ResultLibrary *BoundResultLibrary::Bind(const std::string &strDoe2Folder, std::string &strFailure)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::unique_ptr<ResultLibrary> &library = m_libraries[strDoe2Folder];
    if (!library)
        library = BindResultLibrary(strDoe2Folder, strFailure);
    return library.get();
}

double TimeJob(Stopwatch &clock, const std::function<void()> &job)
{
    std::this_thread::yield();
    const std::chrono::nanoseconds t0 = clock.Now();
    const std::chrono::nanoseconds t1 = clock.Now();
    const std::chrono::nanoseconds overhead = t1 - t0;
    std::this_thread::yield();
    const std::chrono::nanoseconds start = clock.Now();
    job();
    const std::chrono::nanoseconds end = clock.Now();
    const long double elapsed = static_cast<long double>((end - overhead - start).count()) * 1e-9L;
    return static_cast<double>(elapsed);
}

RunCommandOutcome ExecuteRunCommand(const RunCommandRequest &request, const SettingsFile &settings,
                                    const ResultsJob &job, Stopwatch &clock, const std::function<void(bool)> &busy)
{
    RunCommandOutcome outcome;
    outcome.strMessage = FolderCheckMessage(request.strDoe2Path, request.strResultsPath);
    if (!outcome.strMessage.empty())
        return outcome;
    SaveRunSettings(settings, request.strDoe2Path, request.strResultsPath, request.bCheckPosted);
    std::string errorText;
    if (busy)
        busy(true);
    const double dSeconds = TimeJob(clock, [&] {
        outcome.iResult = job(errorText, request.strDoe2Path, request.strResultsPath, request.bCheckPosted ? 1 : 0);
    });
    if (busy)
        busy(false);
    outcome.bRan = true;
    outcome.strMessage = RunOutcomeMessage(outcome.iResult, dSeconds, errorText);
    return outcome;
}
