#include "FECFileDialog.h"

namespace {

// The filter reads "All Files (*.*)" as on every system, but its pattern is
// "*": "*.*" would grey out every file without an extension here.  The last
// bracketed group is the pattern, and hiding the filter details shows the
// rest as the filter's name.
const char kAllFilesFilter[] = "All Files (*.*) (*)";

} // namespace

CFECFileDialog::CFECFileDialog(QWidget *pParent)
    : QFileDialog(pParent)
{
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    setNameFilter(kAllFilesFilter);
    setLabelText(QFileDialog::Accept, "OK");
    setWindowTitle("Browse for File");
}

void CFECFileDialog::SetAllowMultiSelect(bool bAllow)
{
    setFileMode(bAllow ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
}

bool CFECFileDialog::AllowsMultiSelect() const
{
    return fileMode() == QFileDialog::ExistingFiles;
}
