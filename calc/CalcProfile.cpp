#include "CalcProfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "ChildProcess.h"
#include "WorkbookLock.h"

namespace fs = std::filesystem;

namespace {

const char kSessionPrefix[] = "gombrel-calc-";
const char kSocketsFile[] = "sockets";
const char kDocumentsFile[] = "documents";

struct Setting {
    const char *pszPath;
    const char *pszName;
    const char *pszValue;
};

const Setting kSettings[] = {
    {"/org.openoffice.Setup/L10N", "ooLocale", "en-US"},
    {"/org.openoffice.Setup/L10N", "ooSetupSystemLocale", "en-US"},
    {"/org.openoffice.Setup/L10N", "ooSetupCurrency", "USD-en-US"},
    {"/org.openoffice.Office.Linguistic/General", "DefaultLocale", "en-US"},
    {"/org.openoffice.Office.Calc/Formula/Syntax", "Grammar", "0"},
    {"/org.openoffice.Office.Calc/Formula/Syntax", "EnglishFunctionName", "true"},
    {"/org.openoffice.Office.Recovery/AutoSave", "Enabled", "false"},
    {"/org.openoffice.Office.Recovery/RecoveryInfo", "Enabled", "false"},
    {"/org.openoffice.Office.Common/Security/Scripting", "MacroSecurityLevel", "3"},
    {"/org.openoffice.Office.Common/Misc", "FirstRun", "false"},
};

// The file's text; empty when it cannot be read.
std::string ReadWholeFile(const fs::path &path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The process id in a session folder's name, or 0 when it is not one.
int OwnerOfSessionFolder(const std::string &strName)
{
    if (strName.rfind(kSessionPrefix, 0) != 0)
        return 0;
    return std::atoi(strName.c_str() + sizeof kSessionPrefix - 1);
}

}  // namespace

std::string CalcProfileSettings()
{
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
    for (const Setting &setting : kSettings)
        text += std::string("<item oor:path=\"") + setting.pszPath + "\"><prop oor:name=\"" + setting.pszName +
                "\" oor:op=\"fuse\"><value>" + setting.pszValue + "</value></prop></item>\n";
    return text + "</oor:items>\n";
}

std::string SessionParentFolder(const std::string &strTempFolder)
{
    if (!strTempFolder.empty())
        return strTempFolder;
    const char *tmpdir = std::getenv("TMPDIR");
    return tmpdir && *tmpdir ? tmpdir : "/tmp";
}

bool MakeSessionFolder(const std::string &strParent, std::string &strFolder, std::string &strFailure)
{
    std::string pattern = (fs::path(strParent) / (kSessionPrefix + std::to_string(CurrentProcessId()) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        strFailure = "cannot create a folder in " + strParent + ": " + std::strerror(errno);
        return false;
    }
    strFolder = pattern;
    std::error_code error;
    fs::create_directories(fs::path(strFolder) / "user", error);
    fs::create_directories(SessionTempFolder(strFolder), error);
    std::ofstream settings(fs::path(strFolder) / "user" / "registrymodifications.xcu");
    settings << CalcProfileSettings();
    settings.close();
    if (error || !settings) {
        strFailure = "cannot write the Calc profile in " + strFolder;
        RemoveSession(strFolder);
        return false;
    }
    return true;
}

std::string ProfileUrl(const std::string &strFolder) { return "file://" + strFolder; }

std::string SessionTempFolder(const std::string &strFolder) { return (fs::path(strFolder) / "tmp").string(); }

void RecordSessionSockets(const std::string &strFolder, const std::vector<std::string> &socketPaths)
{
    std::ofstream file(fs::path(strFolder) / kSocketsFile);
    for (const std::string &path : socketPaths)
        file << path << '\n';
}

void RecordSessionDocument(const std::string &strFolder, const std::string &strPath)
{
    std::ofstream(fs::path(strFolder) / kDocumentsFile, std::ios::app) << strPath << '\n';
}

void RemoveSession(const std::string &strFolder)
{
    std::ifstream sockets(fs::path(strFolder) / kSocketsFile);
    std::error_code ignored;
    for (std::string path; std::getline(sockets, path);)
        if (!path.empty() && fs::is_socket(path, ignored))
            fs::remove(path, ignored);
    std::ifstream documents(fs::path(strFolder) / kDocumentsFile);
    for (std::string path; std::getline(documents, path);)
        if (!path.empty())
            RemoveSessionLock(strFolder, path);
    fs::remove_all(strFolder, ignored);
}

void SweepStaleSessions(const std::string &strParent)
{
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(strParent, error)) {
        const int owner = OwnerOfSessionFolder(entry.path().filename().string());
        std::error_code typeError;
        if (owner > 0 && !ProcessExists(owner) && entry.is_directory(typeError))
            RemoveSession(entry.path().string());
    }
}

void RemoveSessionLock(const std::string &strFolder, const std::string &strPath)
{
    const std::string lock = LockFilePath(strPath);
    std::error_code ignored;
    if (fs::exists(lock, ignored) && ReadWholeFile(lock).find(strFolder) != std::string::npos)
        fs::remove(lock, ignored);
}

bool FolderTakesNewFiles(const std::string &strFolder)
{
    std::string path = (fs::path(strFolder) / ".~gombrel-write-test-XXXXXX").string();
    const int fd = mkstemp(path.data());
    if (fd < 0)
        return false;
    close(fd);
    std::error_code ignored;
    fs::remove(path, ignored);
    return true;
}
