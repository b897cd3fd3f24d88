// Which way a dialog's data exchange runs: loading member values into the
// controls, or saving (and validating) the controls into the members.
#pragma once

struct CDataExchange {
    bool m_bSaveAndValidate = false;
};
