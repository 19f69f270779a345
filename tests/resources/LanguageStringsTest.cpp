#include <gtest/gtest.h>

#include <string>

#include "ResourceTestSupport.h"
#include "pillar/WholeFile.h"
#include "ui/core/GlobalMemoryBlock.h"
#include "ui/core/LanguageStrings.h"

using ui::LanguageStrings;

namespace {

LanguageStrings FromText(const std::string& text) {
    LanguageStrings strings;
    strings.LoadBytes(text.data(), text.size());
    return strings;
}

// A file in the temp folder, removed again when the test ends.
class TempFile {
public:
    explicit TempFile(const std::string& bytes) {
        wchar_t folder[MAX_PATH], name[MAX_PATH];
        ::GetTempPathW(MAX_PATH, folder);
        ::GetTempFileNameW(folder, L"lng", 0, name);
        path_ = name;
        EXPECT_TRUE(pillar::WriteWholeFile(path_, bytes));
    }
    ~TempFile() { ::DeleteFileW(path_.c_str()); }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

} // namespace

TEST(LanguageStrings, LineAnalysisRules) {
    LanguageStrings s = FromText(
        "PLAIN=Hello\n"
        "  SPACED  =  padded text \t\r\n"
        "THREE=a=b\n"
        "EMPTY=\n"
        "=novalue\n"
        ";COMMENT=ignored\n"
        "KEY;X=ignored too\n"
        "RUNS===separated==\n"
        "TWICE=first\n"
        "TWICE=second\n"
        "no separator at all\n"
        "UTF8=\xE7\xA1\xAE\xE5\xAE\x9A\n"
        "LAST=no line feed");
    EXPECT_EQ(s.LookupString(L"PLAIN"), L"Hello");
    EXPECT_EQ(s.LookupString(L"SPACED"), L"padded text");
    EXPECT_EQ(s.LookupString(L"THREE"), L"") << "a text containing '=' makes the line ignored";
    EXPECT_EQ(s.LookupString(L"EMPTY"), L"");
    EXPECT_EQ(s.LookupString(L";COMMENT"), L"");
    EXPECT_EQ(s.LookupString(L"KEY;X"), L"");
    EXPECT_EQ(s.LookupString(L"RUNS"), L"separated");
    EXPECT_EQ(s.LookupString(L"TWICE"), L"second");
    EXPECT_EQ(s.LookupString(L"UTF8"), L"\u786E\u5B9A");
    EXPECT_EQ(s.LookupString(L"LAST"), L"no line feed");
    EXPECT_EQ(s.LookupString(L""), L"");
    EXPECT_EQ(s.LookupString(L"plain"), L"") << "ids are case-sensitive";
    EXPECT_EQ(s.Size(), 6u);
}

TEST(LanguageStrings, EscapesBecomeLineBreaks) {
    LanguageStrings s = FromText("A=one\\ntwo\\r\\nthree\nB=back\\\\slash\nC=\\x\n");
    EXPECT_EQ(s.LookupString(L"A"), L"one\ntwo\r\nthree");
    EXPECT_EQ(s.LookupString(L"B"), L"back\\\\slash");
    EXPECT_EQ(s.LookupString(L"C"), L"\\x");
}

TEST(LanguageStrings, ByteOrderMarkStaysOnTheFirstLine) {
    LanguageStrings s = FromText("\xEF\xBB\xBFKEY=first line\nNEXT=ok\n");
    EXPECT_EQ(s.LookupString(L"KEY"), L"");
    EXPECT_EQ(s.LookupString(L"\uFEFFKEY"), L"first line");
    EXPECT_EQ(s.LookupString(L"NEXT"), L"ok");
}

TEST(LanguageStrings, MemoryBlocksSplitAtNulAndReplaceTheTable) {
    const std::string text("A=1\0B=2\nC=3", 11);
    ui::GlobalMemoryBlock block = ui::GlobalMemoryBlock::Allocate(text.size());
    {
        ui::GlobalMemoryLock lock(block.Get());
        memcpy(lock.Data(), text.data(), text.size());
    }
    LanguageStrings s = FromText("OLD=gone\n");
    ASSERT_TRUE(s.LoadBuffer(block.Get()));
    EXPECT_EQ(s.LookupString(L"OLD"), L"");
    EXPECT_EQ(s.LookupString(L"A"), L"1");
    EXPECT_EQ(s.LookupString(L"B"), L"2");
    EXPECT_EQ(s.LookupString(L"C"), L"3");
    EXPECT_FALSE(s.LoadBuffer(nullptr));
    EXPECT_EQ(s.Size(), 3u) << "an unusable block leaves the table alone";
}

TEST(LanguageStrings, FilesAreReadInLinesOfAtMost4095Bytes) {
    // A 5000-byte line is read as two pieces: "LONG=xxx…" (4095 bytes, an
    // entry) and the rest, which becomes its own entry.
    std::string longLine = "LONG=" + std::string(4090, 'x') + "TAIL=end";
    TempFile file("\xEF\xBB\xBF; header comment\r\nA=alpha\r\n" + longLine + "\r\nB=beta\r\n");
    LanguageStrings s;
    ASSERT_TRUE(s.LoadFile(file.Path()));
    EXPECT_EQ(s.LookupString(L"A"), L"alpha");
    EXPECT_EQ(s.LookupString(L"LONG"), std::wstring(4090, L'x'));
    EXPECT_EQ(s.LookupString(L"TAIL"), L"end");
    EXPECT_EQ(s.LookupString(L"B"), L"beta");

    // The file form empties the table first, even when the file is missing.
    EXPECT_FALSE(s.LoadFile(file.Path() + L".missing"));
    EXPECT_EQ(s.Size(), 0u);
}
