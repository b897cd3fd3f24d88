#include "FECFileDialog.h"

namespace {

// One filter, every file; the literal's own terminator ends the list.
const wchar_t kAllFilesFilter[] = L"All Files (*.*)\0*.*\0";
const wchar_t kTitle[] = L"Browse for File";
const wchar_t kAcceptText[] = L"OK";

// The accept button says "OK" rather than "Open", in either dialog style:
// the explorer style asks the dialog (the hook's parent) once it is set up,
// the old style is the hook's own dialog.
UINT_PTR CALLBACK AcceptButtonHook(HWND hHookDialog, UINT uMessage, WPARAM, LPARAM lParam)
{
    if (uMessage == WM_NOTIFY && reinterpret_cast<const NMHDR *>(lParam)->code == CDN_INITDONE) {
        SendMessageW(GetParent(hHookDialog), CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(kAcceptText));
    } else if (uMessage == WM_INITDIALOG) {
        const auto *pSettings = reinterpret_cast<const OPENFILENAMEW *>(lParam);
        if ((pSettings->Flags & OFN_EXPLORER) == 0)
            SetDlgItemTextW(hHookDialog, IDOK, kAcceptText);
    }
    return 0;
}

} // namespace

CFECFileDialog::CFECFileDialog(HWND hOwner)
    : m_ofn()
{
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = hOwner;
    m_ofn.lpstrFilter = kAllFilesFilter;
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrTitle = kTitle;
    m_ofn.Flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = AcceptButtonHook;
}

void CFECFileDialog::SetAllowMultiSelect(bool bAllow)
{
    if (bAllow)
        m_ofn.Flags |= OFN_ALLOWMULTISELECT;
    else
        m_ofn.Flags &= ~static_cast<DWORD>(OFN_ALLOWMULTISELECT);
}

bool CFECFileDialog::AllowsMultiSelect() const
{
    return (m_ofn.Flags & OFN_ALLOWMULTISELECT) != 0;
}
