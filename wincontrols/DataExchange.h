// Which dialog a data exchange serves and which way it runs: loading member
// values into the controls, or saving (and validating) the controls into the
// members.
#pragma once

#include <windows.h>

struct CDataExchange {
    HWND m_hDialog = nullptr;
    bool m_bSaveAndValidate = false;
};
