#include "D2ResultBinding.h"

#include "DynamicLibrary.h"
#include "Paths.h"
#include "ProgramPath.h"

namespace {

const char kLibraryStem[] = "d2result";

// The entries of one loaded library; the library stays loaded while the
// object lives, so the entry addresses stay valid.
class BoundResultLibrary : public ResultLibrary {
public:
    // Loads strPath and finds the three entries; false with the reason.
    bool Bind(const std::string &strPath, std::string &strFailure)
    {
        return m_library.Open(strPath, strFailure) &&
               Find("D2R_GetMultipleResult", m_pGetMultipleResult, strFailure) &&
               Find("D2R_GetMultipleHourlyResult", m_pGetMultipleHourlyResult, strFailure) &&
               Find("D2R_GetSingleHourlyResult", m_pGetSingleHourlyResult, strFailure);
    }

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests) override
    {
        return m_pGetMultipleResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount, iRequestCount,
                                    pRequests);
    }

    int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests) override
    {
        return m_pGetMultipleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount,
                                          iRequestCount, pRequests, 0, 0);
    }

    int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter) override
    {
        return m_pGetSingleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, iListId, iVariable, pfValues,
                                        iValueCount, pszReportKey, pFilter, 0);
    }

private:
    template <class Entry>
    bool Find(const char *pszName, Entry &pEntry, std::string &strFailure)
    {
        pEntry = reinterpret_cast<Entry>(m_library.Entry(pszName, strFailure));
        return pEntry != nullptr;
    }

    DynamicLibrary m_library;
    D2R_GetMultipleResult_fn m_pGetMultipleResult = nullptr;
    D2R_GetMultipleHourlyResult_fn m_pGetMultipleHourlyResult = nullptr;
    D2R_GetSingleHourlyResult_fn m_pGetSingleHourlyResult = nullptr;
};

}  // namespace

std::vector<std::string> ResultLibraryCandidates(const std::string &strDoe2Folder)
{
    const std::string fileName = SharedLibraryFileName(kLibraryStem);
    std::vector<std::string> candidates;
    if (!strDoe2Folder.empty())
        candidates.push_back(WithTrailingSeparator(NativePath(strDoe2Folder)) + fileName);
    std::string programFolder = ExecutableFolder();
    if (!programFolder.empty())
        candidates.push_back(WithTrailingSeparator(programFolder) + fileName);
    std::string installedFolder = InstalledLibraryFolder();
    if (!installedFolder.empty())
        candidates.push_back(WithTrailingSeparator(installedFolder) + fileName);
    return candidates;
}

std::unique_ptr<ResultLibrary> BindResultLibraryFrom(const std::vector<std::string> &candidates,
                                                     std::string &strFailure)
{
    std::string places;
    for (const std::string &candidate : candidates) {
        auto library = std::make_unique<BoundResultLibrary>();
        std::string reason;
        if (library->Bind(candidate, reason))
            return library;
        places += (places.empty() ? "" : "; ") + LibraryFailureAt(candidate, reason);
    }
    strFailure = "The DOE-2 result library " + SharedLibraryFileName(kLibraryStem) + " could not be bound: " +
                 (places.empty() ? std::string("no folder to look in") : "tried " + places);
    return nullptr;
}

std::unique_ptr<ResultLibrary> BindResultLibrary(const std::string &strDoe2Folder, std::string &strFailure)
{
    return BindResultLibraryFrom(ResultLibraryCandidates(strDoe2Folder), strFailure);
}
