#include "SessionCleanup.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

#include "ChildProcess.h"
#include "ProgramPath.h"

const char kCleanupProgram[] = "gombrel-calc-cleanup";

namespace {

// The helper beside the program (the build tree), else the installed one;
// empty when neither is there.
std::string CleanupProgramPath()
{
    for (const std::string &folder : {ExecutableFolder(), InstalledLibraryFolder()}) {
        const std::string path = folder + "/" + kCleanupProgram;
        if (!folder.empty() && access(path.c_str(), X_OK) == 0)
            return path;
    }
    return std::string();
}

}  // namespace

void SessionCleanup::Start(const std::string &strFolder)
{
    const std::string program = CleanupProgramPath();
    int ends[2];
    if (program.empty() || pipe2(ends, O_CLOEXEC) != 0)
        return;
    std::string ignored;
    m_iHelper = StartUntiedChild({program, {strFolder}, {}, ""}, ends[0], ignored);
    close(ends[0]);
    if (m_iHelper > 0)
        m_iPipe = ends[1];
    else
        close(ends[1]);
}

void SessionCleanup::NoteCalc(int iProcessId)
{
    if (m_iPipe < 0)
        return;
    const std::string line = std::to_string(iProcessId) + "\n";
    if (write(m_iPipe, line.data(), line.size()) < 0) {
        // A helper that has gone leaves the files to the next sweep.
    }
}

void SessionCleanup::Stop()
{
    if (m_iPipe < 0)
        return;
    close(m_iPipe);
    m_iPipe = -1;
    int exitCode = 0;
    if (!WaitForChild(m_iHelper, std::chrono::seconds(10), exitCode)) {
        KillChild(m_iHelper);
        WaitForChild(m_iHelper, std::chrono::seconds(10), exitCode);
    }
    m_iHelper = -1;
}
