#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "FileIdentity.h"
#include "FilePath.h"
#include "LibraryFileHeader.h"
#include "Paths.h"
#include "PopulatedMemory.h"
#include "ProgramPath.h"
#include "ScopedVariable.h"
#include "ScratchFolder.h"
#include "UserFolders.h"

namespace {

// strPath written with '/', in the platform's form.
std::string Native(std::string strPath)
{
    for (char &c : strPath)
        if (c == '/')
            c = NativeSeparator();
    return strPath;
}

#ifdef _WIN32
// The short (8.3) name Windows gives strPath, or strPath itself when the
// volume makes none.
std::string ShortName(const std::string &strPath)
{
    const std::wstring path = FilePath(strPath).wstring();
    std::wstring shortPath(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), &shortPath[0], MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return strPath;
    shortPath.resize(length);
    return PathText(std::filesystem::path(shortPath));
}
#endif

}  // namespace

TEST(NativePath, TurnsEveryBackslashIntoTheSeparator)
{
    EXPECT_EQ(NativePath("C:\\data\\results\\Sec5-2\\600-Zv\\600-Zv - Baseline Design"),
              Native("C:/data/results/Sec5-2/600-Zv/600-Zv - Baseline Design"));
    EXPECT_EQ(NativePath("\\Std140Sec5-2.xls"), Native("/Std140Sec5-2.xls"));
}

TEST(NativePath, LeavesTextWithoutBackslashesAlone)
{
    EXPECT_EQ(NativePath(""), "");
    EXPECT_EQ(NativePath("/a b/c"), "/a b/c");
}

TEST(WithTrailingSeparator, AddsTheSeparatorOnlyWhenMissing)
{
    EXPECT_EQ(WithTrailingSeparator("/opt/doe22"), "/opt/doe22" + std::string(1, NativeSeparator()));
    EXPECT_EQ(WithTrailingSeparator(Native("/opt/doe22/")), Native("/opt/doe22/"));
    EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(FilePath, NamesOutsideAsciiReachTheFileSystemAndComeBackAsWritten)
{
    const ScratchFolder scratch;
    const std::string folder = scratch / "Wärme Ω";
    const std::string file = folder + NativeSeparator() + "Ergebnisse-é.txt";
    ASSERT_TRUE(std::filesystem::create_directory(FilePath(folder)));
    std::FILE *pFile = OpenFile(file, "wb");
    ASSERT_NE(pFile, nullptr);
    std::fclose(pFile);
    ASSERT_TRUE(std::filesystem::is_regular_file(FilePath(file)));
    std::filesystem::directory_iterator entries(FilePath(scratch.Path()));
    ASSERT_NE(entries, std::filesystem::directory_iterator());
    EXPECT_EQ(PathText(entries->path()), folder);
    EXPECT_EQ(PathText(std::filesystem::directory_iterator(FilePath(folder))->path().filename()), "Ergebnisse-é.txt");
}

TEST(ExecutableFolder, IsTheAbsoluteFolderOfTheRunningProgram)
{
    const std::filesystem::path folder = FilePath(ExecutableFolder());
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::equivalent(folder, FilePath(PLATFORM_TEST_FOLDER)));
}

TEST(ExecutableFolder, HasNoTrailingSeparator)
{
    const std::string folder = ExecutableFolder();
    ASSERT_GT(folder.size(), 3u);
    EXPECT_NE(folder.back(), NativeSeparator());
}

// The running program is built as the libraries it may load must be: its
// own file read as a library gives the format, processor and word size
// expected of them (so the PE Machine field and magic, or the ELF class
// and machine, are read from their right places).
TEST(LibraryFileHeader, OfTheRunningProgramIsWhatALoadableLibraryHas)
{
    LibraryFileHeader header;
    ASSERT_TRUE(ReadLibraryFileHeader(ExecutablePath(), header));
    const LibraryFileHeader expected = ThisProgramsLibraryHeader();
    EXPECT_EQ(header.format, expected.format);
    EXPECT_EQ(header.iWordBits, expected.iWordBits);
    EXPECT_EQ(header.uMachine, expected.uMachine);
    EXPECT_NE(expected.uMachine, 0u);
}

TEST(LibraryFileHeader, OfAFileCutShortOrOfTextIsUnknown)
{
    ScratchFolder folder;
    for (const std::string &text : {std::string("MZ"), std::string("\x7f" "ELF"), std::string("text")}) {
        WriteWholeFile(folder / "file", text);
        LibraryFileHeader header;
        ASSERT_TRUE(ReadLibraryFileHeader(folder / "file", header));
        EXPECT_EQ(header.format, BinaryFormat::Unknown) << text;
    }
    LibraryFileHeader header;
    EXPECT_FALSE(ReadLibraryFileHeader(folder / "missing", header));
}

