// The drivers running the scripted stand-in tool through real pipes.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "Launcher/console/Aria2Control.h"
#include "Launcher/console/CommandLineQuote.h"
#include "Launcher/console/SevenZipControl.h"
#include "console/ConsoleTestSupport.h"

using namespace console_test;

namespace {

// Generous: only a hung run takes this long.
constexpr DWORD kNoSilenceLimit = 30000;

bool ProcessGone(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return true;
    const bool gone = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return gone;
}

ToolStatus StatusOf(const ConsoleToolRunner& tool, DWORD* code = nullptr) {
    return tool.GetToolStatus(code);
}

void ExpectOutcome(const ToolOutcome& outcome, ToolEnd end, DWORD exitCode) {
    EXPECT_EQ(static_cast<int>(outcome.end), static_cast<int>(end));
    EXPECT_EQ(outcome.exitCode, exitCode);
}

} // namespace

TEST(Aria2Run, ReportsProgressThenCompletionAndTheExitCode) {
    TempFolder root(L"aria2 run");
    const std::wstring soft = root.Sub(L"soft");
    const std::wstring tmp = root.Sub(L"tmp");
    InstallFakeTool(soft, L"aria2c.exe",
                    "print [#2a1b3c 4.0MiB/100MiB(4%) CN:16 DL:1.2MiB ETA:1m20s]\\n\n"
                    "wait go1\n"
                    "print [#2a1b3c 37MiB/100MiB(37%) CN:16 DL:3.0MiB ETA:21s]\\n\n"
                    "wait go2\n"
                    "eprint \\n(OK):download completed.\\n\n"
                    "exit 0\n");
    Aria2Control aria2;
    ProgressRecorder recorder(aria2);
    aria2.SetToolPath(soft + L"aria2c.exe");
    EXPECT_EQ(StatusOf(aria2), ToolStatus::Idle);
    ASSERT_TRUE(aria2.Start(tmp, "http://127.0.0.1:9/games/game.zip"));
    EXPECT_EQ(aria2.GetFileName(), L"game.zip");
    EXPECT_EQ(aria2.IsRunning(), 1);

    ASSERT_TRUE(recorder.WaitUntil([](const ToolProgress& p) { return p.percent == 4; }));
    EXPECT_EQ(StatusOf(aria2), ToolStatus::Running);
    WriteText(soft + L"go1", "");
    ASSERT_TRUE(recorder.WaitUntil([](const ToolProgress& p) { return p.percent == 37; }));
    EXPECT_FALSE(aria2.Completed());
    // The completion text arrives on standard error, which shares the pipe.
    WriteText(soft + L"go2", "");
    ExpectOutcome(aria2.WaitForEnd(kNoSilenceLimit), ToolEnd::Completed, 0);
    EXPECT_TRUE(aria2.Completed());

    // Each summary reached the handler whole, as it came, and the end with
    // all of its bytes; the reset at the start did not.
    const std::vector<ToolProgress> seen = recorder.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].percent, 4);
    EXPECT_EQ(seen[0].bytesDone, 4 * 1048576);
    EXPECT_EQ(seen[0].bytesTotal, 100 * 1048576);
    EXPECT_EQ(seen[0].bytesPerSecond, 1258291);
    EXPECT_EQ(seen[0].secondsLeft, 80);
    EXPECT_EQ(seen[1].percent, 37);
    EXPECT_EQ(seen[1].secondsLeft, 21);
    EXPECT_EQ(seen[2].percent, 100);
    EXPECT_EQ(seen[2].bytesDone, 100 * 1048576);
    EXPECT_TRUE(seen[2] == aria2.Progress());
    DWORD code = 99;
    EXPECT_EQ(StatusOf(aria2, &code), ToolStatus::Ended);
    EXPECT_EQ(code, 0u);

    const Recorded recorded = ReadRecorded(soft + L"aria2c.args");
    const std::vector<std::wstring> expected = {
        soft + L"aria2c.exe", L"--summary-interval=5", L"--allow-overwrite=true", L"--dir=" + tmp,
        L"--out=game.zip", L"--max-connection-per-server=16", L"--split=128",
        L"--file-allocation=trunc", L"--auto-save-interval=1", L"--connect-timeout=15", L"--timeout=20", L"--max-tries=2",
        L"--lowest-speed-limit=1K",
        L"http://127.0.0.1:9/games/game.zip"};
    EXPECT_EQ(recorded.args, expected);
    // The folder holds a space: the quoted pieces, nothing else, changed.
    EXPECT_EQ(recorded.commandLine,
              L"\"" + soft + L"aria2c.exe\" --summary-interval=5 --allow-overwrite=true --dir=\"" + tmp +
                  L"\\\" --out=game.zip --max-connection-per-server=16 --split=128 "
                  L"--file-allocation=trunc --auto-save-interval=1 --connect-timeout=15 --timeout=20 --max-tries=2 --lowest-speed-limit=1K "
                  L"http://127.0.0.1:9/games/game.zip");
}

