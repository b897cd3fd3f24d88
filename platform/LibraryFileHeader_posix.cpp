#include "LibraryFileHeader.h"

#include <elf.h>

LibraryFileHeader ThisProgramsLibraryHeader()
{
    LibraryFileHeader header;
    header.format = BinaryFormat::Elf;
    header.iWordBits = static_cast<int>(sizeof(void *) * 8);
#if defined(__x86_64__)
    header.uMachine = EM_X86_64;
#elif defined(__i386__)
    header.uMachine = EM_386;
#elif defined(__aarch64__)
    header.uMachine = EM_AARCH64;
#elif defined(__arm__)
    header.uMachine = EM_ARM;
#endif
    return header;
}

std::string BuildNameForWordSize(int iWordBits) { return "a " + std::to_string(iWordBits) + "-bit build"; }
