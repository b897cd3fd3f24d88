// The settings of the open-file dialog behind a path field in file mode:
// titled "Browse for File", one filter for every file, an "OK" accept
// button, existing files only.  Its owner may turn on multiple selection.
#pragma once

#include <windows.h>

#include <commdlg.h>

class CFECFileDialog {
public:
    explicit CFECFileDialog(HWND hOwner);
    CFECFileDialog(const CFECFileDialog &) = delete;
    CFECFileDialog &operator=(const CFECFileDialog &) = delete;

    // Lets the user pick several files at once (off after construction).
    void SetAllowMultiSelect(bool bAllow);

    // True when several files may be picked.
    bool AllowsMultiSelect() const;

    // What GetOpenFileNameW is given; the file-name buffer is lent for each
    // browse, so lpstrFile stays null here.
    OPENFILENAMEW m_ofn;
};
