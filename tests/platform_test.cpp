#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "FilePath.h"
#include "LibraryFileHeader.h"
#include "Paths.h"
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

// Where this platform names no configuration folder of the user's, the
// settings stay beside the program and the XDG rules do not apply.
bool HasUserConfigFolder() { return !UserConfigPlace("x").empty(); }

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

TEST(InstalledLibraryFolder, IsLibGombrelBesideTheProgramsFolder)
{
    const std::string programFolder = ExecutableFolder();
    const std::string root = programFolder.substr(0, programFolder.rfind(NativeSeparator()));
    EXPECT_EQ(InstalledLibraryFolder(), root + Native("/lib/gombrel"));
}

TEST(UserConfigFolder, IsNamedExactlyWhereThePlatformKeepsSettingsInOne)
{
    EXPECT_EQ(UserConfigFolder().empty(), !HasUserConfigFolder());
}

TEST(UserConfigFolder, IsXdgConfigHomeWhenAbsolute)
{
    if (!HasUserConfigFolder())
        GTEST_SKIP() << "settings stay beside the program here";
    ScopedVariable config("XDG_CONFIG_HOME", "/srv/config/");
    ScopedVariable home("HOME", "/home/someone");
    EXPECT_EQ(UserConfigFolder(), "/srv/config");
}

TEST(UserConfigFolder, IsDotConfigInTheHomeFolderOtherwise)
{
    if (!HasUserConfigFolder())
        GTEST_SKIP() << "settings stay beside the program here";
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
    if (!HasUserConfigFolder())
        GTEST_SKIP() << "settings stay beside the program here";
    ScopedVariable config("XDG_CONFIG_HOME", nullptr);
    ScopedVariable home("HOME", nullptr);
    const std::string folder = UserConfigFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.substr(folder.size() - 8), "/.config");
}
