// What a library file's first bytes say about it, read without loading it:
// the system whose format it is in (a Windows PE image, an ELF object), its
// processor and its word size.  A library that this program cannot load is
// then explained in the program's own words, whatever the loader would say.
#pragma once

#include <cstdint>
#include <string>

enum class BinaryFormat { Unknown, WindowsPe, Elf };

struct LibraryFileHeader {
    BinaryFormat format = BinaryFormat::Unknown;
    int iWordBits = 0;      // 32 or 64; 0 when the header does not tell
    uint32_t uMachine = 0;  // the PE header's Machine field, or the ELF e_machine
};

// Reads the header of the file named by the UTF-8 text strPath; false when
// the file cannot be read at all.  A file in neither format, or cut short,
// is read as Unknown.
bool ReadLibraryFileHeader(const std::string &strPath, LibraryFileHeader &header);

// The header a library must have for this program to load it: the
// system's format, this program's processor and word size.
LibraryFileHeader ThisProgramsLibraryHeader();

// The build of the program for a word size as users call it, with its
// article: "the x86 build" and "the x64 build" on Windows, "a 32-bit
// build" and "a 64-bit build" elsewhere.
std::string BuildNameForWordSize(int iWordBits);
