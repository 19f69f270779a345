#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "ResourceTestSupport.h"
#include "ui/core/ZipArchive.h"

using resources_test::DataPath;
using resources_test::GuardedBuffer;
using resources_test::ReadWholeFile;
using ui::ZipArchive;

namespace {

// The text packed as "deflated.txt" (and "-" in the streamed archive).
std::string DeflatedText() {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + ": the quick brown fox jumps over the lazy dog\n";
    return text;
}

constexpr uint32_t kStoredCrc = 0x80379735; // of the 1000 random bytes in "stored.bin"

std::string ReadMember(const ZipArchive& archive, const std::string& name, bool* ok) {
    uint32_t size = 0;
    int index = archive.FindMember(name, &size);
    *ok = false;
    if (index < 0) return std::string();
    std::string out(size, '\0');
    *ok = archive.ReadMember(index, out.empty() ? nullptr : &out[0], out.size());
    return out;
}

uint32_t Crc(const std::string& bytes) {
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

} // namespace

TEST(ZipArchive, ReadsStoredDeflatedAndEmptyMembers) {
    GuardedBuffer zip(ReadWholeFile(DataPath(L"plain.zip")));
    ASSERT_GT(zip.Size(), 0u);
    ZipArchive archive;
    ASSERT_TRUE(archive.OpenFromMemory(zip.Data(), zip.Size(), ""));
    EXPECT_EQ(archive.MemberCount(), 3u);

    bool ok = false;
    EXPECT_EQ(ReadMember(archive, "deflated.txt", &ok), DeflatedText());
    EXPECT_TRUE(ok);
    EXPECT_EQ(archive.MemberAt(archive.FindMember("deflated.txt")).method, 8);

    std::string stored = ReadMember(archive, "stored.bin", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(stored.size(), 1000u);
    EXPECT_EQ(Crc(stored), kStoredCrc);
    EXPECT_EQ(archive.MemberAt(archive.FindMember("stored.bin")).method, 0);

    EXPECT_EQ(ReadMember(archive, "empty.txt", &ok), "");
    EXPECT_TRUE(ok);
}

TEST(ZipArchive, LookupIsExactAndCaseSensitive) {
    GuardedBuffer zip(ReadWholeFile(DataPath(L"plain.zip")));
    ZipArchive archive;
    ASSERT_TRUE(archive.OpenFromMemory(zip.Data(), zip.Size(), ""));
    uint32_t size = 0;
    EXPECT_GE(archive.FindMember("stored.bin", &size), 0);
    EXPECT_EQ(size, 1000u);
    EXPECT_EQ(archive.FindMember("STORED.BIN"), -1);
    EXPECT_EQ(archive.FindMember("stored"), -1);
    EXPECT_EQ(archive.FindMember("/stored.bin"), -1);
    EXPECT_EQ(archive.FindMember(""), -1);
    EXPECT_FALSE(archive.ReadMember(-1, nullptr, 0));
    EXPECT_FALSE(archive.ReadMember(3, nullptr, 0));

    // A buffer smaller than the member is refused, not overrun.
    std::string small(999, '\0');
    EXPECT_FALSE(archive.ReadMember(archive.FindMember("stored.bin"), &small[0], small.size()));

    archive.Close();
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_EQ(archive.FindMember("stored.bin"), -1);
}

TEST(ZipArchive, DecryptsWithTheRightPasswordOnly) {
    for (const wchar_t* file : {L"encrypted.zip", L"encrypted_stream.zip"}) {
        SCOPED_TRACE(std::string(file, file + wcslen(file)));
        GuardedBuffer zip(ReadWholeFile(DataPath(file)));
        const std::string member = std::wstring(file) == L"encrypted.zip" ? "deflated.txt" : "-";

        ZipArchive right;
        ASSERT_TRUE(right.OpenFromMemory(zip.Data(), zip.Size(), "Pa55 word"));
        bool ok = false;
        EXPECT_EQ(ReadMember(right, member, &ok), DeflatedText());
        EXPECT_TRUE(ok);

        // Names are readable without the password, contents are not.
        for (const char* password : {"", "pa55 word", "Pa55 word "}) {
            ZipArchive wrong;
            ASSERT_TRUE(wrong.OpenFromMemory(zip.Data(), zip.Size(), password));
            ReadMember(wrong, member, &ok);
            EXPECT_FALSE(ok) << "password '" << password << "'";
        }
    }

    GuardedBuffer zip(ReadWholeFile(DataPath(L"encrypted.zip")));
    ZipArchive archive;
    ASSERT_TRUE(archive.OpenFromMemory(zip.Data(), zip.Size(), "Pa55 word"));
    bool ok = false;
    std::string stored = ReadMember(archive, "stored.bin", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Crc(stored), kStoredCrc);
}

TEST(ZipArchive, RejectsBuffersThatAreNotArchives) {
    ZipArchive archive;
    EXPECT_FALSE(archive.OpenFromMemory(nullptr, 100, ""));
    std::string text = "just some text, no archive here";
    GuardedBuffer plain(text);
    EXPECT_FALSE(archive.OpenFromMemory(plain.Data(), plain.Size(), ""));
    GuardedBuffer empty(std::string{});
    EXPECT_FALSE(archive.OpenFromMemory(empty.Data(), 0, ""));
    EXPECT_FALSE(archive.IsOpen());
}

// Every prefix of a valid archive: opening must fail or every read must
// either fail or give the right bytes; nothing may read past the end.
TEST(ZipArchive, TruncatedArchivesFailCleanly) {
    const std::string whole = ReadWholeFile(DataPath(L"encrypted.zip"));
    ASSERT_GT(whole.size(), 0u);
    int opened = 0;
    for (size_t length = 0; length < whole.size(); ++length) {
        GuardedBuffer zip(whole.substr(0, length));
        ZipArchive archive;
        if (!archive.OpenFromMemory(zip.Data(), zip.Size(), "Pa55 word")) continue;
        ++opened;
        bool ok = false;
        std::string text = ReadMember(archive, "deflated.txt", &ok);
        if (ok) {
            EXPECT_EQ(text, DeflatedText());
        }
    }
    EXPECT_EQ(opened, 0) << "an archive without its end record cannot open";
}

TEST(ZipArchive, CorruptedArchivesNeverReadOutOfBoundsOrReturnWrongData) {
    const std::string whole = ReadWholeFile(DataPath(L"plain.zip"));
    ASSERT_GT(whole.size(), 0u);
    std::mt19937 random(20261208);
    int readsRejected = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string damaged = whole;
        int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            size_t at = random() % damaged.size();
            // Half of the time hit the header bytes (sizes, offsets, lengths).
            if (random() % 2) at = damaged.size() - 1 - (random() % std::min<size_t>(damaged.size(), 300));
            damaged[at] = static_cast<char>(random());
        }
        GuardedBuffer zip(damaged);
        ZipArchive archive;
        if (!archive.OpenFromMemory(zip.Data(), zip.Size(), "")) continue;
        for (size_t i = 0; i < archive.MemberCount(); ++i) {
            const ZipArchive::Member& m = archive.MemberAt(i);
            if (m.uncompressedSize > (1u << 24)) continue; // a forged huge size: not worth allocating
            std::string out(m.uncompressedSize, '\0');
            if (!archive.ReadMember(static_cast<int>(i), out.empty() ? nullptr : &out[0], out.size())) {
                ++readsRejected;
                continue;
            }
            // A read that succeeds must still match its recorded checksum.
            EXPECT_EQ(Crc(out), m.crc) << "round " << round << " member " << m.name;
        }
    }
    EXPECT_GT(readsRejected, 0);
}

TEST(ZipArchive, SanitisesStoredNames) {
    EXPECT_EQ(ZipArchive::SanitiseName("resources/themes/a.xml"), "resources/themes/a.xml");
    EXPECT_EQ(ZipArchive::SanitiseName("C:\\evil\\x.txt"), "evil\\x.txt");
    EXPECT_EQ(ZipArchive::SanitiseName("c:/x.txt"), "x.txt");
    EXPECT_EQ(ZipArchive::SanitiseName("///x.txt"), "x.txt");
    EXPECT_EQ(ZipArchive::SanitiseName("\\/x.txt"), "x.txt");
    EXPECT_EQ(ZipArchive::SanitiseName("a/../b/../../c.txt"), "c.txt");
    EXPECT_EQ(ZipArchive::SanitiseName("a\\..\\b.txt"), "b.txt");
    EXPECT_EQ(ZipArchive::SanitiseName("a\\../b/..\\c.txt"), "c.txt");
    EXPECT_EQ(ZipArchive::SanitiseName("a/..b/c.txt"), "a/..b/c.txt");
    EXPECT_EQ(ZipArchive::SanitiseName(""), "");
}
