#include "LibraryFileHeader.h"

LibraryFileHeader ThisProgramsLibraryHeader()
{
    LibraryFileHeader header;
    header.format = BinaryFormat::WindowsPe;
    header.iWordBits = static_cast<int>(sizeof(void *) * 8);
#if defined(__x86_64__) || defined(_M_X64)
    header.uMachine = 0x8664;  // IMAGE_FILE_MACHINE_AMD64
#elif defined(__i386__) || defined(_M_IX86)
    header.uMachine = 0x014c;  // IMAGE_FILE_MACHINE_I386
#elif defined(__aarch64__) || defined(_M_ARM64)
    header.uMachine = 0xaa64;  // IMAGE_FILE_MACHINE_ARM64
#endif
    return header;
}

std::string BuildNameForWordSize(int iWordBits) { return iWordBits == 32 ? "the x86 build" : "the x64 build"; }
