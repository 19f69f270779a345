// The test prefix must render the skin's Chinese face names with a real CJK
// font; without the mapping Chinese texts draw as empty boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring ReplacementFor(const wchar_t* face) {
    wchar_t value[128] = {};
    DWORD size = sizeof(value);
    LONG rc = RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", face,
                           RRF_RT_REG_SZ, nullptr, value, &size);
    return rc == ERROR_SUCCESS ? value : L"";
}

int CALLBACK CountFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return 1;
}

} // namespace

TEST(WineEnvironment, SkinFaceNamesMapToAnInstalledCjkFont) {
    for (const wchar_t* face : {L"\x5FAE\x8F6F\x96C5\x9ED1", L"Microsoft YaHei", L"\x65B0\x5B8B\x4F53"}) {
        EXPECT_EQ(ReplacementFor(face), L"WenQuanYi Micro Hei");
    }
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(query.lfFaceName, L"WenQuanYi Micro Hei");
    int found = 0;
    EnumFontFamiliesExW(dc, &query, CountFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    EXPECT_GT(found, 0);
}