TEST(Aria2Run, ToolEndingWithoutCompletionIsVisibleAndARestartStartsFromZero) {
    TempFolder root(L"aria2fail");
    const std::wstring soft = root.Sub(L"soft");
    InstallFakeTool(soft, L"aria2c.exe",
                    "print [#1 1.0MiB/10MiB(10%) CN:1 DL:1.0MiB ETA:9s]\\n\n"
                    "print Exception: [AbstractCommand.cc:351] errorCode=1 Network problem\\n\n"
                    "exit 1\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + L"aria2c.exe");
    ASSERT_TRUE(aria2.Start(root.Sub(L"tmp"), "http://h/a.zip"));
    ExpectOutcome(aria2.WaitForEnd(kNoSilenceLimit), ToolEnd::Failed, 1);
    // Everything the tool printed was parsed before the end was reported.
    EXPECT_EQ(aria2.Progress().percent, 10);
    EXPECT_FALSE(aria2.Completed());

    // Second download after a completed one: the record starts at zero.
    InstallFakeTool(soft, L"aria2c.exe", "print (OK):download completed.\\n\nwait go\n");
    ASSERT_TRUE(aria2.Start(root.Path(), "http://h/b.zip"));
    ASSERT_TRUE(WaitFor([&] { return aria2.Completed(); }));
    // It stays after its line: a tool that ended well would be completed at
    // once, and a poll on a busy machine could miss the 10 % in between.
    InstallFakeTool(soft, L"aria2c.exe", "wait go\nprint [#1 1.0MiB/10MiB(10%) CN:1]\\n\nhang\n");
    ASSERT_TRUE(aria2.Start(root.Path(), "http://h/c.zip"));
    EXPECT_EQ(aria2.GetFileName(), L"c.zip");
    EXPECT_FALSE(aria2.Completed());
    EXPECT_EQ(aria2.Progress().percent, 0);
    WriteText(soft + L"go", "");
    ASSERT_TRUE(WaitFor([&] { return aria2.Progress().percent == 10; }));
}

TEST(ToolRun, LinesSplitAcrossReadsAreNotJoined) {
    TempFolder root(L"split");
    const std::wstring soft = root.Sub(L"soft");
    InstallFakeTool(soft, L"aria2c.exe",
                    "print [#1 1.0MiB/10MiB(1%) CN:1 DL:1.0MiB ETA:9s]\\n[#1 2.0MiB/10MiB(2\n"
                    "wait go\n"
                    "print 0%) CN:1 DL:1.0MiB ETA:5s]\\n\n"
                    "hang\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + L"aria2c.exe");
    ASSERT_TRUE(aria2.Start(root.Sub(L"tmp"), "http://h/a.zip"));
    ASSERT_TRUE(WaitFor([&] { return aria2.Progress().secondsLeft == 9; }));
    WriteText(soft + L"go", "");
    ASSERT_TRUE(WaitFor([&] { return aria2.Progress().secondsLeft == 5; }));
    // Joined, the line would read 20%; each half alone carries no percentage.
    EXPECT_EQ(aria2.Progress().percent, 1);
}

TEST(ToolRun, StopToolEndsAHangingToolAndReleasesEverything) {
    TempFolder root(L"hang");
    const std::wstring soft = root.Sub(L"soft");
    InstallFakeTool(soft, L"7z.exe", "print  12%\nhang\n");
    SevenZipControl sevenZip;
    sevenZip.SetToolPath(soft + L"7z.exe");
    ASSERT_TRUE(sevenZip.Extract(root.Path() + L"a.7z", root.Sub(L"Game")));
    ASSERT_TRUE(WaitFor([&] { return sevenZip.Progress().percent == 12; }));
    EXPECT_EQ(StatusOf(sevenZip), ToolStatus::Running);
    const DWORD pid = ReadRecorded(soft + L"7z.args").pid;
    ASSERT_NE(pid, 0u);

    sevenZip.StopTool();
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_EQ(sevenZip.IsRunning(), 0);
    EXPECT_EQ(StatusOf(sevenZip), ToolStatus::Idle);
    EXPECT_EQ(sevenZip.GetToolPath(), L"");
    EXPECT_FALSE(sevenZip.Completed());
}

TEST(ToolRun, StopToolReturnsWhileAGrandchildHoldsTheOutputPipe) {
    TempFolder root(L"linger");
    const std::wstring soft = root.Sub(L"soft");
    InstallFakeTool(soft, L"7z.exe", "spawn\nprint  40%\nexit 0\n");
    SevenZipControl sevenZip;
    sevenZip.SetToolPath(soft + L"7z.exe");
    ASSERT_TRUE(sevenZip.Extract(root.Path() + L"a.7z", root.Sub(L"Game")));
    ASSERT_TRUE(WaitFor([&] { return sevenZip.Progress().percent == 40; }));
    ASSERT_TRUE(WaitFor([&] { return FileExists(soft + L"7z.child"); }));
    const DWORD child = std::stoul(ReadText(soft + L"7z.child"));
    // The pipe stays open, so the end cannot be confirmed yet.
    EXPECT_EQ(StatusOf(sevenZip), ToolStatus::Running);
    sevenZip.StopTool();
    EXPECT_EQ(StatusOf(sevenZip), ToolStatus::Idle);

    HANDLE lingering = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child);
    ASSERT_NE(lingering, nullptr);
    TerminateProcess(lingering, 0);
    WaitForSingleObject(lingering, 10000);
    CloseHandle(lingering);
}

TEST(ToolRun, TerminateToolEndsTheChildWithExitCodeOne) {
    TempFolder root(L"terminate");
    const std::wstring soft = root.Sub(L"soft");
    InstallFakeTool(soft, L"aria2c.exe", "print [#1 1.0MiB/10MiB(10%) CN:1]\\n\nhang\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + L"aria2c.exe");
    ASSERT_TRUE(aria2.Start(root.Sub(L"tmp"), "http://h/a.zip"));
    ASSERT_TRUE(WaitFor([&] { return aria2.Progress().percent == 10; }));
    aria2.TerminateTool();
    EXPECT_EQ(aria2.IsRunning(), 0);
    ExpectOutcome(aria2.WaitForEnd(kNoSilenceLimit), ToolEnd::Failed, 1);
    DWORD code = 0;
    EXPECT_EQ(StatusOf(aria2, &code), ToolStatus::Ended);
    EXPECT_EQ(code, 1u);
}

TEST(ToolRun, FailedStartsLeaveNothingBehind) {
    TempFolder root(L"missing");
    Aria2Control aria2;
    aria2.SetToolPath(root.Path() + L"soft\\aria2c.exe");
    EXPECT_FALSE(aria2.Start(root.Path(), "http://h/a.zip"));
    EXPECT_EQ(aria2.IsRunning(), 0);
    EXPECT_EQ(StatusOf(aria2), ToolStatus::Idle);
    EXPECT_TRUE(aria2.Progress() == ToolProgress{});
    EXPECT_FALSE(aria2.Completed());
    ExpectOutcome(aria2.WaitForEnd(0), ToolEnd::NotStarted, 0);

    // Stopping drivers that never ran (twice) is harmless.
    SevenZipControl never;
    never.StopTool();
    never.StopTool();
    aria2.StopTool();
    EXPECT_EQ(StatusOf(never), ToolStatus::Idle);
    ExpectOutcome(never.WaitForEnd(INFINITE), ToolEnd::NotStarted, 0);
}

TEST(ToolRun, ExitCodeZeroCountsAsSuccessWhenTheCompletionTextWasSplit) {
    TempFolder root(L"split end");
    const std::wstring soft = root.Sub(L"soft");
    InstallFakeTool(soft, L"aria2c.exe",
                    "print [#1 9.0MiB/10MiB(90%) CN:1]\\n(OK):download comp\n"
                    "wait go\nprint leted.\\n\nexit 0\n");
    InstallFakeTool(soft, L"7z.exe", "print  97% 3 - a.pak\\nEverything is\nwait go\nprint  Ok\\n\nexit 0\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + L"aria2c.exe");
    SevenZipControl sevenZip;
    sevenZip.SetToolPath(soft + L"7z.exe");
    ASSERT_TRUE(aria2.Start(root.Sub(L"tmp"), "http://h/a.zip"));
    ASSERT_TRUE(sevenZip.Extract(root.Path() + L"a.zip", root.Sub(L"Game")));
    ASSERT_TRUE(WaitFor([&] { return aria2.Progress().percent == 90 && sevenZip.Progress().percent == 97; }));
    WriteText(soft + L"go", "");

    ExpectOutcome(aria2.WaitForEnd(kNoSilenceLimit), ToolEnd::Completed, 0);
    EXPECT_TRUE(aria2.Completed());
    EXPECT_EQ(aria2.Progress().percent, 100);
    EXPECT_EQ(aria2.Progress().bytesDone, 10 * 1048576);
    ExpectOutcome(sevenZip.WaitForEnd(kNoSilenceLimit), ToolEnd::Completed, 0);
    EXPECT_TRUE(sevenZip.Completed());
    EXPECT_EQ(sevenZip.Progress().percent, 100);
}

TEST(ToolRun, WaitForEndEndsASilentToolButNotASlowOne) {
    TempFolder root(L"silence");
    const std::wstring slow = root.Sub(L"slow");
    const std::wstring silent = root.Sub(L"silent");
    const std::wstring linger = root.Sub(L"linger");
    // Longer in all than the limit, but never quiet for that long.
    InstallFakeTool(slow, L"7z.exe",
                    "print  10%\nsleep 400\nprint  20%\nsleep 400\nprint  30%\nsleep 400\nprint  40%\n"
                    "sleep 400\nprint  50%\nsleep 400\nexit 0\n");
    InstallFakeTool(silent, L"aria2c.exe", "print [#1 1.0MiB/10MiB(10%) CN:1]\\n\nhang\n");
    // Ends well, but a grandchild keeps the output pipe open.
    InstallFakeTool(linger, L"7z.exe", "spawn\nprint  40%\nexit 0\n");

    SevenZipControl sevenZip;
    sevenZip.SetToolPath(slow + L"7z.exe");
    ASSERT_TRUE(sevenZip.Extract(root.Path() + L"a.7z", root.Sub(L"Game")));
    const DWORD start = GetTickCount();
    ExpectOutcome(sevenZip.WaitForEnd(1500), ToolEnd::Completed, 0);
    EXPECT_GE(GetTickCount() - start, 1500u);

    Aria2Control aria2;
    aria2.SetToolPath(silent + L"aria2c.exe");
    ASSERT_TRUE(aria2.Start(root.Path(), "http://h/a.zip"));
    ASSERT_TRUE(WaitFor([&] { return aria2.Progress().percent == 10; }));
    ExpectOutcome(aria2.WaitForEnd(500), ToolEnd::Silent, 1);
    EXPECT_TRUE(ProcessGone(ReadRecorded(silent + L"aria2c.args").pid));

    // Room for Wine to start the grandchild: that alone can take a while.
    sevenZip.SetToolPath(linger + L"7z.exe");
    ASSERT_TRUE(sevenZip.Extract(root.Path() + L"a.7z", root.Sub(L"Game")));
    ExpectOutcome(sevenZip.WaitForEnd(3000), ToolEnd::Completed, 0);
    ASSERT_TRUE(FileExists(linger + L"7z.child"));
    HANDLE lingering = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, std::stoul(ReadText(linger + L"7z.child")));
    ASSERT_NE(lingering, nullptr);
    TerminateProcess(lingering, 0);
    WaitForSingleObject(lingering, 10000);
    CloseHandle(lingering);
}

TEST(ToolRun, WaitForEndReturnsWhenAnotherThreadStopsTheTool) {
    TempFolder root(L"stop wait");
    const std::wstring soft = root.Sub(L"soft");
    InstallFakeTool(soft, L"aria2c.exe", "print [#1 1.0MiB/10MiB(10%) CN:1]\\n\nhang\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + L"aria2c.exe");
    ASSERT_TRUE(aria2.Start(root.Path(), "http://h/a.zip"));
    ToolOutcome outcome;
    std::atomic<bool> returned{false};
    std::thread waiter([&] {
        outcome = aria2.WaitForEnd(INFINITE);
        returned.store(true);
    });
    ASSERT_TRUE(WaitFor([&] { return aria2.Progress().percent == 10; }));
    EXPECT_FALSE(returned.load());
    aria2.StopTool();
    waiter.join();
    ExpectOutcome(outcome, ToolEnd::Failed, 1);
}

TEST(ToolRun, ToolsRunFromAFolderNamedInChineseWithASpace) {
    // "游戏 启动器": no Western code page holds it.
    TempFolder root(L"\x6E38\x620F \x542F\x52A8\x5668");
    const std::wstring soft = root.Sub(L"soft");
    const std::wstring tmp = root.Sub(L"tmp");
    const std::wstring game = root.Sub(L"Game");
    const std::wstring archive = L"\x9752\x4E91.zip";  // 青云.zip
    InstallFakeTool(soft, L"aria2c.exe",
                    "print [#1 5.0MiB/10MiB(50%) CN:1 DL:1.0MiB ETA:5s]\\n\n"
                    "print (OK):download completed.\\n\nexit 0\n");
    InstallFakeTool(soft, L"7z.exe", "print  60%\\n\nprint Everything is Ok\\n\nexit 0\n");
    // Leftovers of an earlier try under the decoded name go first.
    WriteText(tmp + archive, "partial");
    WriteText(tmp + archive + L".aria2", "control");

    Aria2Control aria2;
    ProgressRecorder recorder(aria2);
    aria2.SetToolPath(soft + L"aria2c.exe");
    ASSERT_TRUE(aria2.Start(tmp, "http://h/games/\xE9\x9D\x92\xE4\xBA\x91.zip"));
    EXPECT_EQ(aria2.GetFileName(), archive);
    ExpectOutcome(aria2.WaitForEnd(kNoSilenceLimit), ToolEnd::Completed, 0);
    EXPECT_TRUE(recorder.WaitUntil([](const ToolProgress& p) { return p.percent == 50; }, 0));
    EXPECT_EQ(aria2.Progress().bytesDone, 10 * 1048576);
    EXPECT_FALSE(FileExists(tmp + archive));
    EXPECT_FALSE(FileExists(tmp + archive + L".aria2"));
    const std::vector<std::wstring> downloadArgs = {
        soft + L"aria2c.exe", L"--summary-interval=5", L"--allow-overwrite=true", L"--dir=" + tmp,
        L"--out=" + archive, L"--max-connection-per-server=16", L"--split=128",
        L"--file-allocation=trunc", L"--auto-save-interval=1", L"--connect-timeout=15", L"--timeout=20", L"--max-tries=2",
        L"--lowest-speed-limit=1K",
        L"http://h/games/" + archive};
    EXPECT_EQ(ReadRecorded(soft + L"aria2c.args").args, downloadArgs);

    SevenZipControl sevenZip;
    sevenZip.SetToolPath(soft + L"7z.exe");
    ASSERT_TRUE(sevenZip.Extract(tmp + archive, game));
    ExpectOutcome(sevenZip.WaitForEnd(kNoSilenceLimit), ToolEnd::Completed, 0);
    const std::vector<std::wstring> extractArgs = {soft + L"7z.exe", L"x", tmp + archive, L"-o" + game, L"-y",
                                                   L"-bsp1"};
    EXPECT_EQ(ReadRecorded(soft + L"7z.args").args, extractArgs);
}

TEST(ToolRun, ToolsStartedAtOnceFromTwoThreadsHoldOnlyTheirOwnPipes) {
    TempFolder root(L"together");
    const std::wstring quick = root.Sub(L"quick");
    const std::wstring slow = root.Sub(L"slow");
    InstallFakeTool(quick, L"7z.exe", "print Everything is Ok\\n\nexit 0\n");
    InstallFakeTool(slow, L"aria2c.exe", "hang\n");
    for (int round = 0; round < 4; ++round) {
        SevenZipControl sevenZip;
        sevenZip.SetToolPath(quick + L"7z.exe");
        Aria2Control aria2;
        aria2.SetToolPath(slow + L"aria2c.exe");
        std::atomic<int> arrived{0};
        auto together = [&arrived] {
            ++arrived;
            while (arrived.load() < 2) std::this_thread::yield();
        };
        bool extracting = false;
        bool downloading = false;
        std::thread first([&] {
            together();
            extracting = sevenZip.Extract(root.Path() + L"a.7z", root.Path());
        });
        std::thread second([&] {
            together();
            downloading = aria2.Start(root.Path(), "http://h/a.zip");
        });
        first.join();
        second.join();
        ASSERT_TRUE(extracting && downloading);
        // A copy of the archiver's output pipe in the hanging tool would keep
        // the archiver's run open for as long as that tool lives.
        EXPECT_TRUE(WaitFor([&] { return StatusOf(sevenZip) == ToolStatus::Ended; }, 10000))
            << "round " << round;
        EXPECT_EQ(StatusOf(aria2), ToolStatus::Running);
    }
}

TEST(ToolRun, NameAndToolPathAreReadWholeWhileAnotherThreadChangesThem) {
    TempFolder root(L"texts");
    // Neither tool exists, so every start fails quickly after setting the name.
    const std::wstring shortPath = root.Path() + L"a.exe";
    const std::wstring longPath = root.Path() + L"a\\much\\longer\\folder\\for\\the\\tool\\aria2c.exe";
    const std::string shortName = "b.zip";
    const std::string longName = "a-rather-longer-archive-name-for-the-game.zip";
    Aria2Control aria2;
    aria2.SetToolPath(shortPath);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 400; ++i) {
            aria2.SetToolPath(i % 2 ? shortPath : longPath);
            aria2.Start(root.Path(), "http://h/" + (i % 2 ? longName : shortName));
            if (i % 5 == 0) aria2.StopTool();  // empties both
        }
        done.store(true);
    });
    int torn = 0;
    long reads = 0;
    while (!done.load()) {
        const std::wstring name = aria2.GetFileName();
        const std::wstring path = aria2.GetToolPath();
        if (!name.empty() && name != L"b.zip" && name != L"a-rather-longer-archive-name-for-the-game.zip") ++torn;
        if (!path.empty() && path != shortPath && path != longPath) ++torn;
        ++reads;
    }
    writer.join();
    EXPECT_EQ(torn, 0) << "in " << reads << " reads";
}

TEST(ToolRun, AToolDiesWithTheLauncherThatStartedIt) {
    TempFolder root(L"job");
    const std::wstring soft = root.Sub(L"soft");
    InstallFakeTool(soft, L"7z.exe", "hang\n");
    std::wstring line = QuoteCommandLinePiece(WindowsPathOf(CONSOLE_JOB_HOST)) + L" " +
                        QuoteCommandLinePiece(soft + L"7z.exe") + L" " + QuoteCommandLinePiece(root.Path());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION host = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &host));
    CloseHandle(host.hThread);
    const bool toolStarted = WaitFor([&] { return !ReadRecorded(soft + L"7z.args").args.empty(); });
    HANDLE tool = toolStarted ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                                            ReadRecorded(soft + L"7z.args").pid)
                              : nullptr;

    TerminateProcess(host.hProcess, 1);
    WaitForSingleObject(host.hProcess, 10000);
    CloseHandle(host.hProcess);
    ASSERT_NE(tool, nullptr);
    const bool gone = WaitForSingleObject(tool, 10000) == WAIT_OBJECT_0;
    if (!gone) TerminateProcess(tool, 0);
    CloseHandle(tool);
    EXPECT_TRUE(gone);
}
