#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "CallWatchdog.h"

using namespace std::chrono_literals;

TEST(CallWatchdog, RunsTheActionWhenACallOverrunsItsDeadline)
{
    std::promise<void> expired;
    CallWatchdog watchdog([&expired] { expired.set_value(); });
    watchdog.Arm(0ms);
    ASSERT_EQ(expired.get_future().wait_for(30s), std::future_status::ready);
    EXPECT_TRUE(watchdog.Disarm());
}

TEST(CallWatchdog, StaysQuietForACallThatEndsInTime)
{
    std::atomic<int> expiries{0};
    {
        CallWatchdog watchdog([&expiries] { ++expiries; });
        for (int call = 0; call < 100; ++call) {
            watchdog.Arm(1h);
            EXPECT_FALSE(watchdog.Disarm());
        }
    }
    EXPECT_EQ(expiries, 0);
}

TEST(CallWatchdog, IsReadyForTheNextCallAfterFiring)
{
    std::promise<void> first;
    std::atomic<int> expiries{0};
    CallWatchdog watchdog([&] {
        if (++expiries == 1)
            first.set_value();
    });
    watchdog.Arm(0ms);
    ASSERT_EQ(first.get_future().wait_for(30s), std::future_status::ready);
    watchdog.Arm(1h);
    EXPECT_FALSE(watchdog.Disarm());
    EXPECT_EQ(expiries, 1);
}

TEST(WatchedCall, DisarmsAtTheEndOfItsScope)
{
    std::atomic<int> expiries{0};
    CallWatchdog watchdog([&expiries] { ++expiries; });
    {
        WatchedCall call(watchdog, 1h);
    }
    EXPECT_FALSE(watchdog.Disarm());
    WatchedCall call(watchdog, 1h);
    EXPECT_FALSE(call.Finish());
    EXPECT_EQ(expiries, 0);
}
