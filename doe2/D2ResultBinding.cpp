#include "D2ResultBinding.h"

#include <cstddef>
#include <type_traits>

#include "CallingConvention.h"
#include "DynamicLibrary.h"
#include "Paths.h"
#include "ProgramPath.h"

namespace {

const char kLibraryStem[] = "d2result";

// The bytes one argument takes on a 32-bit x86 stack, where stdcall
// decoration comes from: pointers and 32-bit integers take 4.  The decorated
// names are thus the same whichever target looks them up.
template <class Argument>
constexpr size_t X86ArgumentBytes()
{
    return std::is_pointer<Argument>::value ? 4 : (sizeof(Argument) + 3) / 4 * 4;
}

template <class Entry>
class LibraryEntry;

// One entry of the library as its maker may have exported it: under its
// plain name with the C convention, or under the stdcall-decorated name
// ("_NAME@BYTES") with the stdcall one.  Called through the pointer type of
// the convention it was found with.
template <class Result, class... Arguments>
class LibraryEntry<Result (*)(Arguments...)> {
public:
    bool Find(const DynamicLibrary &library, const char *pszName, std::string &strFailure)
    {
        m_pCdecl = reinterpret_cast<Cdecl>(library.Entry(pszName, strFailure));
        if (m_pCdecl)
            return true;
        const std::string decorated = DecoratedName(pszName);
        std::string decoratedFailure;
        m_pStdcall = reinterpret_cast<Stdcall>(library.Entry(decorated.c_str(), decoratedFailure));
        if (!m_pStdcall)
            strFailure += ", nor " + decorated;
        return m_pStdcall != nullptr;
    }

    Result operator()(Arguments... arguments) const
    {
        return m_pCdecl ? m_pCdecl(arguments...) : m_pStdcall(arguments...);
    }

private:
    using Cdecl = Result (*)(Arguments...);
    using Stdcall = Result(GOMBREL_STDCALL *)(Arguments...);

    static std::string DecoratedName(const char *pszName)
    {
        return std::string("_") + pszName + "@" + std::to_string((X86ArgumentBytes<Arguments>() + ...));
    }

    Cdecl m_pCdecl = nullptr;
    Stdcall m_pStdcall = nullptr;
};

// The entries of one loaded library; the library stays loaded while the
// object lives, so the entry addresses stay valid.
class BoundResultLibrary : public ResultLibrary {
public:
    // Loads strPath and finds the three entries; false with the reason.
    bool Bind(const std::string &strPath, std::string &strFailure)
    {
        return m_library.Open(strPath, strFailure) &&
               m_getMultipleResult.Find(m_library, "D2R_GetMultipleResult", strFailure) &&
               m_getMultipleHourlyResult.Find(m_library, "D2R_GetMultipleHourlyResult", strFailure) &&
               m_getSingleHourlyResult.Find(m_library, "D2R_GetSingleHourlyResult", strFailure);
    }

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests) override
    {
        return m_getMultipleResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount, iRequestCount,
                                   pRequests);
    }

    int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests) override
    {
        return m_getMultipleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount,
                                         iRequestCount, pRequests, 0, 0);
    }

    int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter) override
    {
        return m_getSingleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, iListId, iVariable, pfValues,
                                       iValueCount, pszReportKey, pFilter, 0);
    }

private:
    DynamicLibrary m_library;
    LibraryEntry<D2R_GetMultipleResult_fn> m_getMultipleResult;
    LibraryEntry<D2R_GetMultipleHourlyResult_fn> m_getMultipleHourlyResult;
    LibraryEntry<D2R_GetSingleHourlyResult_fn> m_getSingleHourlyResult;
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
