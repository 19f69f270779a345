#include "pillar/FileSystem.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"
#include "support/TestFiles.h"
#include "support/TestHttpServer.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Names in the folder other than "." and "..".
int CountEntries(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") ++count;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return count;
}

class FileSystem : public ::testing::Test {
protected:
    void SetUp() override { scratch_ = testsupport::MakeScratchFolder(L"file-system"); }
    void TearDown() override { testsupport::RemoveTree(scratch_); }
    std::string Narrow(const std::wstring& path) const { return pillar::WideToMultiByte(path, CP_ACP); }
    std::wstring scratch_;
};

TEST_F(FileSystem, MakeParentFoldersReportsFailedCreationButWalksOn) {
    const std::wstring blocker = scratch_ + L"\\plain.txt";
    ASSERT_TRUE(pillar::WriteWholeFile(blocker, std::string("a file, not a folder")));
    EXPECT_FALSE(pillar::MakeParentFolders(Narrow(blocker + L"\\sub\\f.bin")));
    EXPECT_FALSE(IsFolder(blocker + L"\\sub"));

    EXPECT_TRUE(pillar::MakeParentFolders(Narrow(scratch_ + L"\\a\\b\\c\\f.bin")));
    EXPECT_TRUE(IsFolder(scratch_ + L"\\a\\b\\c"));
    EXPECT_FALSE(Exists(scratch_ + L"\\a\\b\\c\\f.bin"));
    // "/" separates as the file system reads it, mixed with "\" too.
    EXPECT_TRUE(pillar::MakeParentFolders(Narrow(scratch_ + L"\\x/y\\z//f.bin")));
    EXPECT_TRUE(IsFolder(scratch_ + L"\\x\\y\\z"));
    EXPECT_TRUE(pillar::MakeParentFolders(scratch_ + L"\\\\\\d\\f.bin"));
    EXPECT_TRUE(IsFolder(scratch_ + L"\\d"));
    EXPECT_TRUE(pillar::MakeParentFolders(std::string("f.bin")));
    EXPECT_TRUE(pillar::MakeParentFolders(std::wstring()));
}

TEST_F(FileSystem, ReplacementTakesThePlaceOfTheTargetOnlyOnCommit) {
    const std::wstring target = scratch_ + L"\\new\\data.pak";
    {
        pillar::ReplacementFile replacement;
        ASSERT_TRUE(replacement.Open(target));
        EXPECT_TRUE(IsFolder(scratch_ + L"\\new"));
        ASSERT_TRUE(replacement.Write("first ", 6));
        ASSERT_TRUE(replacement.Write("version", 7));
        ASSERT_TRUE(replacement.Finish());
        EXPECT_EQ(testsupport::ReadWholeFile(replacement.TemporaryPath()), "first version");
        EXPECT_FALSE(Exists(target));
        ASSERT_TRUE(replacement.Commit());
    }
    EXPECT_EQ(testsupport::ReadWholeFile(target), "first version");
    {
        // Over an existing file, and abandoned half-way: the old file stays.
        pillar::ReplacementFile replacement;
        ASSERT_TRUE(replacement.Open(target));
        ASSERT_TRUE(replacement.Write("second", 6));
        EXPECT_FALSE(replacement.Commit());  // not finished yet
    }
    EXPECT_EQ(testsupport::ReadWholeFile(target), "first version");
    {
        pillar::ReplacementFile replacement;
        ASSERT_TRUE(replacement.Open(target));
        ASSERT_TRUE(replacement.Write("second", 6));
        ASSERT_TRUE(replacement.Finish());
        ASSERT_TRUE(replacement.Commit());
    }
    EXPECT_EQ(testsupport::ReadWholeFile(target), "second");
    EXPECT_EQ(CountEntries(scratch_ + L"\\new"), 1);
}

TEST_F(FileSystem, ReplacementThatCannotMoveLeavesNoTemporaryFile) {
    // A folder stands where the file should go.
    const std::wstring target = scratch_ + L"\\taken";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    {
        pillar::ReplacementFile replacement;
        ASSERT_TRUE(replacement.Open(target));
        ASSERT_TRUE(replacement.Write("x", 1));
        ASSERT_TRUE(replacement.Finish());
        EXPECT_FALSE(replacement.Commit());
    }
    EXPECT_TRUE(IsFolder(target));
    EXPECT_EQ(CountEntries(scratch_), 1);
    // A target whose folder cannot be made cannot be opened.
    const std::wstring blocker = scratch_ + L"\\file";
    ASSERT_TRUE(pillar::WriteWholeFile(blocker, std::string("x")));
    pillar::ReplacementFile replacement;
    EXPECT_FALSE(replacement.Open(blocker + L"\\below.pak"));
    EXPECT_FALSE(replacement.Write("x", 1));
}

} // namespace
