#include "pillar/FileSystem.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"
#include "support/TestHttpServer.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class FileSystem : public ::testing::Test {
protected:
    void SetUp() override { scratch_ = testsupport::MakeScratchFolder(L"file-system"); }
    void TearDown() override { testsupport::RemoveTree(scratch_); }
    std::wstring scratch_;
};

TEST_F(FileSystem, MakeParentFoldersReportsFailedCreationButWalksOn) {
    const std::wstring blocker = scratch_ + L"\\plain.txt";
    ASSERT_TRUE(pillar::WriteWholeFile(blocker, std::string("a file, not a folder")));
    EXPECT_FALSE(pillar::MakeParentFolders(blocker + L"\\sub\\f.bin"));
    EXPECT_FALSE(IsFolder(blocker + L"\\sub"));

    EXPECT_TRUE(pillar::MakeParentFolders(scratch_ + L"\\a\\b\\c\\f.bin"));
    EXPECT_TRUE(IsFolder(scratch_ + L"\\a\\b\\c"));
    EXPECT_FALSE(Exists(scratch_ + L"\\a\\b\\c\\f.bin"));
    // "/" separates as the file system reads it, mixed with "\" too.
    EXPECT_TRUE(pillar::MakeParentFolders(scratch_ + L"\\x/y\\z//f.bin"));
    EXPECT_TRUE(IsFolder(scratch_ + L"\\x\\y\\z"));
    EXPECT_TRUE(pillar::MakeParentFolders(scratch_ + L"\\\\\\d\\f.bin"));
    EXPECT_TRUE(IsFolder(scratch_ + L"\\d"));
    EXPECT_TRUE(pillar::MakeParentFolders(std::wstring(L"f.bin")));
    EXPECT_TRUE(pillar::MakeParentFolders(std::wstring()));
}

} // namespace
