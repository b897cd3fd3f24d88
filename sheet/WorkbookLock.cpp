#include "WorkbookLock.h"

#include <filesystem>

std::string LockFilePath(const std::string &strPath)
{
    const std::filesystem::path workbook(strPath);
    return (workbook.parent_path() / (".~lock." + workbook.filename().string() + "#")).string();
}
