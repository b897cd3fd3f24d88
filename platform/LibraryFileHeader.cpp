#include "LibraryFileHeader.h"

#include <fstream>
#include <vector>

#include "FilePath.h"

namespace {

// A PE header lies where the DOS header's field at 0x3c points; no linker
// puts it beyond the first few kilobytes.
constexpr size_t kHeaderBytesRead = 4096;

uint32_t Little(const std::vector<unsigned char> &bytes, size_t offset, size_t size)
{
    uint32_t value = 0;
    for (size_t i = size; i-- > 0;)
        value = value << 8 | bytes[offset + i];
    return value;
}

uint32_t Big(const std::vector<unsigned char> &bytes, size_t offset, size_t size)
{
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value = value << 8 | bytes[offset + i];
    return value;
}

// The word size from the optional header's magic: PE32 or PE32+.
int PeWordBits(uint32_t uMagic) { return uMagic == 0x10b ? 32 : uMagic == 0x20b ? 64 : 0; }

void ReadPe(const std::vector<unsigned char> &bytes, LibraryFileHeader &header)
{
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z')
        return;
    const size_t pe = Little(bytes, 0x3c, 4);
    // Signature (4), then the file header: Machine (2) ... (20 in all),
    // then the optional header, which starts with its magic (2).
    if (pe > bytes.size() || bytes.size() - pe < 4 + 20 + 2 || Little(bytes, pe, 4) != 0x00004550)
        return;
    header.format = BinaryFormat::WindowsPe;
    header.uMachine = Little(bytes, pe + 4, 2);
    header.iWordBits = PeWordBits(Little(bytes, pe + 24, 2));
}

void ReadElf(const std::vector<unsigned char> &bytes, LibraryFileHeader &header)
{
    if (bytes.size() < 20 || bytes[0] != 0x7f || bytes[1] != 'E' || bytes[2] != 'L' || bytes[3] != 'F')
        return;
    header.format = BinaryFormat::Elf;
    header.iWordBits = bytes[4] == 1 ? 32 : bytes[4] == 2 ? 64 : 0;
    // e_machine, in the byte order the file declares.
    header.uMachine = bytes[5] == 2 ? Big(bytes, 18, 2) : Little(bytes, 18, 2);
}

}  // namespace

bool ReadLibraryFileHeader(const std::string &strPath, LibraryFileHeader &header)
{
    header = LibraryFileHeader();
    std::ifstream file(FilePath(strPath), std::ios::binary);
    if (!file)
        return false;
    std::vector<unsigned char> bytes(kHeaderBytesRead);
    file.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file.bad())
        return false;
    bytes.resize(static_cast<size_t>(file.gcount()));
    ReadPe(bytes, header);
    ReadElf(bytes, header);
    return true;
}
