#include "UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <vector>

namespace {

// The variable's value when it is an absolute path; relative ones are to be
// ignored, as the XDG base directory rules say.
std::string AbsoluteVariable(const char *pszName)
{
    const char *pszValue = std::getenv(pszName);
    return pszValue && pszValue[0] == '/' ? std::string(pszValue) : std::string();
}

// The account's home folder from the user database, for a process started
// without HOME (a service, sudo -i, an empty environment).
std::string AccountHome()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd *pFound = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &pFound) != 0 || !pFound || !entry.pw_dir)
        return std::string();
    return entry.pw_dir[0] == '/' ? std::string(entry.pw_dir) : std::string();
}

std::string WithoutTrailingSlashes(std::string strPath)
{
    while (strPath.size() > 1 && strPath.back() == '/')
        strPath.pop_back();
    return strPath;
}

}  // namespace

std::string UserConfigFolder()
{
    std::string folder = AbsoluteVariable("XDG_CONFIG_HOME");
    if (!folder.empty())
        return WithoutTrailingSlashes(folder);
    std::string home = AbsoluteVariable("HOME");
    if (home.empty())
        home = AccountHome();
    if (home.empty())
        return std::string();
    home = WithoutTrailingSlashes(home);
    return (home == "/" ? "" : home) + "/.config";
}

std::string ProgramConfigFolderName(const std::string &strProgram)
{
    std::string name = strProgram;
    for (char &c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

std::string UserConfigPlace(const std::string &strName)
{
    return "$XDG_CONFIG_HOME/" + strName + " (default ~/.config/" + strName + ")";
}
