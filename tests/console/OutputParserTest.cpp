// Output parsers of the download and extraction drivers, fed chunks directly.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Launcher/console/Aria2Control.h"
#include "Launcher/console/FindLastMatchGroup.h"
#include "Launcher/console/SevenZipControl.h"

TEST(FindLastMatchGroup, TakesTheGroupOfTheLastMatch) {
    EXPECT_EQ(FindLastMatchGroup(" 98% x 99% y", "((\\d+))%", 1), "99");
    EXPECT_EQ(FindLastMatchGroup("a1b22", "\\d+", 0), "22");
    // No match, a group the pattern lacks, a pattern that does not compile.
    EXPECT_EQ(FindLastMatchGroup("nothing here", "\\d+", 0), "");
    EXPECT_EQ(FindLastMatchGroup("12 34", "\\d+", 1), "");
    EXPECT_EQ(FindLastMatchGroup("12 34", "(\\d+", 0), "");
}

TEST(Aria2ParseSize, ConvertsUnitsCaseInsensitively) {
    int64_t bytes = -1;
    ASSERT_TRUE(Aria2Control::ParseSize("12.5MiB", bytes));
    EXPECT_EQ(bytes, 13107200);
    ASSERT_TRUE(Aria2Control::ParseSize("980KiB", bytes));
    EXPECT_EQ(bytes, 980 * 1024);
    ASSERT_TRUE(Aria2Control::ParseSize("1.5GIB", bytes));
    EXPECT_EQ(bytes, 1610612736);
    ASSERT_TRUE(Aria2Control::ParseSize("0B", bytes));
    EXPECT_EQ(bytes, 0);
    ASSERT_TRUE(Aria2Control::ParseSize("", bytes));
    EXPECT_EQ(bytes, 0);
    // The number stops at a second dot; the result is truncated.
    ASSERT_TRUE(Aria2Control::ParseSize("1.2.5B", bytes));
    EXPECT_EQ(bytes, 1);
    ASSERT_TRUE(Aria2Control::ParseSize("1.2MiB", bytes));
    EXPECT_EQ(bytes, 1258291);
}

TEST(Aria2ParseSize, RejectsBadTextAndPinsAbsurdSizes) {
    int64_t bytes = 7;
    const char* failure = nullptr;
    EXPECT_FALSE(Aria2Control::ParseSize("MiB", bytes, &failure));
    EXPECT_STREQ(failure, "Invalid size format");
    EXPECT_FALSE(Aria2Control::ParseSize("123", bytes, &failure));
    EXPECT_STREQ(failure, "Invalid size format");
    for (const char* unit : {"3TiB", "3kb", "3iB", "3MB"}) {
        failure = nullptr;
        EXPECT_FALSE(Aria2Control::ParseSize(unit, bytes, &failure)) << unit;
        EXPECT_STREQ(failure, "Unsupported unit") << unit;
    }
    EXPECT_EQ(bytes, 7);  // untouched by failures
    // Games beyond 2 GiB keep their size; only an absurd one is pinned.
    ASSERT_TRUE(Aria2Control::ParseSize("2GiB", bytes));
    EXPECT_EQ(bytes, 2147483648LL);
    ASSERT_TRUE(Aria2Control::ParseSize("99999999999999999999GiB", bytes));
    EXPECT_EQ(bytes, INT64_MAX);
}

TEST(Aria2ParseEta, SumsHoursMinutesSeconds) {
    uint32_t seconds = 0;
    ASSERT_TRUE(Aria2Control::ParseEta("ETA:1h2m3s", seconds));
    EXPECT_EQ(seconds, 3723u);
    ASSERT_TRUE(Aria2Control::ParseEta("ETA:45s", seconds));
    EXPECT_EQ(seconds, 45u);
    ASSERT_TRUE(Aria2Control::ParseEta("ETA:1m20s", seconds));
    EXPECT_EQ(seconds, 80u);
    ASSERT_TRUE(Aria2Control::ParseEta("", seconds));
    EXPECT_EQ(seconds, 0u);

    const char* failure = nullptr;
    seconds = 9;
    EXPECT_FALSE(Aria2Control::ParseEta("ETA:0s", seconds, &failure));
    EXPECT_STREQ(failure, "Invalid format");
    EXPECT_FALSE(Aria2Control::ParseEta("ETA:", seconds));
    EXPECT_EQ(seconds, 9u);
    // A runaway digit string saturates instead of overflowing.
    ASSERT_TRUE(Aria2Control::ParseEta("ETA:99999999999999999999999h", seconds));
    EXPECT_EQ(seconds, 0xFFFFFFFFu);
}

