// The operator's hash fill: every link key gets its hash key from the file
// below the site folder, in the section and form the launcher reads, and the
// rest of the configuration keeps its bytes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Launcher/config/IniDocument.h"
#include "Launcher/trust/ConfigHashFill.h"

using trust::FillConfigHashes;
using trust::HashFill;

namespace {

const char kBase[] = "http://cdn.example/site";

std::string HexOf(char digit) { return std::string(128, digit); }

// A site of three files; records what was asked for.
struct FakeSite {
    std::map<std::string, std::string> files = {
        {"Launcher/New_Launcher.exe", HexOf('1')},
        {"games/Nebula.zip", HexOf('2')},
        {"update/Nebula/list.txt", HexOf('3')},
        {"update/Nebula/files.b2", HexOf('4')},
        {"games/Qing Yun.zip", HexOf('5')},
    };
    std::vector<std::string> asked;

    trust::SiteFileHasher Hasher() {
        return [this](const std::string& path, std::string& hex, std::string& problem) {
            asked.push_back(path);
            const auto file = files.find(path);
            if (file == files.end()) {
                problem = "no file " + path;
                return false;
            }
            hex = file->second;
            return true;
        };
    }
};

} // namespace

TEST(ConfigHashFill, FillsWhatTheLauncherReadsAndKeepsEveryOtherByte) {
    // CRLF lines, a present but stale hash, a section header and a key with
    // spaces, a percent-encoded name, a second copy of a link the launcher
    // ignores (first value wins), a LF-only line and no line end at the end.
    const std::string config =
        "; release 7\r\n"
        "[Launcher]\r\n"
        "Version=10001\r\n"
        "UpgradeLink=http://cdn.example/site/Launcher/New_Launcher.exe\r\n"
        "Title=Nova \xE8\xAF\xBA\r\n"
        "[Game0]\r\n"
        "Available=1\r\n"
        " DownloadLink = http://cdn.example/site/games/Nebula.zip\r\n"
        "DownloadB2=stale\r\n"
        "DownloadLink=http://elsewhere.example/ignored.zip\r\n"
        "UpGradeLink=http://cdn.example/site/update/Nebula/list.txt\n"
        "FilesB2Link=http://cdn.example/site/update/Nebula/files.b2\r\n"
        "[Game1]\r\n"
        "DownloadLink=http://cdn.example/site/games/Qing%20Yun.zip\r\n"
        "Icon=http://elsewhere.example/icon.png";
    FakeSite site;
    const HashFill fill = FillConfigHashes(config, std::string(kBase) + "/", site.Hasher());
    ASSERT_TRUE(fill.ok) << fill.error;
    EXPECT_EQ(5, fill.filled);
    const std::string expected =
        "; release 7\r\n"
        "[Launcher]\r\n"
        "Version=10001\r\n"
        "UpgradeLink=http://cdn.example/site/Launcher/New_Launcher.exe\r\n"
        "UpgradeB2=" + HexOf('1') + "\r\n"
        "Title=Nova \xE8\xAF\xBA\r\n"
        "[Game0]\r\n"
        "Available=1\r\n"
        " DownloadLink = http://cdn.example/site/games/Nebula.zip\r\n"
        "DownloadB2=" + HexOf('2') + "\r\n"
        "DownloadLink=http://elsewhere.example/ignored.zip\r\n"
        "UpGradeLink=http://cdn.example/site/update/Nebula/list.txt\n"
        "UpGradeB2=" + HexOf('3') + "\n"
        "FilesB2Link=http://cdn.example/site/update/Nebula/files.b2\r\n"
        "FilesB2=" + HexOf('4') + "\r\n"
        "[Game1]\r\n"
        "DownloadLink=http://cdn.example/site/games/Qing%20Yun.zip\r\n"
        "DownloadB2=" + HexOf('5') + "\r\n"
        "Icon=http://elsewhere.example/icon.png";
    EXPECT_EQ(expected, fill.text);

    // The launcher reads each hash in its section.
    IniDocument read;
    read.Parse(fill.text);
    EXPECT_EQ(HexOf('1'), read.GetString("Launcher", "UpgradeB2"));
    EXPECT_EQ(HexOf('2'), read.GetString("Game0", "DownloadB2"));
    EXPECT_EQ(HexOf('5'), read.GetString("Game1", "DownloadB2"));

    // Filling a filled configuration changes nothing.
    const HashFill again = FillConfigHashes(fill.text, kBase, site.Hasher());
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(fill.text, again.text);
}

TEST(ConfigHashFill, RefusesLinksItCannotHashBelowTheSite) {
    const struct {
        const char* what;
        std::string link;
    } refused[] = {
        {"another host", "http://elsewhere.example/site/games/Nebula.zip"},
        {"a prefix that is not a folder", "http://cdn.example/sitegames/Nebula.zip"},
        {"a missing file", "http://cdn.example/site/games/Missing.zip"},
        {"a climb out of the site", "http://cdn.example/site/games/../../secret.zip"},
        {"an encoded climb", "http://cdn.example/site/games/%2e%2e/%2E%2E/secret.zip"},
        {"a backslash", "http://cdn.example/site/games\\Nebula.zip"},
        {"an empty part", "http://cdn.example/site//games/Nebula.zip"},
        {"a query", "http://cdn.example/site/games/Nebula.zip?v=2"},
    };
    for (const auto& input : refused) {
        FakeSite site;
        const HashFill fill = FillConfigHashes("[Game0]\r\nDownloadLink=" + input.link + "\r\n", kBase, site.Hasher());
        EXPECT_FALSE(fill.ok) << input.what;
        EXPECT_NE(std::string::npos, fill.error.find("DownloadLink")) << input.what << ": " << fill.error;
        EXPECT_TRUE(fill.text.empty()) << input.what;
    }
    // Outside any section the launcher reads nothing, so nothing is hashed.
    FakeSite site;
    const HashFill outside = FillConfigHashes("DownloadLink=http://elsewhere.example/x.zip\n", kBase, site.Hasher());
    ASSERT_TRUE(outside.ok) << outside.error;
    EXPECT_EQ(0, outside.filled);
    EXPECT_TRUE(site.asked.empty());
}
