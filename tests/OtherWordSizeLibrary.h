// A result library of the word size this program does not have, as a user
// may find one in a DOE-2 folder made for the other build.
#pragma once

#include <filesystem>
#include <string>

#include "DynamicLibrary.h"
#include "Paths.h"
#include "ProgramPath.h"
#include "ScratchFolder.h"

// Puts such a library at strPath.  On Windows it is a whole library, built
// by the other MinGW compiler; elsewhere a copy of the built result library
// whose header declares it 32-bit (ELF class 1), since the header is all
// the binding reads of a library it is not to load.
inline void PutOtherWordSizeLibrary(const std::string &strPath)
{
#ifdef D2R_OTHER_WORD_SIZE_LIBRARY
    std::filesystem::copy_file(std::filesystem::u8path(D2R_OTHER_WORD_SIZE_LIBRARY), std::filesystem::u8path(strPath),
                               std::filesystem::copy_options::overwrite_existing);
#else
    std::string bytes = ReadWholeFile(WithTrailingSeparator(ExecutableFolder()) + SharedLibraryFileName("d2result"));
    bytes.at(4) = 1;
    WriteWholeFile(strPath, bytes);
#endif
}

// What the binding says of such a library at strPath, after its name.
inline std::string OtherWordSizeMessage()
{
#ifdef _WIN32
    return sizeof(void *) == 8 ? "is a 32-bit library, which only the x86 build of Gombrel loads (this is the x64 build)"
                               : "is a 64-bit library, which only the x64 build of Gombrel loads (this is the x86 build)";
#else
    return "is a 32-bit library, which only a 32-bit build of Gombrel loads (this is a 64-bit build)";
#endif
}
