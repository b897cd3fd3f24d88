#include "DialogMessages.h"

#include "ModalRunner.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace {

// Runs box modally with the ordinary arrow pointer, even in the middle of a
// run that shows the wait cursor, so the user sees the box expects an answer.
int RunWithArrowCursor(QMessageBox &box)
{
    bool bBusy = QApplication::overrideCursor() != nullptr;
    if (bBusy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    int nAnswer = box.exec();
    if (bBusy)
        QApplication::restoreOverrideCursor();
    return nAnswer;
}

class ExecModalRunner : public ModalRunner {
public:
    int RunModal(QDialog &dialog) override { return dialog.exec(); }
};

} // namespace

ModalRunner &DefaultModalRunner()
{
    static ExecModalRunner runner;
    return runner;
}

void DialogMessages::ShowMessage(const std::string &strCaption, const std::string &strText)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(strCaption), QString::fromStdString(strText),
                    QMessageBox::Ok, m_pOwner);
    RunWithArrowCursor(box);
}

bool DialogMessages::AskRetry(const std::string &strCaption, const std::string &strText)
{
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(strCaption), QString::fromStdString(strText),
                    QMessageBox::Retry | QMessageBox::Cancel, m_pOwner);
    return RunWithArrowCursor(box) == QMessageBox::Retry;
}
