#include "pillar/WholeFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring ScratchPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

// Size as the file system reports it, independent of the reader under test.
long long DiskSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

TEST(WholeFile, RoundTripAcrossReadBlocksAndTruncationToEmpty) {
    std::string bytes;
    for (int i = 0; i < 40000; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 256));  // holds NULs
    const std::wstring path = ScratchPath(L"whole_file_test.bin");
    ASSERT_TRUE(pillar::WriteWholeFile(path, bytes));
    EXPECT_EQ(40000, DiskSize(path));
    std::string read = "stale";
    EXPECT_TRUE(pillar::ReadWholeFile(path, read));
    EXPECT_EQ(bytes, read);

    // Writing nothing over a longer file leaves it empty, not with the old tail.
    ASSERT_TRUE(pillar::WriteWholeFile(path, nullptr, 0));
    EXPECT_EQ(0, DiskSize(path));
    EXPECT_TRUE(pillar::ReadWholeFile(path, read));
    EXPECT_TRUE(read.empty());
    ::DeleteFileW(path.c_str());
}

TEST(WholeFile, MissingFileOrFolderFailsWithNoBytes) {
    std::string read = "stale";
    EXPECT_FALSE(pillar::ReadWholeFile(ScratchPath(L"no_such_file_here.bin"), read));
    EXPECT_TRUE(read.empty());
    read = "stale";
    EXPECT_FALSE(pillar::ReadWholeFile(ScratchPath(L""), read));  // a folder cannot be read as a file
    EXPECT_TRUE(read.empty());

    EXPECT_FALSE(pillar::WriteWholeFile(ScratchPath(L"no_such_folder_here\\f.bin"), std::string("x")));
    const std::wstring path = ScratchPath(L"whole_file_null.bin");
    EXPECT_FALSE(pillar::WriteWholeFile(path, nullptr, 3));  // no bytes to write is not "written"
    ::DeleteFileW(path.c_str());
}

} // namespace
