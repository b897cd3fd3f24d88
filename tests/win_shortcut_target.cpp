// win-shortcut-target LINK: what the shell opens for a shortcut (.lnk), as
// three lines: the target, the icon with its index, the working folder.
// For scripts/test-windows-package, which checks the installer's Start-menu
// entry; exit 1 when the file is not a shortcut the shell can load.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>

#include "WindowsText_win32.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: win-shortcut-target LINK\n", stderr);
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int iExit = 1;
    IShellLinkW *pLink = nullptr;
    IPersistFile *pFile = nullptr;
    wchar_t target[MAX_PATH] = L"", icon[MAX_PATH] = L"", folder[MAX_PATH] = L"";
    int iIcon = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void **>(&pLink))) &&
        SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&pFile))) &&
        SUCCEEDED(pFile->Load(WideFromUtf8(argv[1]).c_str(), STGM_READ)) &&
        SUCCEEDED(pLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(pLink->GetIconLocation(icon, MAX_PATH, &iIcon)) &&
        SUCCEEDED(pLink->GetWorkingDirectory(folder, MAX_PATH))) {
        std::printf("%s\n%s,%d\n%s\n", Utf8FromWide(target).c_str(), Utf8FromWide(icon).c_str(), iIcon,
                    Utf8FromWide(folder).c_str());
        iExit = 0;
    }
    if (pFile)
        pFile->Release();
    if (pLink)
        pLink->Release();
    CoUninitialize();
    return iExit;
}
