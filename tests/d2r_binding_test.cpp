// Binding the result library at run time: where it is looked for, what a
// failure says, and that the bound entries reach the library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "D2ResultBinding.h"
#include "DynamicLibrary.h"
#include "OtherWordSizeLibrary.h"
#include "Paths.h"
#include "ProgramPath.h"
#include "ScratchFolder.h"
#include "StoreWriter.h"

namespace {

using ::testing::HasSubstr;

// The result library's file name on this platform.
const std::string kLibraryFile = SharedLibraryFileName("d2result");

// The result library as the build leaves it, beside the test programs.
std::string BuiltLibrary() { return WithTrailingSeparator(ExecutableFolder()) + kLibraryFile; }

class D2ResultBindingTest : public ::testing::Test {
protected:
    std::string InstalledLibrary() const { return WithTrailingSeparator(InstalledLibraryFolder()) + kLibraryFile; }

    ScratchFolder m_folder;
    std::string m_strFolder = m_folder.Path();
};

TEST_F(D2ResultBindingTest, LooksInTheDoe2FolderThenBesideTheProgramThenInTheInstalledFolder)
{
    EXPECT_THAT(ResultLibraryCandidates("/opt\\doe22\\"),
                ::testing::ElementsAre(NativePath("/opt\\doe22\\") + kLibraryFile, BuiltLibrary(), InstalledLibrary()));
}

TEST_F(D2ResultBindingTest, WithoutADoe2FolderLooksBesideTheProgramThenInTheInstalledFolder)
{
    EXPECT_THAT(ResultLibraryCandidates(""), ::testing::ElementsAre(BuiltLibrary(), InstalledLibrary()));
}

TEST_F(D2ResultBindingTest, WhenNoneIsThereTheFailureNamesEveryPlaceOnce)
{
    const std::vector<std::string> places = {m_folder / ("doe22/" + kLibraryFile), m_folder / ("bin/" + kLibraryFile),
                                             m_folder / ("lib/gombrel/" + kLibraryFile)};
    std::string failure;
    EXPECT_EQ(BindResultLibraryFrom(places, failure), nullptr);
    for (const std::string &place : places) {
        EXPECT_THAT(failure, HasSubstr(place + " (no such file)")) << place;
        EXPECT_EQ(failure.find(place), failure.rfind(place)) << place;
    }
}

TEST_F(D2ResultBindingTest, BoundEntriesReachTheLibrary)
{
    std::string failure;
    StoreWriter writer;
    const std::string project = m_strFolder + "/ce300-Zv - Baseline Design";
    ASSERT_TRUE(writer.Create(project + ".d2r", failure)) << failure;
    ASSERT_TRUE(writer.AddResult(1, 2101001, "SYSTEM-1", "", {42.5f}, failure)) << failure;
    ASSERT_TRUE(writer.AddHourly(4, 2010, 47, "SYSTEM-1", std::vector<float>(8760, 1.5f), failure)) << failure;
    ASSERT_TRUE(writer.Commit(failure)) << failure;

    std::unique_ptr<ResultLibrary> library = BindResultLibrary(m_strFolder, failure);
    ASSERT_NE(library, nullptr) << failure;
    D2R_ResultRequest request = {2101001, 0, "SYSTEM-1", ""};
    float value = 0.0f;
    EXPECT_EQ(library->GetMultipleResult("", project.c_str(), 1, &value, 1, 1, &request), 1);
    EXPECT_FLOAT_EQ(value, 42.5f);
    std::vector<float> hours(8760);
    D2R_HourlyRequest hourly = {2010, 47, 0, "SYSTEM-1"};
    EXPECT_EQ(library->GetMultipleHourlyResult("", project.c_str(), 4, hours.data(), 8760, 1, &hourly), 8760);
    EXPECT_EQ(library->GetSingleHourlyResult("", project.c_str(), 4, 2010, 47, hours.data(), 8760, "SYSTEM-1",
                                             nullptr),
              8760);
    EXPECT_FLOAT_EQ(hours[8759], 1.5f);
}

TEST_F(D2ResultBindingTest, NoCandidateIsAFailureToo)
{
    std::string failure;
    EXPECT_EQ(BindResultLibraryFrom({}, failure), nullptr);
    EXPECT_THAT(failure, HasSubstr(kLibraryFile));
}

// What a DOE-2 folder may hold under the result library's name, and what
// the binding makes of it while the built library lies beside the program:
// the one in the DOE-2 folder answers when it can; when it cannot, the
// failure names it and says why, and nothing stands in for it.
struct Doe2FolderCase {
    const char *pszName;
    void (*put)(const std::string &strPath);  // null: the folder holds none
    const char *pszFailure;                   // what follows the file's name; null: bound
};

void CopyLibrary(const std::string &strFrom, const std::string &strTo)
{
    std::filesystem::copy_file(std::filesystem::u8path(strFrom), std::filesystem::u8path(strTo));
}
void PutBuiltLibrary(const std::string &strPath) { CopyLibrary(BuiltLibrary(), strPath); }
void PutText(const std::string &strPath) { WriteWholeFile(strPath, "not a library"); }
void PutLibraryLackingAnEntry(const std::string &strPath) { CopyLibrary(D2R_STUB_LIBRARY, strPath); }
const std::string kOtherWordSize = OtherWordSizeMessage();

const Doe2FolderCase kDoe2FolderCases[] = {
    {"None", nullptr, nullptr},
    {"TheLibrary", PutBuiltLibrary, nullptr},
    {"ALibraryOfTheOtherWordSize", PutOtherWordSizeLibrary, kOtherWordSize.c_str()},
#ifdef _WIN32
    {"AFileThatIsNotALibrary", PutText, "is not a Windows library (DLL)"},
#else
    {"AFileThatIsNotALibrary", PutText, "is not a shared library (ELF)"},
#endif
    {"ALibraryLackingAnEntry", PutLibraryLackingAnEntry, "lacks the entry D2R_GetSingleHourlyResult"},
};

class Doe2FolderLibrary : public D2ResultBindingTest, public ::testing::WithParamInterface<Doe2FolderCase> {};

TEST_P(Doe2FolderLibrary, AnswersOrIsReportedNeverStoodInFor)
{
    const std::string doe2Library = m_folder / kLibraryFile;
    if (GetParam().put)
        GetParam().put(doe2Library);
    std::string failure;
    const std::unique_ptr<ResultLibrary> library = BindResultLibrary(m_strFolder, failure);
    if (!GetParam().pszFailure) {
        ASSERT_NE(library, nullptr) << failure;
        EXPECT_EQ(library->LibraryFile(), GetParam().put ? doe2Library : BuiltLibrary());
        return;
    }
    EXPECT_EQ(library, nullptr);
    EXPECT_THAT(failure, HasSubstr(doe2Library + " " + GetParam().pszFailure));
    EXPECT_THAT(failure, ::testing::Not(HasSubstr(BuiltLibrary())));
}

INSTANTIATE_TEST_SUITE_P(Holding, Doe2FolderLibrary, ::testing::ValuesIn(kDoe2FolderCases),
                         [](const ::testing::TestParamInfo<Doe2FolderCase> &info) { return info.param.pszName; });

TEST(DynamicLibrary, FindsAnEntryByName)
{
    DynamicLibrary library;
    std::string failure;
    ASSERT_TRUE(library.Open(BuiltLibrary(), failure)) << failure;
    EXPECT_NE(library.Entry("D2R_GetSingleHourlyResult", failure), nullptr);
}

TEST(DynamicLibrary, UnknownEntryIsNullWithAReason)
{
    DynamicLibrary library;
    std::string failure;
    ASSERT_TRUE(library.Open(BuiltLibrary(), failure)) << failure;
    EXPECT_EQ(library.Entry("D2R_NoSuchEntry", failure), nullptr);
    EXPECT_THAT(failure, HasSubstr("D2R_NoSuchEntry"));
}

TEST(DynamicLibrary, BareNameIsRefusedRatherThanSearchedFor)
{
    DynamicLibrary library;
    std::string failure;
    EXPECT_FALSE(library.Open(kLibraryFile, failure));
    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(library.Entry("D2R_GetSingleHourlyResult", failure), nullptr);
}

TEST(SharedLibraryFileName, FollowsThePlatformConvention)
{
    EXPECT_EQ(SharedLibraryFileName("d2result"), D2R_LIBRARY_FILE_NAME);
}

}  // namespace
