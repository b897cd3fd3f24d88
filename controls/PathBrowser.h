// The two modal browsers a path field opens.  The program uses the Qt
// dialogs; tests put in their own answers, so no modal window ever opens.
#pragma once

#include <optional>
#include <string>
#include <vector>

class QWidget;
class CFECFileDialog;

class PathBrowser {
public:
    virtual ~PathBrowser() = default;

    // The folder the user chose in a folder browser owned by pOwner that
    // opens on strStartPath (nothing preselected when empty); none when the
    // user cancelled.
    virtual std::optional<std::string> BrowseForFolder(QWidget *pOwner, const std::string &strStartPath) = 0;

    // The full paths of the files the user chose in dialog, which opens on
    // strStartPath (nothing preselected when empty); empty when cancelled.
    virtual std::vector<std::string> BrowseForFiles(CFECFileDialog &dialog, const std::string &strStartPath) = 0;
};

// The browsers every path field uses unless it is given others.
PathBrowser &DefaultPathBrowser();
