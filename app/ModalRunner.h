// Runs a dialog modally.  The program runs it for real; tests put in a runner
// that only records which dialog would have opened, so no modal window
// appears.
#pragma once

class QDialog;

class ModalRunner {
public:
    virtual ~ModalRunner() = default;

    // Shows dialog modally and returns how it ended (QDialog::DialogCode).
    virtual int RunModal(QDialog &dialog) = 0;
};

// The runner that calls the dialog's own modal loop.
ModalRunner &DefaultModalRunner();
