// The times the windows write: lengths in the main window and the remaining
// time of a conversion.
#include <gtest/gtest.h>

#include "media_time.h"
#include "progress_time.h"

namespace {

using movanta::app::MediaTimeText;
using movanta::app::ProgressOf;

constexpr std::int64_t kSecond = 10'000'000;

TEST(Times, TheMainWindowWritesAnHourWithOneDigit) {
    EXPECT_EQ(MediaTimeText(0), L"00:00");
    EXPECT_EQ(MediaTimeText(61 * kSecond + 9'999'999), L"01:01") << "whole seconds";
    EXPECT_EQ(MediaTimeText(3600 * kSecond), L"1:00:00");
    EXPECT_EQ(MediaTimeText(36000 * kSecond + 5 * kSecond), L"10:00:05");
    EXPECT_EQ(MediaTimeText(-kSecond), L"00:00");
}

TEST(Times, TheRemainingTimeFollowsThePaceSoFar) {
    // Half done in a minute: another minute to go.
    auto progress = ProgressOf(120 * kSecond, 60 * kSecond, 60'000);
    EXPECT_EQ(progress.percent, 50);
    EXPECT_EQ(progress.remaining, L"01:00");
    // An hour left is written with two-digit hours.
    progress = ProgressOf(7200 * kSecond, 3600 * kSecond, 3'600'000);
    EXPECT_EQ(progress.remaining, L"01:00:00");
    // Nothing done yet counts as one millisecond done.
    progress = ProgressOf(2 * kSecond, 0, 1);
    EXPECT_EQ(progress.percent, 0);
    EXPECT_EQ(progress.remaining, L"00:01") << "1999 ms to go at one millisecond a millisecond";
    // A hundred hours or more reads as nothing left; beyond the end is the end.
    EXPECT_EQ(ProgressOf(3600 * kSecond, 0, 100'000).remaining, L"00:00");
    progress = ProgressOf(10 * kSecond, 20 * kSecond, 5000);
    EXPECT_EQ(progress.percent, 100);
    EXPECT_EQ(progress.remaining, L"00:00");
    EXPECT_EQ(ProgressOf(0, 0, 0).percent, 0) << "an empty range";
    // A file that does not say its length: how far it got tells no share.
    progress = ProgressOf(0, 30 * kSecond, 5000);
    EXPECT_EQ(progress.percent, 0);
    EXPECT_EQ(progress.remaining, L"--:--");
}

}  // namespace
