// The open-file dialog behind a path field in file mode: titled "Browse for
// File", one filter for every file, an "OK" accept button, existing files
// only.  Its owner may turn on multiple selection.
#pragma once

#include <QFileDialog>

class CFECFileDialog : public QFileDialog {
public:
    explicit CFECFileDialog(QWidget *pParent);

    // Lets the user pick several files at once (off after construction).
    void SetAllowMultiSelect(bool bAllow);

    // True when several files may be picked.
    bool AllowsMultiSelect() const;
};
