// The start of an installed, unchanged game of 2,000 files (4 GiB, and
// 512 MiB): the time from the start job's beginning (the click hands it over)
// to the moment it starts the game's process, with the quick check (its
// record in place) and with the operator's full check. Both read the update
// list and the b2sum hash list over HTTP from a local server, and check every
// file's CRC-32 and BLAKE2b-512. The tree is deleted afterwards.
#include "bench/BenchCase.h"

#include "Launcher/flows/UpdateAndLaunchFlow.h"
#include "Launcher/patch/FileChecksum.h"
#include "Launcher/trust/Blake2b.h"
#include "pillar/FileSystem.h"
#include "pillar/WholeFile.h"
#include "tests/support/TestHttpServer.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 2000;
constexpr int kFolders = 40;

class QuietReport : public LauncherReport {
public:
    void Progress(int, const JobProgress&) override { ++progressCalls; }
    void Notice(int, const NoticeInfo&) override { ++notices; }
    void CardStateChanged(int, CardState) override {}
    void Title(const std::wstring&) override {}
    void CardFilled(int, const GameCard&, const CardContent&) override {}
    void Image(WindowImage, int, const std::wstring&) override {}
    void LanguageChosen(LauncherLanguage) override {}
    void StartupDone() override {}
    int progressCalls = 0;
    int notices = 0;
};

// Writes the game folder and returns its update list, and its hash list in
// `hashList`; empty on failure.
std::string WriteGame(const std::wstring& gameFolder, int64_t totalBytes, int64_t& written, std::string& hashList) {
    std::mt19937 random(77);
    const size_t mean = static_cast<size_t>(totalBytes / kFiles);
    std::vector<unsigned char> data(2 * mean + 4096);
    for (auto& byte : data) byte = static_cast<unsigned char>(random());
    std::string list;
    written = 0;
    for (int i = 0; i < kFiles; ++i) {
        // Sizes from a few bytes to twice the mean, summing to about the total.
        const size_t size = random() % (2 * mean);
        const std::wstring name = L"pack" + std::to_wstring(i % kFolders) + L"\\file" + std::to_wstring(i) + L".dat";
        const unsigned char* bytes = data.data() + (static_cast<size_t>(i) * 4099) % 4096;
        const std::wstring path = gameFolder + name;
        pillar::MakeParentFolders(path);
        if (!pillar::WriteWholeFile(path, bytes, size)) return std::string();
        written += static_cast<int64_t>(size);
        if (!list.empty()) list += '|';
        list += pillar::WideToUtf8(name) + "+" + std::to_string(ListValueOf(BufferChecksum(bytes, size)));
        std::string hashName = pillar::WideToUtf8(name);
        std::replace(hashName.begin(), hashName.end(), '\\', '/');
        hashList += trust::Blake2bHexOfBuffer(bytes, size) + "  " + hashName + "\n";
    }
    return list;
}

void RunStartCheck(int64_t totalBytes) {
    const std::wstring scratch = testsupport::MakeScratchFolder(L"start-check-bench");
    const LauncherFolders folders = LauncherFolders::Below(scratch + L"\\launcher\\", L"Launcher.exe");
    folders.Make();
    const std::wstring site = scratch + L"\\site\\";
    CreateDirectoryW(site.c_str(), nullptr);

    int64_t written = 0;
    double begin = bench::Now();
    std::string hashList;
    const std::string list = WriteGame(folders.game + L"BenchGame\\", totalBytes, written, hashList);
    bench::Report("writing the game", bench::Now() - begin, "s");
    testsupport::TestHttpServer server(site);
    if (list.empty() || !pillar::WriteWholeFile(site + L"list.txt", list) ||
        !pillar::WriteWholeFile(site + L"b2sums.txt", hashList) || !server.Start()) {
        bench::Report("could not set up the game or the server", 0, "");
        testsupport::RemoveTree(scratch);
        return;
    }
    bench::Report("files", kFiles, "");
    bench::Report("bytes", static_cast<double>(written) / (1 << 20), "MiB");

    GameCard values;
    values.upgradeLink = server.Url("list.txt");
    values.upgradeB2 = trust::Blake2bHexOfBuffer(list.data(), list.size());
    values.filesB2Link = server.Url("b2sums.txt");
    values.filesB2 = trust::Blake2bHexOfBuffer(hashList.data(), hashList.size());
    // Nothing may be fetched: any download would fail the start.
    values.upgradePath = "http://127.0.0.1:9/";
    values.folderName = L"BenchGame";
    values.exePath = L"BenchGame\\pack0\\file0.dat";
    // Seconds from the job's start to the game's start; negative when the
    // job ended without starting the game.
    auto start = [&](bool fullCheck, int& progressCalls) {
        values.fullCheck = fullCheck;
        auto report = std::make_shared<QuietReport>();
        const double jobStart = bench::Now();
        double gameStart = -1;
        UpdateAndLaunchFlow(report, folders, 0, values, [&](const GameLaunchPlan&) {
            gameStart = bench::Now();
            return true;
        }).Run();
        progressCalls = report->progressCalls;
        return report->notices == 0 && gameStart >= 0 ? gameStart - jobStart : -1.0;
    };
    int calls = 0;
    // The first start has no record: every file is read, and the record made.
    bench::Report("first start, no record (warm file cache)", start(false, calls), "s");
    for (int round = 1; round <= 3; ++round) {
        bench::Report("quick check, round " + std::to_string(round), start(false, calls), "s");
        bench::Report("quick check progress reports", calls, "");
    }
    for (int round = 1; round <= 2; ++round)
        bench::Report("full check (FullCheck=1, warm file cache), round " + std::to_string(round), start(true, calls),
                      "s");
    testsupport::RemoveTree(scratch);
}

} // namespace

BENCH_CASE("start check 4 GiB") { RunStartCheck(int64_t{4} << 30); }

BENCH_CASE("start check 512 MiB") { RunStartCheck(int64_t{512} << 20); }
