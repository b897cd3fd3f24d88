#include <gtest/gtest.h>

#include "BrowseButton.h"
#include "EntryList.h"
#include "FilePath.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// The path field's rules, as both path fields (Qt and Win32) follow them;
// their own tests only check that events and texts reach these.

namespace {

// A path (or a field's text of paths, semicolons between them) written here
// with slashes, as this system writes it: on Windows each absolute path is
// put on drive C: and every slash becomes a backslash.
std::string Native(const std::string &strPath)
{
#ifdef _WIN32
    std::string strNative;
    bool bPathStart = true;
    for (char c : strPath) {
        if (c == '/' && bPathStart)
            strNative += "C:";
        strNative += c == '/' ? '\\' : c;
        bPathStart = c == ';' || (bPathStart && c == ' ');
    }
    return strNative;
#else
    return strPath;
#endif
}

std::vector<std::string> NativePaths(const std::vector<std::string> &paths)
{
    std::vector<std::string> native;
    for (const std::string &strPath : paths)
        native.push_back(Native(strPath));
    return native;
}

// Every entry of the list as an absolute path, in order.
std::vector<std::string> EntryPaths(const EntryList &list)
{
    std::vector<std::string> paths;
    for (EntryPosition position = FirstEntryPosition(list); position;)
        paths.push_back(NextEntryPath(list, position));
    return paths;
}

std::string Text(const PixelRect &rc)
{
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + ")-(" + std::to_string(rc.right) + ","
           + std::to_string(rc.bottom) + ")";
}

template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case> &info)
{
    return info.param.pszName;
}

} // namespace

// --- The text split into entries

struct ParseCase {
    const char *pszName;
    const char *pszText;
    bool bMultipleFiles;
    std::vector<std::string> expected; // relative ones below the current folder
};

class EntryTextParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(EntryTextParse, GivesTheAbsoluteEntryPaths)
{
    const ParseCase &parseCase = GetParam();
    std::vector<std::string> expected = NativePaths(parseCase.expected);
    for (std::string &strPath : expected)
        if (!FilePath(strPath).is_absolute())
            strPath = PathText(std::filesystem::current_path() / FilePath(strPath));
    EXPECT_EQ(EntryPaths(ParseEntryText(Native(parseCase.pszText), parseCase.bMultipleFiles)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryTextParse,
    ::testing::Values(
        ParseCase{"BlanksAndSemicolonBeforeOnePath", "  ;/Work", false, {"/Work"}},
        ParseCase{"OnePathIgnoresEverythingAfterTheFirstSemicolon", "/Work;/Other", false, {"/Work"}},
        ParseCase{"SingleSelectionIgnoresFurtherFiles", "/Data/a.txt; b.txt", false, {"/Data/a.txt"}},
        ParseCase{"MultipleFilesKeepTrailingBlanks", "/Data/a.txt;  b.txt ; c.txt", true,
                  {"/Data/a.txt", "/Data/b.txt ", "/Data/c.txt"}},
        ParseCase{"MultipleSelectionWithOneFile", "/Data/a.txt", true, {"/Data/a.txt"}},
        ParseCase{"RelativePathBelowTheCurrentFolder", "Runs", false, {"Runs"}},
        ParseCase{"RelativeFilesBelowTheCurrentFolder", "a.txt;b.txt", true, {"a.txt", "b.txt"}},
        ParseCase{"DotsResolved", "/Data/x/../y/./Runs", false, {"/Data/y/Runs"}},
        ParseCase{"NonAsciiFolder", "/W\xC3\xA4rme \xCE\xA9/Ergebnisse-\xC3\xA9", false,
                  {"/W\xC3\xA4rme \xCE\xA9/Ergebnisse-\xC3\xA9"}},
        ParseCase{"EmptyTextHasNoEntry", "", false, {}},
        ParseCase{"BlanksAndSemicolonsOnlyHaveNoEntry", "  ; ;\t", true, {}}),
    CaseName<ParseCase>);

// A field parses once and reads its entries one by one; a text or a mode
// changed in between must not leave it with the old entries.
TEST(ParsedEntryText, ParsesAgainWhenTheTextOrTheSelectionModeChanged)
{
    ParsedEntryText parsed;
    EXPECT_EQ(EntryPaths(parsed.Update(Native("/Data/a.txt; b.txt"), false)), NativePaths({"/Data/a.txt"}));
    EXPECT_EQ(EntryPaths(parsed.Update(Native("/Data/a.txt; b.txt"), true)),
              NativePaths({"/Data/a.txt", "/Data/b.txt"}));
    EXPECT_EQ(EntryPaths(parsed.Update(Native("/Other"), true)), NativePaths({"/Other"}));
    EXPECT_EQ(EntryPaths(parsed.List()), NativePaths({"/Other"}));
    EXPECT_EQ(FirstEntryPath(parsed.List()), Native("/Other"));
    EXPECT_EQ(FirstEntryPath(parsed.Update(" ; ", true)), "");
}

// --- The text made from chosen or dropped files

struct FilesTextCase {
    const char *pszName;
    std::vector<std::string> files;
    bool bMultipleFiles;
    const char *pszChosenText;
    const char *pszDroppedText;
};

class FilesText : public ::testing::TestWithParam<FilesTextCase> {};

// Whatever text the files make, the field reads back the files it used.
TEST_P(FilesText, NamesTheFilesAndReadsBackAsThem)
{
    const FilesTextCase &filesCase = GetParam();
    const std::vector<std::string> files = NativePaths(filesCase.files);
    const std::string strChosen = ChosenFilesText(files);
    const std::string strDropped = DroppedFilesText(files, filesCase.bMultipleFiles);
    EXPECT_EQ(strChosen, Native(filesCase.pszChosenText));
    EXPECT_EQ(strDropped, Native(filesCase.pszDroppedText));
    EXPECT_EQ(EntryPaths(ParseEntryText(strChosen, true)), files);
    const std::size_t nUsed = filesCase.bMultipleFiles ? files.size() : std::min<std::size_t>(files.size(), 1);
    EXPECT_EQ(EntryPaths(ParseEntryText(strDropped, filesCase.bMultipleFiles)),
              std::vector<std::string>(files.begin(), files.begin() + nUsed));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilesText,
    ::testing::Values(
        FilesTextCase{"NoFileNoText", {}, true, "", ""},
        FilesTextCase{"OneFile", {"/Data/a.txt"}, false, "/Data/a.txt", "/Data/a.txt"},
        FilesTextCase{"FurtherChosenFilesByNameDroppedOnlyTheFirst",
                      {"/Data/a.txt", "/Data/b c.txt"},
                      false,
                      "/Data/a.txt; b c.txt",
                      "/Data/a.txt"},
        FilesTextCase{"MultipleSelectionDropsEveryFullPath",
                      {"/Data/a.txt", "/Data/b.txt", "/Data/c.txt"},
                      true,
                      "/Data/a.txt; b.txt; c.txt",
                      "/Data/a.txt; /Data/b.txt; /Data/c.txt"},
        FilesTextCase{"NonAsciiNames",
                      {"/W\xC3\xA4rme/a.txt", "/W\xC3\xA4rme/\xCE\xA9-\xC3\xA9.txt"},
                      true,
                      "/W\xC3\xA4rme/a.txt; \xCE\xA9-\xC3\xA9.txt",
                      "/W\xC3\xA4rme/a.txt; /W\xC3\xA4rme/\xCE\xA9-\xC3\xA9.txt"}),
    CaseName<FilesTextCase>);

// --- Where the button sits and how its dots are drawn

struct PlaceCase {
    const char *pszName;
    PixelRect rcClient;
    PixelRect rcButton;
    int nTextMargin;
};

class BrowseButtonPlace : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(BrowseButtonPlace, TakesTheClientsRightEndOnePointTwoTimesItsHeightWide)
{
    BrowseButton button;
    EXPECT_EQ(button.Place(GetParam().rcClient), GetParam().nTextMargin);
    EXPECT_EQ(Text(button.Rect()), Text(GetParam().rcButton));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrowseButtonPlace,
    ::testing::Values(PlaceCase{"EighteenHighInsideAFrame", {2, 2, 198, 20}, {177, 2, 198, 20}, 21},
                      PlaceCase{"WidthRoundedDown", {0, 0, 100, 16}, {81, 0, 100, 16}, 19},
                      PlaceCase{"TenHigh", {0, 0, 300, 10}, {288, 0, 300, 10}, 12},
                      PlaceCase{"FieldLowerThanItsFrameGivesCornersInOrder", {0, 5, 100, 3}, {100, 3, 102, 5}, -2}),
    CaseName<PlaceCase>);

TEST(BrowseButton, ContainsItsLeftAndTopEdgeButNotItsRightAndBottomOne)
{
    BrowseButton button;
    EXPECT_FALSE(button.Contains({0, 0})) << "not placed yet";
    button.Place({0, 0, 100, 18});
    EXPECT_TRUE(button.Contains({79, 0}));
    EXPECT_TRUE(button.Contains({99, 17}));
    EXPECT_FALSE(button.Contains({78, 9}));
    EXPECT_FALSE(button.Contains({100, 9}));
    EXPECT_FALSE(button.Contains({90, 18}));
}

struct DotsCase {
    const char *pszName;
    PixelRect rcClient;
    bool bSinglePixels;
    PixelRect firstDot;
    int nSpacing;
};

class EllipsisDotsIn : public ::testing::TestWithParam<DotsCase> {};

// Where the dots have always been drawn, to the pixel; the pushed face moves
// them one pixel right and down.
TEST_P(EllipsisDotsIn, AreWhereTheyAlwaysWere)
{
    const DotsCase &dotsCase = GetParam();
    BrowseButton button;
    button.Place(dotsCase.rcClient);
    for (int nOffset : {0, 1}) {
        const EllipsisDots dots = button.Dots(nOffset);
        EXPECT_EQ(dots.bSinglePixels, dotsCase.bSinglePixels);
        for (int i = 0; i < 3; ++i) {
            const int nShift = i * dotsCase.nSpacing + nOffset;
            const PixelRect expected = {dotsCase.firstDot.left + nShift, dotsCase.firstDot.top + nOffset,
                                        dotsCase.firstDot.right + nShift, dotsCase.firstDot.bottom + nOffset};
            EXPECT_EQ(Text(dots.dots[i]), Text(expected)) << "dot " << i << ", offset " << nOffset;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EllipsisDotsIn,
    ::testing::Values(DotsCase{"TwentyOneWideTwoAcross", {2, 2, 198, 20}, false, {182, 9, 184, 11}, 5},
                      DotsCase{"TwelveWideSinglePixels", {0, 0, 300, 10}, true, {290, 6, 291, 7}, 3},
                      DotsCase{"FortyWideFourAcross", {0, 0, 100, 34}, false, {69, 16, 73, 20}, 10}),
    CaseName<DotsCase>);

// --- The button's look under the mouse

enum Step { kPressOn, kPressOff, kMoveOn, kMoveOff, kReleaseOn, kReleaseOff, kLoseWindow };

struct TrackCase {
    const char *pszName;
    std::vector<Step> steps;
    // The look after each step, R, P or D, with "!" where the step asked
    // for the button to be drawn again.
    const char *pszLooks;
    bool bBrowses;
};

class BrowseButtonTracking : public ::testing::TestWithParam<TrackCase> {};

TEST_P(BrowseButtonTracking, LooksPushedOnlyWhilePressedOverItselfAndBrowsesOnARelease)
{
    BrowseButton button;
    button.Place({0, 0, 100, 18});
    const PixelPoint ptOn = {90, 9};
    const PixelPoint ptOff = {10, 9};
    std::string strLooks;
    bool bBrowsed = false;
    for (Step step : GetParam().steps) {
        bool bRedraw = false;
        switch (step) {
        case kPressOn:
        case kPressOff:
            bRedraw = button.Press(step == kPressOn ? ptOn : ptOff, true);
            break;
        case kMoveOn:
        case kMoveOff:
            bRedraw = button.Track(step == kMoveOn ? ptOn : ptOff, true);
            break;
        case kReleaseOn:
        case kReleaseOff: {
            const BrowseButton::Release release = button.ReleaseAt(step == kReleaseOn ? ptOn : ptOff, true);
            bRedraw = release.bRedraw;
            bBrowsed = bBrowsed || release.bBrowse;
            break;
        }
        case kLoseWindow:
            button.StopTracking();
            break;
        }
        strLooks += "RPD"[button.CurrentLook()];
        if (bRedraw)
            strLooks += '!';
    }
    EXPECT_EQ(strLooks, GetParam().pszLooks);
    EXPECT_EQ(bBrowsed, GetParam().bBrowses);
    EXPECT_FALSE(button.IsTracking());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrowseButtonTracking,
    ::testing::Values(TrackCase{"ClickBrowses", {kPressOn, kReleaseOn}, "P!R!", true},
                      TrackCase{"DraggedOffAndReleasedOpensNothing", {kPressOn, kMoveOff, kReleaseOff}, "P!R!R", false},
                      TrackCase{"DraggedOffAndBackBrowses", {kPressOn, kMoveOff, kMoveOn, kReleaseOn}, "P!R!P!R!",
                                true},
                      TrackCase{"MovesOverThePushedButtonDrawNothing", {kPressOn, kMoveOn, kMoveOn, kReleaseOn},
                                "P!PPR!", true},
                      TrackCase{"PressOffTheButtonIsTheTexts", {kPressOff, kMoveOn, kReleaseOn}, "RRR", false},
                      TrackCase{"ReleaseAfterTheWindowWentOpensNothing", {kPressOn, kLoseWindow, kReleaseOn},
                                "P!PP", false}),
    CaseName<TrackCase>);

TEST(BrowseButton, DisabledFieldShowsTheDisabledLookWhateverIsAsked)
{
    BrowseButton button;
    button.Place({0, 0, 100, 18});
    EXPECT_EQ(button.Show(BrowseButton::kRaised, false), BrowseButton::kDisabled);
    EXPECT_TRUE(button.Press({90, 9}, false));
    EXPECT_EQ(button.CurrentLook(), BrowseButton::kDisabled);
    EXPECT_EQ(button.Show(BrowseButton::kRaised, true), BrowseButton::kRaised);
}
