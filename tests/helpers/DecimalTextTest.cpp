// Strict decimal reading: the limit holds exactly at its edge, for limits
// that are not powers of ten too, and nothing but digits is read.
#include <gtest/gtest.h>

#include <cstdint>

#include "pillar/DecimalText.h"

TEST(DecimalText, ReadsDigitsUpToTheLimitAndRefusesTheRest) {
    uint64_t value = 7;
    EXPECT_TRUE(pillar::ParseDecimal("2147483647", INT32_MAX, value));
    EXPECT_EQ(value, 2147483647u);
    EXPECT_FALSE(pillar::ParseDecimal("2147483648", INT32_MAX, value));
    EXPECT_TRUE(pillar::ParseDecimal("18446744073709551615", UINT64_MAX, value));
    EXPECT_EQ(value, UINT64_MAX);
    EXPECT_FALSE(pillar::ParseDecimal("18446744073709551616", UINT64_MAX, value));
    EXPECT_TRUE(pillar::ParseDecimal("0005", 5, value));
    EXPECT_EQ(value, 5u);
    EXPECT_FALSE(pillar::ParseDecimal("6", 5, value));
    for (const char* bad : {"", " 1", "1 ", "+1", "-1", "1e3", "0x10"}) {
        value = 7;
        EXPECT_FALSE(pillar::ParseDecimal(bad, UINT64_MAX, value)) << bad;
        EXPECT_EQ(value, 7u) << "a refused text leaves the value alone: " << bad;
    }
}
