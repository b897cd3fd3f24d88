#include "PathBrowser.h"

#include "FECFileDialog.h"

#include <QFileDialog>

namespace {

class QtPathBrowser : public PathBrowser {
public:
    std::optional<std::string> BrowseForFolder(QWidget *pOwner, const std::string &strStartPath) override
    {
        QString folder = QFileDialog::getExistingDirectory(pOwner, QString(), QString::fromStdString(strStartPath),
                                                           QFileDialog::ShowDirsOnly);
        if (folder.isEmpty())
            return std::nullopt;
        return folder.toStdString();
    }

    std::vector<std::string> BrowseForFiles(CFECFileDialog &dialog, const std::string &strStartPath) override
    {
        if (!strStartPath.empty())
            dialog.selectFile(QString::fromStdString(strStartPath));
        std::vector<std::string> files;
        if (dialog.exec() != QDialog::Accepted)
            return files;
        for (const QString &file : dialog.selectedFiles())
            files.push_back(file.toStdString());
        return files;
    }
};

} // namespace

PathBrowser &DefaultPathBrowser()
{
    static QtPathBrowser browser;
    return browser;
}
