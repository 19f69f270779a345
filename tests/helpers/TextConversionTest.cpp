#include "pillar/TextConversion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextConversion, Utf8RoundTripKeepsNonAsciiAndEmbeddedNul) {
    const std::wstring wide = std::wstring(L"\x542F\x52A8 caf\x00E9 ") + L'\0' + L"\xD83D\xDE00 end";
    const std::string utf8 = pillar::WideToUtf8(wide);
    // Two CJK (3 bytes each), e-acute (2), the emoji pair (4): nothing dropped at the NUL.
    EXPECT_EQ(std::string("\xE5\x90\xAF\xE5\x8A\xA8 caf\xC3\xA9 ") + '\0' + "\xF0\x9F\x98\x80 end", utf8);
    EXPECT_EQ(wide, pillar::Utf8ToWide(utf8));
}

TEST(TextConversion, EmptyAndNullInputGiveEmptyText) {
    EXPECT_TRUE(pillar::Utf8ToWide("").empty());
    EXPECT_TRUE(pillar::WideToUtf8(L"").empty());
    EXPECT_TRUE(pillar::MultiByteToWide(nullptr, 5, CP_UTF8).empty());
    EXPECT_TRUE(pillar::WideToMultiByte(nullptr, 5, CP_UTF8).empty());
}

} // namespace
