#include "pillar/PlainFileName.h"

#include <gtest/gtest.h>

namespace {

TEST(PlainFileName, AcceptsNamesThatStayInTheFolder) {
    for (const char* name : {"Config.ini", "a..b", ".hidden", "bg 1.png", "x.", "\xE5\x9B\xBE.png"})
        EXPECT_TRUE(pillar::IsPlainFileName(name)) << name;
    EXPECT_TRUE(pillar::IsPlainFileName(L"\x56FE\x6807.png"));
}

TEST(PlainFileName, RefusesSeparatorsColonsAndDotForms) {
    // The last "/"-segment of "http://host/img/a\..\..\x.dll", and the
    // forms Windows reads as the folder itself or its parent.
    for (const char* name : {"a\\..\\..\\x.dll", "a/b", "\\x", "C:x.dll", "x.png:stream", "", ".", "..", "...",
                             ". .", ".. ", " ", " . "})
        EXPECT_FALSE(pillar::IsPlainFileName(name)) << "[" << name << "]";
    for (const wchar_t* name : {L"..\\x.dll", L"a/b", L"C:x", L"..", L". ", L""})
        EXPECT_FALSE(pillar::IsPlainFileName(name));
}

} // namespace
