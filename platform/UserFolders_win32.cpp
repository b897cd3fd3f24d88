#include "UserFolders.h"

#include "WindowsText_win32.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

// The roaming application data folder of the user's profile, asked of the
// shell: %APPDATA% names the same folder, but a process may have been
// started without it or with another value.
std::string UserConfigFolder()
{
    PWSTR pszFolder = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &pszFolder)) && pszFolder)
        folder = Utf8FromWide(pszFolder);
    CoTaskMemFree(pszFolder);
    return folder;
}

// Windows shows a program's own folders under the name it goes by.
std::string ProgramConfigFolderName(const std::string &strProgram) { return strProgram; }

std::string UserConfigPlace(const std::string &strName)
{
    std::string place = "%APPDATA%\\" + strName;
    for (char &c : place)
        if (c == '/')
            c = '\\';
    return place;
}
