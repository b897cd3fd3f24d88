#include "D2ResultBinding.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <type_traits>

#include "CallingConvention.h"
#include "DynamicLibrary.h"
#include "FilePath.h"
#include "LibraryFileHeader.h"
#include "Paths.h"
#include "ProgramPath.h"

namespace {

const char kLibraryStem[] = "d2result";

// The bytes one argument takes on a 32-bit x86 stack, where stdcall
// decoration comes from: pointers and 32-bit integers take 4.  The
// decorated names are thus the same whichever target looks them up.
template <class Argument>
constexpr size_t X86ArgumentBytes()
{
    return std::is_pointer<Argument>::value ? 4 : (sizeof(Argument) + 3) / 4 * 4;
}

#if GOMBREL_TWO_CALLING_CONVENTIONS
// One argument as the 32-bit word it is on the stack.
template <class Argument>
uint32_t StackWord(Argument argument)
{
    static_assert(sizeof(Argument) == 4, "every argument of the entries is one 32-bit word on x86");
    if constexpr (std::is_pointer<Argument>::value)
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(argument));
    else
        return static_cast<uint32_t>(argument);
}
#endif

template <class Entry>
class LibraryEntry;

// One entry of the library, found under any name its maker may have
// exported it by.  On 32-bit Windows the name does not tell the calling
// convention for sure (a .def file exports stdcall entries under plain
// names), so every call goes through a stub that keeps the stack pointer,
// right for either; elsewhere there is one convention.
template <class Result, class... Arguments>
class LibraryEntry<Result (*)(Arguments...)> {
public:
    // False with "lacks the entry NAME ..." when no name is exported.
    bool Find(const DynamicLibrary &library, const char *pszName, std::string &strFailure)
    {
        const std::vector<std::string> names = ExportedEntryNames(pszName, (X86ArgumentBytes<Arguments>() + ...));
        std::string unused;
        for (const std::string &name : names)
            if ((m_pEntry = library.Entry(name.c_str(), unused)) != nullptr)
                return true;
        strFailure = std::string("lacks the entry ") + pszName;
        if (names.size() > 1) {
            strFailure += " (looked for as";
            for (size_t i = 0; i < names.size(); ++i)
                strFailure += (i == 0 ? " " : i + 1 == names.size() ? " and " : ", ") + names[i];
            strFailure += ")";
        }
        return false;
    }

    Result operator()(Arguments... arguments) const
    {
#if GOMBREL_TWO_CALLING_CONVENTIONS
        const uint32_t words[] = {StackWord(arguments)...};
        return static_cast<Result>(CallEntryKeepingStack(m_pEntry, words, sizeof...(Arguments)));
#else
        return reinterpret_cast<Result (*)(Arguments...)>(m_pEntry)(arguments...);
#endif
    }

private:
    void *m_pEntry = nullptr;
};

// Why a library with header file cannot be loaded into this program, as
// what follows the file's name in a sentence; empty when nothing in the
// header stands in the way.
std::string HeaderMismatch(const LibraryFileHeader &file)
{
    const LibraryFileHeader program = ThisProgramsLibraryHeader();
    if (file.format != program.format)
        return program.format == BinaryFormat::WindowsPe ? "is not a Windows library (DLL)"
                                                         : "is not a shared library (ELF)";
    if (file.iWordBits != 0 && file.iWordBits != program.iWordBits)
        return "is a " + std::to_string(file.iWordBits) + "-bit library, which only " +
               BuildNameForWordSize(file.iWordBits) + " of Gombrel loads (this is " +
               BuildNameForWordSize(program.iWordBits) + ")";
    if (program.uMachine != 0 && file.uMachine != program.uMachine)
    {
        char machine[16];
        std::snprintf(machine, sizeof machine, "%#06x", static_cast<unsigned>(file.uMachine));
        return std::string("is a library for another processor (machine type ") + machine + ")";
    }
    return std::string();
}

// The entries of one loaded library; the library stays loaded while the
// object lives, so the entry addresses stay valid.
class BoundResultLibrary : public ResultLibrary {
public:
    // Loads strPath and finds the three entries; false with why not, as
    // what follows the file's name in a sentence.
    bool Bind(const std::string &strPath, std::string &strFailure)
    {
        m_strFile = strPath;
        LibraryFileHeader header;
        if (ReadLibraryFileHeader(strPath, header)) {
            strFailure = HeaderMismatch(header);
            if (!strFailure.empty())
                return false;
        }
        std::string reason;
        if (!m_library.Open(strPath, reason)) {
            strFailure = "cannot be loaded: " + ReasonWithoutPath(strPath, reason);
            return false;
        }
        return m_getMultipleResult.Find(m_library, "D2R_GetMultipleResult", strFailure) &&
               m_getMultipleHourlyResult.Find(m_library, "D2R_GetMultipleHourlyResult", strFailure) &&
               m_getSingleHourlyResult.Find(m_library, "D2R_GetSingleHourlyResult", strFailure);
    }

    std::string LibraryFile() const override { return m_strFile; }

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
    std::string m_strFile;
    DynamicLibrary m_library;
    LibraryEntry<D2R_GetMultipleResult_fn> m_getMultipleResult;
    LibraryEntry<D2R_GetMultipleHourlyResult_fn> m_getMultipleHourlyResult;
    LibraryEntry<D2R_GetSingleHourlyResult_fn> m_getSingleHourlyResult;
};

// Whether anything is there under that name: a file that cannot be looked
// at, or a link to nothing, counts as there, so that the loader says what
// is wrong with it.
bool IsThere(const std::string &strPath)
{
    std::error_code error;
    return std::filesystem::symlink_status(FilePath(strPath), error).type() != std::filesystem::file_type::not_found;
}

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
    const std::string failure = "The DOE-2 result library " + SharedLibraryFileName(kLibraryStem) +
                                " could not be bound: ";
    std::string places;
    for (const std::string &candidate : candidates) {
        if (!IsThere(candidate)) {
            places += (places.empty() ? "" : "; ") + LibraryFailureAt(candidate, "no such file");
            continue;
        }
        auto library = std::make_unique<BoundResultLibrary>();
        std::string reason;
        if (library->Bind(candidate, reason))
            return library;
        strFailure = failure + candidate + " " + reason;
        return nullptr;
    }
    strFailure = failure + (places.empty() ? std::string("no folder to look in") : "tried " + places);
    return nullptr;
}

std::unique_ptr<ResultLibrary> BindResultLibrary(const std::string &strDoe2Folder, std::string &strFailure)
{
    return BindResultLibraryFrom(ResultLibraryCandidates(strDoe2Folder), strFailure);
}
