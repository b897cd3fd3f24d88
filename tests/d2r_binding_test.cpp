// Binding the result library at run time: where it is looked for, what a
// failure says, and that the bound entries reach the library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "D2ResultBinding.h"
#include "DynamicLibrary.h"
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

TEST_F(D2ResultBindingTest, FailureNamesEveryPlaceTriedOnceWithItsReason)
{
    const std::vector<std::string> places = {m_folder / ("doe22/" + kLibraryFile), m_folder / ("bin/" + kLibraryFile),
                                             m_folder / ("lib/gombrel/" + kLibraryFile)};
    std::string failure;
    EXPECT_EQ(BindResultLibraryFrom(places, failure), nullptr);
    for (const std::string &place : places) {
        EXPECT_THAT(failure, HasSubstr(place + " (")) << place;
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

TEST_F(D2ResultBindingTest, MissingLibraryIsNamedWithItsReason)
{
    const std::string missing = m_folder / kLibraryFile;
    std::string reason;
    ASSERT_FALSE(DynamicLibrary().Open(missing, reason));
    ASSERT_NE(reason, missing + ": ");
    std::string failure;
    EXPECT_EQ(BindResultLibraryFrom({missing}, failure), nullptr);
    EXPECT_THAT(failure, HasSubstr(kLibraryFile));
    EXPECT_THAT(failure, HasSubstr(LibraryFailureAt(missing, reason)));
}

TEST_F(D2ResultBindingTest, NoCandidateIsAFailureToo)
{
    std::string failure;
    EXPECT_EQ(BindResultLibraryFrom({}, failure), nullptr);
    EXPECT_THAT(failure, HasSubstr(kLibraryFile));
}

TEST_F(D2ResultBindingTest, FileThatIsNotALibraryGivesWayToTheNext)
{
    const std::string bogus = m_folder / kLibraryFile;
    std::ofstream(bogus) << "not a shared library";
    std::string failure;
    EXPECT_NE(BindResultLibraryFrom({bogus, BuiltLibrary()}, failure), nullptr) << failure;
    EXPECT_EQ(BindResultLibraryFrom({bogus}, failure), nullptr);
    EXPECT_THAT(failure, HasSubstr(bogus));
}

TEST_F(D2ResultBindingTest, LibraryWithoutTheEntriesNamesTheMissingEntry)
{
    std::string failure;
    EXPECT_EQ(BindResultLibraryFrom({D2R_STUB_LIBRARY}, failure), nullptr);
    EXPECT_THAT(failure, HasSubstr(kLibraryFile));
    EXPECT_THAT(failure, HasSubstr("D2R_GetMultipleResult"));
}

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