TEST(Aria2ParseOutput, ReadsASummaryLine) {
    Aria2Control aria2;
    aria2.ParseOutput("[#2a1b3c 4.0MiB/100MiB(4%) CN:16 DL:1.2MiB ETA:1m20s]");
    EXPECT_EQ(aria2.Progress().bytesDone, 4 * 1048576);
    EXPECT_EQ(aria2.Progress().bytesTotal, 100 * 1048576);
    EXPECT_EQ(aria2.Progress().bytesPerSecond, 1258291);
    EXPECT_EQ(aria2.Progress().percent, 4);
    EXPECT_EQ(aria2.Progress().secondsLeft, 80);
    EXPECT_FALSE(aria2.Completed());

    // Two lines in one chunk: the second wins.
    aria2.ParseOutput("[#2a1b3c 8.0MiB/100MiB(8%) CN:16 DL:2.0MiB ETA:40s]\n"
                      "[#2a1b3c 37MiB/100MiB(37%) CN:16 DL:3.0MiB ETA:21s]\n");
    EXPECT_EQ(aria2.Progress().bytesDone, 37 * 1048576);
    EXPECT_EQ(aria2.Progress().percent, 37);
    EXPECT_EQ(aria2.Progress().secondsLeft, 21);

    // A game beyond 4 GiB: neither size wraps nor sticks at 2 GiB.
    aria2.ParseOutput("[#2a1b3c 3.2GiB/4.5GiB(71%) CN:16 DL:40MiB ETA:1h2m3s]");
    EXPECT_EQ(aria2.Progress().bytesDone, 3435973836LL);
    EXPECT_EQ(aria2.Progress().bytesTotal, 4831838208LL);
    EXPECT_EQ(aria2.Progress().secondsLeft, 3723);
}

TEST(Aria2ParseOutput, AbsentValuesKeepOrClearAsTheirKindDemands) {
    Aria2Control aria2;
    aria2.ParseOutput("[#1 5.0MiB/10MiB(50%) CN:4 DL:1.0MiB ETA:5s]");
    // No pattern at all: sizes and percent stay, speed and time left clear.
    aria2.ParseOutput("Redirecting to http://mirror/game.zip");
    EXPECT_EQ(aria2.Progress().bytesDone, 5 * 1048576);
    EXPECT_EQ(aria2.Progress().bytesTotal, 10 * 1048576);
    EXPECT_EQ(aria2.Progress().percent, 50);
    EXPECT_EQ(aria2.Progress().bytesPerSecond, 0);
    EXPECT_EQ(aria2.Progress().secondsLeft, 0);
    // TiB sizes count as absent, a 0% never overwrites a real value, and
    // half a line (a split read) matches nothing.
    aria2.ParseOutput("[#1 1.0TiB/2.0TiB(0%) CN:4]");
    aria2.ParseOutput("[#1 6.0M");
    aria2.ParseOutput("iB/10MiB(6");
    EXPECT_EQ(aria2.Progress().bytesDone, 5 * 1048576);
    EXPECT_EQ(aria2.Progress().bytesTotal, 10 * 1048576);
    EXPECT_EQ(aria2.Progress().percent, 50);
}

TEST(Aria2ParseOutput, CompletionFreezesTheRecord) {
    Aria2Control aria2;
    aria2.ParseOutput("[#1 9.0MiB/10MiB(90%) CN:4 DL:1.0MiB ETA:1s]");
    aria2.ParseOutput("\n12/08 01:02:03 [NOTICE] Download complete: tmp\\game.zip\n"
                      "Status Legend:\n(OK):download completed.\n");
    EXPECT_TRUE(aria2.Completed());
    EXPECT_EQ(aria2.Progress().percent, 100);
    EXPECT_EQ(aria2.Progress().bytesDone, 10 * 1048576);

    aria2.ParseOutput("[#2 1.0MiB/50MiB(50%) CN:4 DL:9.0MiB ETA:9s]");
    EXPECT_EQ(aria2.Progress().percent, 100);
    EXPECT_EQ(aria2.Progress().bytesTotal, 10 * 1048576);
    EXPECT_EQ(aria2.Progress().secondsLeft, 0);
}

TEST(SevenZipParseOutput, FollowsPercentagesUntilSuccess) {
    SevenZipControl sevenZip;
    sevenZip.ParseOutput(" 37% 12 - data\\file.pak");
    EXPECT_EQ(sevenZip.Progress().percent, 37);
    sevenZip.ParseOutput(" 98%\b\b\b\b 99%");
    EXPECT_EQ(sevenZip.Progress().percent, 99);
    // 0% and a value beyond 32 bits are ignored.
    sevenZip.ParseOutput(" 0%");
    sevenZip.ParseOutput(" 99999999999%");
    EXPECT_EQ(sevenZip.Progress().percent, 99);
    EXPECT_FALSE(sevenZip.Completed());
    // Half of the success text is not success.
    sevenZip.ParseOutput("\nEverything is");
    EXPECT_FALSE(sevenZip.Completed());
    sevenZip.ParseOutput("\nFiles: 2\nSize: 12\nEverything is Ok\n");
    EXPECT_EQ(sevenZip.Progress().percent, 100);
    EXPECT_TRUE(sevenZip.Completed());
}
