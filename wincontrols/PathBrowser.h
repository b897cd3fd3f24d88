// The two modal browsers a path field opens.  The program uses the shell's
// folder browser and the common open-file dialog; tests put in their own
// answers, so no modal window ever opens.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

class CFECFileDialog;

class PathBrowser {
public:
    virtual ~PathBrowser() = default;

    // The folder the user chose in a folder browser with a field's settings
    // (its owner among them) that opens on strStartPath (nothing preselected
    // when empty); none when the user cancelled.
    virtual std::optional<std::string> BrowseForFolder(const BROWSEINFOW &settings,
                                                       const std::string &strStartPath) = 0;

    // The full paths of the files the user chose in dialog, owned by hOwner
    // and opening on strStartPath (nothing preselected when empty); empty
    // when cancelled.
    virtual std::vector<std::string> BrowseForFiles(CFECFileDialog &dialog, HWND hOwner,
                                                    const std::string &strStartPath) = 0;
};

// The browsers every path field uses unless it is given others.
PathBrowser &DefaultPathBrowser();
