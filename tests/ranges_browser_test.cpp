// The page of gombrel-cli ranges as a real browser shows it: headless
// Chromium (Debian's chromium package, which scripts/setup installs) opens
// the page made over the sample, with name resolution mapped to nowhere so
// that nothing leaves the machine.  Its DOM must hold one chart in each
// group's section, its network log no request made for the page, and its
// screenshot a drawn page.  Without Chromium the test fails: a machine that
// cannot show the page has not checked it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "CommandOutput.h"
#include "Commands.h"
#include "SampleResults.h"
#include "ScratchFolder.h"

namespace {

constexpr int kWidth = 1200, kHeight = 2000;

// GOMBREL_CHROMIUM, else Debian's chromium on the PATH; empty when neither.
std::string FindChromium()
{
    if (const char *pszGiven = std::getenv("GOMBREL_CHROMIUM"))
        return pszGiven;
    const char *pszPath = std::getenv("PATH");
    std::istringstream folders(pszPath ? pszPath : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / "chromium";
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate.string();
    }
    return "";
}

// Width and height from a PNG's header; 0 when it is no PNG.
std::pair<unsigned, unsigned> PngSize(const std::string &strBytes)
{
    if (strBytes.size() < 24 || strBytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || strBytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto word = [&](size_t at) {
        unsigned value = 0;
        for (size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(strBytes[at + i]);
        return value;
    };
    return {word(16), word(20)};
}

TEST(RangesPage, ChromiumShowsOneChartPerGroupAndFetchesNothing)
{
    const std::string chromium = FindChromium();
    ASSERT_FALSE(chromium.empty()) << "headless Chromium was not found (Debian's chromium package, which "
                                      "scripts/setup installs, or GOMBREL_CHROMIUM): the page was not checked";
    const ScratchFolder folders;
    std::filesystem::create_directory(folders / "doe2");
    std::string failure;
    ASSERT_TRUE(WriteSampleResults(folders / "results", failure)) << failure;
    const std::string page = folders / "ranges.html";
    std::ostringstream out, err;
    ASSERT_EQ(RunRangesCommand({"--doe2", folders / "doe2", "--results", folders / "results", "--html", page}, out,
                               err),
              0)
        << err.str();

    const std::string command =
        "timeout 300 '" + chromium +
        "' --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking"
        " --disable-component-update --disable-sync --hide-scrollbars --host-resolver-rules='MAP * ~NOTFOUND'"
        " --user-data-dir='" + folders / "profile" + "' --log-net-log='" + folders / "net.json" +
        "' --window-size=" + std::to_string(kWidth) + ',' + std::to_string(kHeight) + " --screenshot='" +
        folders / "page.png" + "' --dump-dom 'file://" + page + "' >'" + folders / "dom.html" + "' 2>'" +
        folders / "chromium.log" + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command << '\n' << ReadWholeFile(folders / "chromium.log");

    // The DOM Chromium built: every group's section and its one chart.
    const std::string source = ReadWholeFile(page), dom = ReadWholeFile(folders / "dom.html");
    const size_t groups = Occurrences(source, "<section class=\"group\"");
    EXPECT_GE(groups, 90u);
    EXPECT_EQ(Occurrences(dom, "<section class=\"group\""), groups);
    EXPECT_EQ(Occurrences(dom, "<svg class=\"chart\""), groups);
    for (size_t at = dom.find("<section class=\"group\""); at != std::string::npos;
         at = dom.find("<section class=\"group\"", at + 1)) {
        const std::string section = dom.substr(at, dom.find("</section>", at) - at);
        EXPECT_EQ(Occurrences(section, "<svg"), 1u) << section.substr(0, 120);
    }
    EXPECT_NE(dom.find("inside or outside the range of the example results."), std::string::npos);

    // Requests made for the page carry its file:// origin in the network
    // log; Chromium's own (updates, accounts) carry none.
    const std::string net = ReadWholeFile(folders / "net.json");
    EXPECT_NE(net.find("\"events\""), std::string::npos) << "no network log";
    EXPECT_EQ(net.find("\"network_isolation_key\":\"file://"), std::string::npos) << "the page fetched something";

    // A drawn page, not an empty one (which Chromium writes in a few KB).
    const std::string png = ReadWholeFile(folders / "page.png");
    EXPECT_EQ(PngSize(png), std::make_pair(unsigned(kWidth), unsigned(kHeight)));
    EXPECT_GT(png.size(), 100000u);
}

}  // namespace
