#include "PathBrowser.h"

#include "FECFileDialog.h"
#include "WindowsText_win32.h"

#include <algorithm>

namespace {

// Room for the many names of a multiple selection, and at least for the
// start path.
const std::size_t kFileNameBufferChars = 32768;

// Preselects the start path (lpData, wide) once the browser is up.
int CALLBACK SelectStartFolder(HWND hBrowser, UINT uMessage, LPARAM, LPARAM lpData)
{
    if (uMessage == BFFM_INITIALIZED)
        SendMessageW(hBrowser, BFFM_SETSELECTIONW, TRUE, lpData);
    return 0;
}

// The file-system path of a shell item; none for a virtual one.
std::optional<std::string> PathOfItem(PCIDLIST_ABSOLUTE pItem)
{
    wchar_t szPath[MAX_PATH] = L"";
    if (!SHGetPathFromIDListW(pItem, szPath))
        return std::nullopt;
    return Utf8FromWide(szPath);
}

// The names the dialog left in its buffer: one full path, or with a
// multiple selection the folder followed by each file name, each ended by a
// null character and the list by a second one.
std::vector<std::string> ChosenFiles(const std::wstring &strBuffer)
{
    std::vector<std::wstring> parts;
    for (std::size_t nStart = 0; nStart < strBuffer.size() && strBuffer[nStart] != L'\0';) {
        std::size_t nEnd = std::min(strBuffer.find(L'\0', nStart), strBuffer.size());
        parts.push_back(strBuffer.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }
    if (parts.size() <= 1)
        return parts.empty() ? std::vector<std::string>() : std::vector<std::string>{Utf8FromWide(parts.front())};
    std::wstring strFolder = parts.front();
    if (strFolder.back() != L'\\')
        strFolder += L'\\';
    std::vector<std::string> files;
    for (std::size_t i = 1; i < parts.size(); ++i)
        files.push_back(Utf8FromWide(strFolder + parts[i]));
    return files;
}

// Wide calls throughout, so that folder and file names outside the ANSI code
// page come through.  The settings given stay as they are: what a browse
// needs and they lack is lent to a copy.
class ShellPathBrowser : public PathBrowser {
public:
    std::optional<std::string> BrowseForFolder(const BROWSEINFOW &settings, const std::string &strStartPath) override
    {
        BROWSEINFOW browse = settings;
        wchar_t szDisplayName[MAX_PATH] = L"";
        if (browse.pszDisplayName == nullptr)
            browse.pszDisplayName = szDisplayName;
        std::wstring strStart = WideFromUtf8(strStartPath);
        if (browse.lpfn == nullptr) {
            browse.lParam = reinterpret_cast<LPARAM>(strStart.c_str());
            browse.lpfn = SelectStartFolder;
        }
        PIDLIST_ABSOLUTE pItem = SHBrowseForFolderW(&browse);
        if (pItem == nullptr)
            return std::nullopt;
        std::optional<std::string> folder = PathOfItem(pItem);
        CoTaskMemFree(pItem);
        return folder;
    }

    std::vector<std::string> BrowseForFiles(CFECFileDialog &dialog, HWND hOwner,
                                            const std::string &strStartPath) override
    {
        std::wstring strBuffer = WideFromUtf8(strStartPath);
        strBuffer.resize(std::max(kFileNameBufferChars, strBuffer.size() + 1), L'\0');
        OPENFILENAMEW browse = dialog.m_ofn;
        browse.hwndOwner = hOwner;
        browse.lpstrFile = strBuffer.data();
        browse.nMaxFile = static_cast<DWORD>(strBuffer.size());
        if (!GetOpenFileNameW(&browse))
            return {};
        return ChosenFiles(strBuffer);
    }
};

} // namespace

PathBrowser &DefaultPathBrowser()
{
    static ShellPathBrowser browser;
    return browser;
}
