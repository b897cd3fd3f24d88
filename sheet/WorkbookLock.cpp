#include "WorkbookLock.h"

#include "FilePath.h"

std::string LockFilePath(const std::string &strPath)
{
    const std::filesystem::path workbook = FilePath(strPath);
    return PathText(workbook.parent_path() / FilePath(".~lock." + PathText(workbook.filename()) + "#"));
}
