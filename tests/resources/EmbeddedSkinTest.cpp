#include <gtest/gtest.h>

#include <string>

#include "ResourceTestSupport.h"
#include "ui/core/UiGlobals.h"

using resources_test::ReadWholeFile;
using ui::UiGlobals;

namespace {

std::string SourceFile(const std::wstring& relative) {
    return ReadWholeFile(std::wstring(L"" RESOURCES_SOURCE_ROOT) + L"/" + relative);
}

std::string Member(const std::wstring& path) {
    size_t size = 0;
    ui::GlobalMemoryBlock block = UiGlobals::GetArchiveData(path, &size);
    if (!block) return std::string();
    ui::GlobalMemoryLock lock(block.Get());
    return std::string(static_cast<const char*>(lock.Data()), size);
}

class EmbeddedSkin : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(UiGlobals::OpenSkinArchive("")); }
    void TearDown() override {
        UiGlobals::CloseSkinArchive();
        UiGlobals::Strings().Clear();
    }
};

} // namespace

TEST_F(EmbeddedSkin, HoldsTheSkinFilesByteForByte) {
    for (const wchar_t* name : {L"resources/themes/default/basic/basic.xml", L"resources/themes/default/global.xml",
                                L"resources/lang/en_US/gdstrings.ini", L"resources/themes/default/basic/loading.gif"}) {
        std::string packed = Member(name);
        ASSERT_FALSE(packed.empty()) << "missing member";
        EXPECT_EQ(packed, SourceFile(name));
    }
    EXPECT_NE(Member(L"resources\\themes\\default\\basic\\basic.xml").find("<Window"), std::string::npos);
}

TEST_F(EmbeddedSkin, ParentStepsReachThePublicFolder) {
    std::string shadow = Member(L"resources\\themes\\default\\basic\\..\\public\\bk\\bk_shadow.png");
    ASSERT_GE(shadow.size(), 8u);
    EXPECT_EQ(shadow.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
}

TEST_F(EmbeddedSkin, MarkupAndLanguageLoadFromTheArchive) {
    UiGlobals::SetResourceRoot(L"resources\\themes\\default");
    std::string markup;
    ASSERT_TRUE(UiGlobals::ReadMarkup(L"basic\\basic.xml", markup));
    EXPECT_EQ(markup, SourceFile(L"resources/themes/default/basic/basic.xml"));

    UiGlobals::LoadLanguage(L"resources\\", L"lang\\zh_CN");
    EXPECT_EQ(UiGlobals::Strings().LookupString(L"STRID_OK"), L"\u786E\u5B9A");
    EXPECT_EQ(UiGlobals::Strings().LookupString(L"STRID_LOAD_FAILED").find(L'\n') != std::wstring::npos, true);
}

TEST_F(EmbeddedSkin, ReopeningReplacesTheArchive) {
    ASSERT_TRUE(UiGlobals::OpenSkinArchive(""));
    EXPECT_TRUE(UiGlobals::IsSkinArchiveOpen());
    EXPECT_FALSE(Member(L"resources/themes/default/global.xml").empty());
    UiGlobals::CloseSkinArchive();
    EXPECT_FALSE(UiGlobals::IsSkinArchiveOpen());
    EXPECT_TRUE(Member(L"resources/themes/default/global.xml").empty());
}
