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

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(file);
    ASSERT_EQ(bytes.size(), written);
}

TEST(WholeFile, ReadsEveryByteAcrossReadBlocksAndAnEmptyFile) {
    std::string bytes;
    for (int i = 0; i < 40000; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 256));  // holds NULs
    const std::wstring path = ScratchPath(L"whole_file_test.bin");
    WriteBytes(path, bytes);
    std::string read = "stale";
    EXPECT_TRUE(pillar::ReadWholeFile(path, read));
    EXPECT_EQ(bytes, read);

    WriteBytes(path, std::string());
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
}

} // namespace
