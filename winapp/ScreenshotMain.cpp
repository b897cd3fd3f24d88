// gombrel-screenshot DIALOG.png ABOUT.png: draws the main dialog with two
// sample folders, then the About box, each with its caption and frame as the
// screen shows them, and writes them as PNG pictures for the documentation
// (scripts/screenshot-windows).  Uses a settings file of its own in a
// temporary folder, never the program's.
#include <windows.h>

#include <gdiplus.h>
#include <shellapi.h>

#include "AboutDlg.h"
#include "MainDlg.h"
#include "Settings.h"
#include "TemporaryFolder.h"
#include "WindowsText_win32.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

// GDI+'s PNG encoder.
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

bool Fail(const std::string &strText)
{
    std::fprintf(stderr, "gombrel-screenshot: %s\n", strText.c_str());
    return false;
}

// A job that is never run: the pictures show the dialog before any run.
ResultsJob NoJob(UserMessages &, RunProgress &)
{
    return [](std::string &, const std::string &, const std::string &, int32_t) { return 0; };
}

// A settings file in a fresh temporary folder, removed with this object, so
// that the picture shows the same folders wherever it is made.
class ScratchSettings {
public:
    ScratchSettings() : m_strFolder(MakeTemporaryFolder("gombrel-screenshot-", m_strFailure)) {}
    ScratchSettings(const ScratchSettings &) = delete;
    ScratchSettings &operator=(const ScratchSettings &) = delete;
    ~ScratchSettings()
    {
        std::error_code error;  // a folder left behind is no reason to fail
        if (!m_strFolder.empty())
            std::filesystem::remove_all(std::filesystem::path(WideFromUtf8(m_strFolder)), error);
    }

    bool IsMade() const { return !m_strFolder.empty(); }
    const std::string &Failure() const { return m_strFailure; }

    // The sample folders, the confirm box ticked (the default).
    SettingsFile Write() const
    {
        const SettingsFile settings(m_strFolder + "\\" + kSettingsFileName);
        SaveRunSettings(settings, "C:\\DOE-2\\", "C:\\Std140 Results", true);
        return settings;
    }

private:
    std::string m_strFailure;
    std::string m_strFolder;
};

// Draws the window now, frame and children included, and dispatches what the
// drawing left waiting (the path fields draw their browse buttons on
// messages of their own), so that the screen holds the finished window.
void DrawNow(HWND hWnd)
{
    SetForegroundWindow(hWnd);  // an active caption, as a user sees it
    // Under Wine the main dialog, though the foreground window, kept its
    // caption drawn as inactive: it is drawn again for the state the system
    // reports.
    SendMessageW(hWnd, WM_NCACTIVATE, GetForegroundWindow() == hWnd, 0);
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageW(hWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    GdiFlush();
}

// The window's rectangle copied from the screen: the caption and frame are
// drawn there by the system (by Wine in its virtual desktop), which a window's
// own painting into a bitmap would leave out.
HBITMAP CaptureWindow(HWND hWnd)
{
    RECT rcWindow;
    if (!GetWindowRect(hWnd, &rcWindow))
        return nullptr;
    const int nWidth = rcWindow.right - rcWindow.left;
    const int nHeight = rcWindow.bottom - rcWindow.top;
    HDC hScreen = GetDC(nullptr);
    HDC hMemory = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, nWidth, nHeight);
    const HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    const BOOL bCopied = BitBlt(hMemory, 0, 0, nWidth, nHeight, hScreen, rcWindow.left, rcWindow.top, SRCCOPY);
    SelectObject(hMemory, hOld);
    DeleteDC(hMemory);
    ReleaseDC(nullptr, hScreen);
    if (!bCopied) {
        DeleteObject(hBitmap);
        return nullptr;
    }
    return hBitmap;
}

bool SavePng(HBITMAP hBitmap, const std::wstring &strPath)
{
    Gdiplus::GpBitmap *pImage = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(hBitmap, nullptr, &pImage) != Gdiplus::Ok)
        return false;
    const bool bSaved =
        Gdiplus::DllExports::GdipSaveImageToFile(pImage, strPath.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(pImage);
    return bSaved;
}

bool DrawAndSave(HWND hWnd, const std::wstring &strPath)
{
    const std::string strName = Utf8FromWide(strPath);
    if (hWnd == nullptr)
        return Fail("cannot create the window for " + strName + ": " + SystemErrorText(GetLastError()));
    DrawNow(hWnd);
    HBITMAP hBitmap = CaptureWindow(hWnd);
    if (hBitmap == nullptr)
        return Fail("cannot copy the window from the screen for " + strName);
    const bool bSaved = SavePng(hBitmap, strPath);
    DeleteObject(hBitmap);
    return bSaved || Fail("cannot write " + strName);
}

bool DrawBoth(const SettingsFile &settings, const std::wstring &strDialogPath, const std::wstring &strAboutPath)
{
    MainDlgServices services;
    services.makeResultsJob = NoJob;
    services.settings = settings;
    CMainDlg dialog(nullptr, services);
    if (!DrawAndSave(dialog.Create(), strDialogPath))
        return false;
    CAboutDlg about(dialog.GetSafeHwnd());
    return DrawAndSave(about.Create(), strAboutPath);
}

// GDI+ started for the life of this object.
class GdiplusSession {
public:
    GdiplusSession()
    {
        const Gdiplus::GdiplusStartupInput input;
        m_bStarted = Gdiplus::GdiplusStartup(&m_uToken, &input, nullptr) == Gdiplus::Ok;
    }
    GdiplusSession(const GdiplusSession &) = delete;
    GdiplusSession &operator=(const GdiplusSession &) = delete;
    ~GdiplusSession()
    {
        if (m_bStarted)
            Gdiplus::GdiplusShutdown(m_uToken);
    }

    bool IsStarted() const { return m_bStarted; }

private:
    ULONG_PTR m_uToken = 0;
    bool m_bStarted = false;
};

bool Run(const std::wstring &strDialogPath, const std::wstring &strAboutPath)
{
    const GdiplusSession gdiplus;
    if (!gdiplus.IsStarted())
        return Fail("cannot start GDI+");
    const ScratchSettings scratch;
    if (!scratch.IsMade())
        return Fail("cannot make a temporary folder: " + scratch.Failure());
    return DrawBoth(scratch.Write(), strDialogPath, strAboutPath);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Wide arguments: an output path may lie outside the system's code page.
    int nArgs = 0;
    LPWSTR *ppszArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (ppszArgs == nullptr || nArgs != 3) {
        std::fprintf(stderr, "usage: gombrel-screenshot DIALOG.png ABOUT.png\n");
        LocalFree(ppszArgs);
        return 2;
    }
    const bool bDone = Run(ppszArgs[1], ppszArgs[2]);
    LocalFree(ppszArgs);
    return bDone ? 0 : 1;
}