// The run keeps its series in these blocks: each must be all there, zeroed
// and writable to its last byte, and a block of nothing is no block.
TEST(PopulatedMemory, GivesAtLeastTheBytesAskedForZeroedAndWritable)
{
    const size_t asked = 3 * 1024 * 1024 + 5;
    PopulatedMemory block(asked);
    ASSERT_NE(block.Data(), nullptr);
    ASSERT_GE(block.Size(), asked);
    auto *bytes = static_cast<unsigned char *>(block.Data());
    EXPECT_TRUE(std::all_of(bytes, bytes + block.Size(), [](unsigned char byte) { return byte == 0; }));
    std::fill(bytes, bytes + block.Size(), static_cast<unsigned char>(0xA5));
    EXPECT_EQ(bytes[block.Size() - 1], 0xA5);

    PopulatedMemory none(0);
    EXPECT_EQ(none.Data(), nullptr);
    EXPECT_EQ(none.Size(), 0u);
}

TEST(InstalledLibraryFolder, IsLibGombrelBesideTheProgramsFolder)
{
    const std::string programFolder = ExecutableFolder();
    const std::string root = programFolder.substr(0, programFolder.rfind(NativeSeparator()));
    EXPECT_EQ(InstalledLibraryFolder(), root + Native("/lib/gombrel"));
}

#ifdef _WIN32
// The shell's folder, which the profile also gives every process as
// %APPDATA%: roaming, not the machine's local application data.
TEST(UserConfigFolder, IsTheRoamingApplicationDataFolder)
{
    const char *pszAppData = std::getenv("APPDATA");
    ASSERT_NE(pszAppData, nullptr);
    EXPECT_EQ(UserConfigFolder(), pszAppData);
}
#else
TEST(UserConfigFolder, IsXdgConfigHomeWhenAbsolute)
{
    ScopedVariable config("XDG_CONFIG_HOME", "/srv/config/");
    ScopedVariable home("HOME", "/home/someone");
    EXPECT_EQ(UserConfigFolder(), "/srv/config");
}

TEST(UserConfigFolder, IsDotConfigInTheHomeFolderOtherwise)
{
    ScopedVariable home("HOME", "/home/someone");
    {
        ScopedVariable config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(UserConfigFolder(), "/home/someone/.config");
    }
    ScopedVariable config("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(UserConfigFolder(), "/home/someone/.config");
}

TEST(UserConfigFolder, WithoutHomeIsTheAccountsHomeFolder)
{
    ScopedVariable config("XDG_CONFIG_HOME", nullptr);
    ScopedVariable home("HOME", nullptr);
    const std::string folder = UserConfigFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.substr(folder.size() - 8), "/.config");
}
#endif

TEST(ReadFolderIdentity, IsTheSameForEverySpellingOfAFolder)
{
    const ScratchFolder scratch;
    const std::string folder = scratch / "Results folder";
    const std::string sibling = scratch / "Results";
    ASSERT_TRUE(std::filesystem::create_directory(FilePath(folder)));
    ASSERT_TRUE(std::filesystem::create_directory(FilePath(sibling)));
    const std::string sep(1, NativeSeparator());
    std::vector<std::pair<std::string, std::string>> spellings = {
        {"trailing separator", folder + sep},
        {"dot step", scratch.Path() + sep + "." + sep + "Results folder"},
        {"dot-dot step", sibling + sep + ".." + sep + "Results folder" + sep},
    };
#ifdef _WIN32
    std::string upper = folder;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    spellings.emplace_back("letter case", upper);
    // A volume that makes no short names leaves nothing to compare.
    if (ShortName(folder) != folder)
        spellings.emplace_back("short name", ShortName(folder));
#else
    std::filesystem::create_directory_symlink(FilePath(folder), FilePath(scratch / "link"));
    spellings.emplace_back("symbolic link", scratch / "link");
#endif
    FileIdentity identity, other;
    ASSERT_TRUE(ReadFolderIdentity(folder, identity));
    ASSERT_TRUE(ReadFolderIdentity(sibling, other));
    EXPECT_NE(identity, other);
    for (const auto &[name, path] : spellings) {
        FileIdentity spelt;
        EXPECT_TRUE(ReadFolderIdentity(path, spelt)) << name << ": " << path;
        EXPECT_EQ(spelt, identity) << name << ": " << path;
    }
}

TEST(ReadFolderIdentity, FindsNoFolderInAFileOrWhereNothingIs)
{
    const ScratchFolder scratch;
    const std::string file = scratch / "Std140Sec5-2.xls";
    WriteWholeFile(file, "x");
    FileIdentity identity;
    EXPECT_FALSE(ReadFolderIdentity(file, identity));
    EXPECT_FALSE(ReadFolderIdentity(scratch / "missing", identity));
    EXPECT_FALSE(ReadFolderIdentity("", identity));
}
