#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "SpreadsheetSession.h"

namespace {

// An application that records its life and can be told how Quit behaves.
class FakeApplication : public Application {
public:
    FakeApplication(std::vector<std::string> &events, std::string strName, bool bQuitFails = false)
        : m_events(events), m_strName(std::move(strName)), m_bQuitFails(bQuitFails)
    {
    }
    ~FakeApplication() override { m_events.push_back("release " + m_strName); }

    std::string LibraryPath() override { return ""; }
    bool RegisterXLL(const std::string &) override { return true; }
    std::unique_ptr<Workbooks> GetWorkbooks() override { return nullptr; }
    void Quit() override
    {
        m_events.push_back("quit " + m_strName);
        if (m_bQuitFails)
            throw OleFailure(kStatusDisconnected);
    }

private:
    std::vector<std::string> &m_events;
    std::string m_strName;
    bool m_bQuitFails;
};

}  // namespace

TEST(DispatchHolder, ReleasesTheOldReferenceBeforeHoldingTheNewOne)
{
    std::vector<std::string> events;
    DispatchHolder<Application> holder;
    holder.Attach(std::make_unique<FakeApplication>(events, "first"));
    holder.Attach(std::make_unique<FakeApplication>(events, "second"));
    EXPECT_THAT(events, testing::ElementsAre("release first"));
    holder.Release();
    EXPECT_THAT(events, testing::ElementsAre("release first", "release second"));
    EXPECT_TRUE(holder.IsEmpty());
}

TEST(DispatchHolder, ReleasesOnDestructionAndIgnoresAnEmptyRelease)
{
    std::vector<std::string> events;
    {
        DispatchHolder<Application> holder;
        holder.Release();
        EXPECT_TRUE(holder.IsEmpty());
        holder.Attach(std::make_unique<FakeApplication>(events, "only"));
        EXPECT_FALSE(holder.IsEmpty());
        EXPECT_TRUE(events.empty());
    }
    EXPECT_THAT(events, testing::ElementsAre("release only"));
}

TEST(EndApplication, QuitsThenReleases)
{
    std::vector<std::string> events;
    DispatchHolder<Application> holder;
    holder.Attach(std::make_unique<FakeApplication>(events, "calc"));
    EndApplication(holder);
    EXPECT_THAT(events, testing::ElementsAre("quit calc", "release calc"));
    EXPECT_TRUE(holder.IsEmpty());
}

TEST(EndApplication, SwallowsAFailingQuitAndStillReleases)
{
    std::vector<std::string> events;
    DispatchHolder<Application> holder;
    holder.Attach(std::make_unique<FakeApplication>(events, "dead", true));
    EXPECT_NO_THROW(EndApplication(holder));
    EXPECT_THAT(events, testing::ElementsAre("quit dead", "release dead"));
    EXPECT_TRUE(holder.IsEmpty());
}

TEST(EndApplication, LeavesAnEmptyHolderAlone)
{
    DispatchHolder<Application> holder;
    EXPECT_NO_THROW(EndApplication(holder));
    EXPECT_TRUE(holder.IsEmpty());
}

TEST(AutomationFailure, EveryKindCarriesItsDataAndAReadableText)
{
    const OleFailure ole(kStatusDisconnected);
    EXPECT_EQ(ole.Status(), 0x80010108u);
    EXPECT_STREQ(ole.what(), "spreadsheet call failed with status 0x80010108");

    const DispatchFailure dispatch(7, "No such sheet");
    EXPECT_EQ(dispatch.Code(), 7);
    EXPECT_EQ(dispatch.Description(), "No such sheet");
    EXPECT_STREQ(dispatch.what(), "spreadsheet error 7: No such sheet");

    const FileFailure file("cannot open");
    EXPECT_STREQ(file.what(), "posting log: cannot open");
}
