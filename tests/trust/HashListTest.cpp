// BLAKE2b-512 against published values and against coreutils b2sum over a
// small tree, through the b2sum list parser; and the names and lines the
// parser must refuse.
#include <gtest/gtest.h>

#include <string>

#include "Launcher/trust/B2sumList.h"
#include "Launcher/trust/ExpectedHash.h"
#include "Launcher/trust/Blake2b.h"
#include "trust/TrustTestSupport.h"

using namespace trust;
using trust_test::Fixture;
using trust_test::ReadFixture;

TEST(Blake2b, MatchesPublishedValuesAndB2sumOnFiles) {
    EXPECT_EQ(Blake2bHexOfBuffer("", 0),
              "786a02f742015903c6c6fd852552d272912f4740e15847618a86e217f71f5419"
              "d25e1031afee585313896444934eb04b903a685b1448b755d56f701afe9be2ce");
    EXPECT_EQ(Blake2bHexOfBuffer("abc", 3),
              "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d1"
              "7d87c5392aab792dc252d5de4533cc9518d38aa8dbf1925ab92386edd4009923");

    // b2sum's list of the tree: a file of three read blocks (the last partial),
    // one with a Chinese name and a space in a Chinese folder.
    const B2sumList list = ParseB2sumList(ReadFixture("tree.b2sum"));
    ASSERT_TRUE(list.ok) << list.error;
    ASSERT_EQ(list.entries.size(), 3u);
    bool sawChinese = false;
    for (const B2sumEntry& entry : list.entries) {
        sawChinese = sawChinese || entry.name == "\xe6\x95\xb0\xe6\x8d\xae/\xe5\x85\xb3\xe5\x8d\xa1 1.dat";
        const FileDigest file = Blake2bOfFile(Fixture("tree/" + entry.name));
        ASSERT_TRUE(file.ok) << entry.name << ": " << file.error;
        EXPECT_EQ(DigestHex(file.digest), entry.hex) << entry.name;
        const std::string bytes = ReadFixture("tree/" + entry.name);
        EXPECT_EQ(Blake2bHexOfBuffer(bytes.data(), bytes.size()), entry.hex) << entry.name;
    }
    EXPECT_TRUE(sawChinese);

    const FileDigest missing = Blake2bOfFile(Fixture("tree/no-such-file"));
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("cannot open"), std::string::npos) << missing.error;
}

TEST(B2sumList, AcceptsBothModesAndRefusesWhatCouldMisnameAFile) {
    const std::string hex(128, 'a');
    const B2sumList good = ParseB2sumList(hex + "  game/bin/Game.exe\n" + hex + " *data/\xe5\x9c\xb0\xe5\x9b\xbe.pak");
    ASSERT_TRUE(good.ok) << good.error;
    ASSERT_EQ(good.entries.size(), 2u);
    EXPECT_EQ(good.entries[1].name, "data/\xe5\x9c\xb0\xe5\x9b\xbe.pak");
    EXPECT_TRUE(ParseB2sumList("").ok);

    struct Bad {
        std::string text;
        size_t line;
        const char* says;
    };
    const Bad bad[] = {
        {"\\" + hex + "  a\\\\b", 1, "escaped"},
        {hex + "  ok\n" + std::string(127, 'a') + "  short", 2, "128 lower-case"},
        {std::string(128, 'A') + "  upper", 1, "128 lower-case"},
        {hex + " x", 1, "two spaces"},
        {hex + "  ", 1, "empty"},
        {hex + "  /etc/passwd", 1, "absolute"},
        {hex + "  game/../../evil.dll", 1, "\"..\""},
        {hex + "  ./game.exe", 1, "\".\""},
        {hex + "  a//b", 1, "empty folder part"},
        {hex + "  folder/", 1, "empty folder part"},
        {hex + "  C:/Windows/x.dll", 1, "\":\""},
        {hex + "  file.txt:stream", 1, "\":\""},
        {hex + "  name\r", 1, "control character"},
        {hex + "  \xc0\xaf.txt", 1, "UTF-8"},          // overlong "/"
        {hex + "  \xed\xa0\x80.txt", 1, "UTF-8"},      // a surrogate
        {hex + "  cut\xe6\x95", 1, "UTF-8"},           // cut short
        {hex + "  a\n" + hex + "  a", 2, "twice"},
        {hex + "  a\n\n" + hex + "  b", 2, "128 lower-case"},
        {"BLAKE2b (a) = " + hex, 1, "128 lower-case"},
    };
    for (const Bad& item : bad) {
        const B2sumList parsed = ParseB2sumList(item.text);
        EXPECT_FALSE(parsed.ok) << item.text;
        EXPECT_EQ(parsed.failedLine, item.line) << item.text;
        EXPECT_NE(parsed.error.find(item.says), std::string::npos) << item.text << " -> " << parsed.error;
        EXPECT_TRUE(parsed.entries.empty());
    }
}

// A hash key of Config.ini: required by a build with keys, checked whenever
// given, and a malformed one never waved through.
TEST(ExpectedHash, DemandFollowsTheKeyAndTheBuild) {
    const std::string good(128, 'a');
    EXPECT_EQ(trust::ReadExpectedHash("", true).demand, trust::HashDemand::Refuse);
    EXPECT_EQ(trust::ReadExpectedHash("", false).demand, trust::HashDemand::None);
    EXPECT_TRUE(trust::ReadExpectedHash("", false).Accepts("anything"));
    const trust::ExpectedHash given = trust::ReadExpectedHash(good, false);
    EXPECT_EQ(given.demand, trust::HashDemand::Check);
    EXPECT_TRUE(given.Accepts(good));
    EXPECT_FALSE(given.Accepts(std::string(127, 'a') + "b"));
    for (const std::string& bad : {std::string(128, 'A'), std::string(127, 'a'), std::string(129, 'a'),
                                  std::string(127, 'a') + "g"}) {
        const trust::ExpectedHash refused = trust::ReadExpectedHash(bad, false);
        EXPECT_EQ(refused.demand, trust::HashDemand::Refuse) << bad;
        EXPECT_FALSE(refused.Accepts(bad));
    }
    // Bytes and files: hashed only when a hash is asked for, and a file that
    // cannot be read never passes a check.
    const std::string text = "the release";
    const trust::ExpectedHash release = trust::ReadExpectedHash(trust::Blake2bHexOfBuffer(text.data(), text.size()), false);
    EXPECT_TRUE(release.AcceptsBytes(text.data(), text.size()));
    EXPECT_FALSE(release.AcceptsBytes("the releasf", text.size()));
    EXPECT_FALSE(trust::ReadExpectedHash("", true).AcceptsBytes(text.data(), text.size()));
    EXPECT_FALSE(release.AcceptsFile(L"Z:\\no such folder\\no such file"));
    EXPECT_TRUE(trust::ReadExpectedHash("", false).AcceptsFile(L"Z:\\no such folder\\no such file"));
}
