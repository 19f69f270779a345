#include "Launcher/patch/FileChecksum.h"
#include "pillar/WholeFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> RandomBytes(std::mt19937& random, size_t length) {
    std::vector<unsigned char> bytes(length);
    for (auto& byte : bytes)
        byte = static_cast<unsigned char>(random());
    return bytes;
}

// A temp folder of its own; files written into it are removed afterwards.
class ChecksumFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ = std::wstring(temp) + L"checksum_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const auto& path : written_)
            DeleteFileW(path.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    std::wstring Write(const std::wstring& name, const std::vector<unsigned char>& bytes) {
        const std::wstring path = folder_ + name;
        EXPECT_TRUE(pillar::WriteWholeFile(path, bytes.data(), bytes.size()));
        written_.push_back(path);
        return path;
    }
    std::wstring folder_;
    std::vector<std::wstring> written_;
};

} // namespace

TEST(Crc32RoutineTest, ZlibAgreesWithTheSystemRoutine) {
    const Crc32Routine system = LoadCrc32Routine();
    ASSERT_NE(nullptr, system);
    std::mt19937 random(12345);
    const size_t lengths[] = {0, 1, 3, 7, 8, 15, 16, 63, 64, 255, 1000, 4096, 65537, 1 << 20};
    for (size_t length : lengths) {
        const auto bytes = RandomBytes(random, length);
        const uint32_t initials[] = {0u, ChecksumSeed, 0xFFFFFFFFu, static_cast<uint32_t>(random())};
        for (uint32_t initial : initials) {
            SCOPED_TRACE(testing::Message() << "length " << length << " initial " << initial);
            EXPECT_EQ(system(initial, bytes.data(), static_cast<INT>(length)),
                      Crc32Continue(initial, bytes.data(), length));
        }
    }
    // The well-known check value of CRC-32.
    EXPECT_EQ(0xCBF43926u, Crc32Continue(0, "123456789", 9));
    EXPECT_EQ(0xCBF43926u, system(0, reinterpret_cast<const BYTE*>("123456789"), 9));
}

TEST(Crc32RoutineTest, ResolutionFailuresPickTheirMessage) {
    const Crc32Resolution good = ResolveCrc32Routine(L"Ntdll.dll", "RtlComputeCrc32");
    EXPECT_NE(nullptr, good.routine);
    EXPECT_EQ(nullptr, good.failureText);

    const Crc32Resolution noLibrary = ResolveCrc32Routine(L"NoSuchLibrary_4711.dll", "RtlComputeCrc32");
    EXPECT_EQ(nullptr, noLibrary.routine);
    ASSERT_NE(nullptr, noLibrary.failureText);
    EXPECT_EQ(std::wstring(L"API Error 1."), noLibrary.failureText);

    const Crc32Resolution noRoutine = ResolveCrc32Routine(L"Ntdll.dll", "RtlNoSuchRoutine4711");
    EXPECT_EQ(nullptr, noRoutine.routine);
    ASSERT_NE(nullptr, noRoutine.failureText);
    EXPECT_EQ(std::wstring(L"API Error 2."), noRoutine.failureText);
    EXPECT_EQ(std::wstring(L"Zadu Rizodi"), Crc32FailureCaption);
}

TEST(Crc32RoutineTest, ListValuesFollowTheRuntimeConversion) {
    EXPECT_EQ(123, ParseListValue("123"));
    EXPECT_EQ(-5, ParseListValue("  -5junk"));
    EXPECT_EQ(0, ParseListValue("junk"));
    EXPECT_EQ(0, ParseListValue(""));
    EXPECT_EQ(INT32_MAX, ParseListValue("2147483647"));
    EXPECT_EQ(INT32_MAX, ParseListValue("2147483648"));
    EXPECT_EQ(INT32_MAX, ParseListValue("99999999999999999999999"));
    EXPECT_EQ(INT32_MIN, ParseListValue("-2147483648"));
    EXPECT_EQ(INT32_MIN, ParseListValue("-2147483649"));

    // A checksum whose masked value has the top bit set is published negative
    // and still matches; its unsigned decimal text saturates and does not.
    const uint32_t checksum = 0x80000001u ^ ChecksumMask;
    const int32_t published = ListValueOf(checksum);
    EXPECT_LT(published, 0);
    EXPECT_TRUE(ChecksumMatches(checksum, ParseListValue(std::to_string(published))));
    EXPECT_FALSE(ChecksumMatches(checksum, ParseListValue(std::to_string(0x80000001u))));
    EXPECT_FALSE(ChecksumMatches(checksum ^ 1u, published));
    // An unreadable file's 0 matches only the mask itself.
    EXPECT_TRUE(ChecksumMatches(0, static_cast<int32_t>(ChecksumMask)));
}

TEST_F(ChecksumFileTest, StreamedFileEqualsBufferChecksum) {
    std::mt19937 random(99);
    const size_t sizes[] = {1, ChecksumFileBlock - 1, ChecksumFileBlock, ChecksumFileBlock + 1,
                            3 * ChecksumFileBlock + 12345};
    for (size_t size : sizes) {
        SCOPED_TRACE(testing::Message() << "size " << size);
        const auto bytes = RandomBytes(random, size);
        const std::wstring path = Write(L"f" + std::to_wstring(size) + L".bin", bytes);
        EXPECT_EQ(BufferChecksum(bytes.data(), bytes.size()), FileChecksumOfPath(path));
    }
}

TEST_F(ChecksumFileTest, PublishedListValuesNeverChange) {
    // Every list already published holds values made this way: a change of
    // the seed, the mask or the CRC itself would fail every file of every
    // game. Known answers, not the code's own constants.
    const std::vector<unsigned char> nine = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(0xF5768CC6u, BufferChecksum(nine.data(), nine.size()));
    const uint32_t fromFile = FileChecksumOfPath(Write(L"nine.txt", nine));
    EXPECT_EQ(0xF5768CC6u, fromFile);
    EXPECT_EQ(-1368297873, ListValueOf(fromFile));
    EXPECT_TRUE(ChecksumMatches(fromFile, ParseListValue("-1368297873")));
}

TEST_F(ChecksumFileTest, EmptyAndMissingFiles) {
    const std::wstring empty = Write(L"empty.bin", {});
    EXPECT_EQ(ChecksumSeed, FileChecksumOfPath(empty));
    EXPECT_EQ(0u, FileChecksumOfPath(folder_ + L"missing.bin"));
    // A folder cannot be read as a file.
    EXPECT_EQ(0u, FileChecksumOfPath(folder_));
}
