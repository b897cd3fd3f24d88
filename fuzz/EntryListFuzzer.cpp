// The path field's text through the entry parsing.  The first byte chooses
// a single path or a multiple-file selection, the rest is the text.  A single
// path gives at most one entry, and every entry leads to an absolute path.
#include <cstdint>
#include <string>

#include "EntryList.h"
#include "FuzzSupport.h"

// One text of the path field, parsed and each entry made absolute.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    if (nSize == 0)
        return 0;
    const bool bMultipleFiles = pData[0] & 1;
    const std::string text(reinterpret_cast<const char *>(pData + 1), nSize - 1);
    const EntryList list = ParseEntryText(text, bMultipleFiles);
    if (!bMultipleFiles)
        FuzzCheck(list.entries.size() <= 1 && list.strEntryFolder.empty());
    for (const std::string &entry : list.entries) {
        const std::string path = AbsoluteEntryPath(list, entry);
        FuzzCheck(!path.empty() && path.front() == '/');
    }
    return 0;
}
