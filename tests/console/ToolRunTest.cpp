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

} // namespace

TEST(Aria2Run, ReportsProgressThenCompletionAndTheExitCode) {
    TempFolder root("aria2 run");
    const std::string soft = root.Sub("soft");
    const std::string tmp = root.Sub("tmp");
    InstallFakeTool(soft, "aria2c.exe",
                    "print [#2a1b3c 4.0MiB/100MiB(4%) CN:16 DL:1.2MiB ETA:1m20s]\\n\n"
                    "wait go1\n"
                    "print [#2a1b3c 37MiB/100MiB(37%) CN:16 DL:3.0MiB ETA:21s]\\n\n"
                    "wait go2\n"
                    "eprint \\n(OK):download completed.\\n\n"
                    "exit 0\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + "aria2c.exe");
    EXPECT_EQ(StatusOf(aria2), ToolStatus::Idle);
    ASSERT_TRUE(aria2.Start(tmp, "http://127.0.0.1:9/games/game.zip"));
    EXPECT_EQ(aria2.GetFileName(), "game.zip");
    EXPECT_EQ(aria2.IsRunning(), 1);

    // The reader stores the time left after the percentage: wait for both.
    ASSERT_TRUE(WaitFor([&] {
        return aria2.progress.percent.load() == 4 && aria2.progress.etaSeconds.load() == 80u;
    }));
    EXPECT_EQ(StatusOf(aria2), ToolStatus::Running);
    WriteText(soft + "go1", "");
    ASSERT_TRUE(WaitFor([&] { return aria2.progress.percent.load() == 37; }));
    EXPECT_EQ(aria2.progress.completed.load(), 0);
    // The completion text arrives on standard error, which shares the pipe.
    WriteText(soft + "go2", "");
    ASSERT_TRUE(WaitFor([&] { return aria2.progress.completed.load() == 1; }));
    EXPECT_EQ(aria2.progress.percent.load(), 100);
    EXPECT_EQ(aria2.progress.downloaded.load(), 100 * 1048576);

    DWORD code = 99;
    ASSERT_TRUE(WaitFor([&] { return StatusOf(aria2, &code) == ToolStatus::Ended; }));
    EXPECT_EQ(code, 0u);

    const Recorded recorded = ReadRecorded(soft + "aria2c.args");
    const std::vector<std::string> expected = {
        soft + "aria2c.exe", "--summary-interval=5", "--allow-overwrite=true", "--dir=" + tmp,
        "--out=game.zip", "--max-connection-per-server=16", "--split=128",
        "http://127.0.0.1:9/games/game.zip"};
    EXPECT_EQ(recorded.args, expected);
    // The folder holds a space: the quoted pieces, nothing else, changed.
    EXPECT_EQ(recorded.commandLine,
              "\"" + soft + "aria2c.exe\" --summary-interval=5 --allow-overwrite=true --dir=\"" +
                  tmp + "\\\" --out=game.zip --max-connection-per-server=16 --split=128 "
                        "http://127.0.0.1:9/games/game.zip");
}

TEST(Aria2Run, ToolEndingWithoutCompletionIsVisibleAndARestartStartsFromZero) {
    TempFolder root("aria2fail");
    const std::string soft = root.Sub("soft");
    InstallFakeTool(soft, "aria2c.exe",
                    "print [#1 1.0MiB/10MiB(10%) CN:1 DL:1.0MiB ETA:9s]\\n\n"
                    "print Exception: [AbstractCommand.cc:351] errorCode=1 Network problem\\n\n"
                    "exit 1\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + "aria2c.exe");
    ASSERT_TRUE(aria2.Start(root.Sub("tmp"), "http://h/a.zip"));
    DWORD code = 0;
    ASSERT_TRUE(WaitFor([&] { return StatusOf(aria2, &code) == ToolStatus::Ended; }));
    EXPECT_EQ(code, 1u);
    // Everything the tool printed was parsed before the end was reported.
    EXPECT_EQ(aria2.progress.percent.load(), 10);
    EXPECT_EQ(aria2.progress.completed.load(), 0);

    // Second download after a completed one: the record starts at zero.
    InstallFakeTool(soft, "aria2c.exe", "print (OK):download completed.\\n\nwait go\n");
    ASSERT_TRUE(aria2.Start(root.Path(), "http://h/b.zip"));
    ASSERT_TRUE(WaitFor([&] { return aria2.progress.completed.load() == 1; }));
    InstallFakeTool(soft, "aria2c.exe", "wait go\nprint [#1 1.0MiB/10MiB(10%) CN:1]\\n\n");
    ASSERT_TRUE(aria2.Start(root.Path(), "http://h/c.zip"));
    EXPECT_EQ(aria2.GetFileName(), "c.zip");
    EXPECT_EQ(aria2.progress.completed.load(), 0);
    EXPECT_EQ(aria2.progress.percent.load(), 0);
    WriteText(soft + "go", "");
    ASSERT_TRUE(WaitFor([&] { return aria2.progress.percent.load() == 10; }));
}

TEST(ToolRun, LinesSplitAcrossReadsAreNotJoined) {
    TempFolder root("split");
    const std::string soft = root.Sub("soft");
    InstallFakeTool(soft, "aria2c.exe",
                    "print [#1 1.0MiB/10MiB(1%) CN:1 DL:1.0MiB ETA:9s]\\n[#1 2.0MiB/10MiB(2\n"
                    "wait go\n"
                    "print 0%) CN:1 DL:1.0MiB ETA:5s]\\n\n"
                    "hang\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + "aria2c.exe");
    ASSERT_TRUE(aria2.Start(root.Sub("tmp"), "http://h/a.zip"));
    ASSERT_TRUE(WaitFor([&] { return aria2.progress.etaSeconds.load() == 9; }));
    WriteText(soft + "go", "");
    ASSERT_TRUE(WaitFor([&] { return aria2.progress.etaSeconds.load() == 5; }));
    // Joined, the line would read 20%; each half alone carries no percentage.
    EXPECT_EQ(aria2.progress.percent.load(), 1);
}

TEST(ToolRun, StopToolEndsAHangingToolAndReleasesEverything) {
    TempFolder root("hang");
    const std::string soft = root.Sub("soft");
    InstallFakeTool(soft, "7z.exe", "print  12%\nhang\n");
    SevenZipControl sevenZip;
    sevenZip.SetToolPath(soft + "7z.exe");
    ASSERT_TRUE(sevenZip.Extract(root.Path() + "a.7z", root.Sub("Game")));
    ASSERT_TRUE(WaitFor([&] { return sevenZip.percent.load() == 12; }));
    EXPECT_EQ(StatusOf(sevenZip), ToolStatus::Running);
    const DWORD pid = ReadRecorded(soft + "7z.args").pid;
    ASSERT_NE(pid, 0u);

    sevenZip.StopTool();
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_EQ(sevenZip.IsRunning(), 0);
    EXPECT_EQ(StatusOf(sevenZip), ToolStatus::Idle);
    EXPECT_EQ(sevenZip.GetToolPath(), "");
    EXPECT_EQ(sevenZip.finished.load(), 0);
}

TEST(ToolRun, StopToolReturnsWhileAGrandchildHoldsTheOutputPipe) {
    TempFolder root("linger");
    const std::string soft = root.Sub("soft");
    InstallFakeTool(soft, "7z.exe", "spawn\nprint  40%\nexit 0\n");
    SevenZipControl sevenZip;
    sevenZip.SetToolPath(soft + "7z.exe");
    ASSERT_TRUE(sevenZip.Extract(root.Path() + "a.7z", root.Sub("Game")));
    ASSERT_TRUE(WaitFor([&] { return sevenZip.percent.load() == 40; }));
    ASSERT_TRUE(WaitFor([&] { return FileExists(soft + "7z.child"); }));
    const DWORD child = std::stoul(ReadText(soft + "7z.child"));
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
    TempFolder root("terminate");
    const std::string soft = root.Sub("soft");
    InstallFakeTool(soft, "aria2c.exe", "print [#1 1.0MiB/10MiB(10%) CN:1]\\n\nhang\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + "aria2c.exe");
    ASSERT_TRUE(aria2.Start(root.Sub("tmp"), "http://h/a.zip"));
    ASSERT_TRUE(WaitFor([&] { return aria2.progress.percent.load() == 10; }));
    aria2.TerminateTool();
    EXPECT_EQ(aria2.IsRunning(), 0);
    DWORD code = 0;
    ASSERT_TRUE(WaitFor([&] { return StatusOf(aria2, &code) == ToolStatus::Ended; }));
    EXPECT_EQ(code, 1u);
}

TEST(ToolRun, FailedStartsLeaveNothingBehind) {
    TempFolder root("missing");
    Aria2Control aria2;
    aria2.SetToolPath(root.Path() + "soft\\aria2c.exe");
    EXPECT_FALSE(aria2.Start(root.Path(), "http://h/a.zip"));
    EXPECT_EQ(aria2.IsRunning(), 0);
    EXPECT_EQ(StatusOf(aria2), ToolStatus::Idle);
    EXPECT_EQ(aria2.progress.percent.load(), 0);
    EXPECT_EQ(aria2.progress.completed.load(), 0);

    // Stopping drivers that never ran (twice) is harmless.
    SevenZipControl never;
    never.StopTool();
    never.StopTool();
    aria2.StopTool();
    EXPECT_EQ(StatusOf(never), ToolStatus::Idle);
}

TEST(ToolRun, ExitCodeZeroCountsAsSuccessWhenTheCompletionTextWasSplit) {
    TempFolder root("split end");
    const std::string soft = root.Sub("soft");
    InstallFakeTool(soft, "aria2c.exe",
                    "print [#1 9.0MiB/10MiB(90%) CN:1]\\n(OK):download comp\n"
                    "wait go\nprint leted.\\n\nexit 0\n");
    InstallFakeTool(soft, "7z.exe", "print  97% 3 - a.pak\\nEverything is\nwait go\nprint  Ok\\n\nexit 0\n");
    Aria2Control aria2;
    aria2.SetToolPath(soft + "aria2c.exe");
    SevenZipControl sevenZip;
    sevenZip.SetToolPath(soft + "7z.exe");
    ASSERT_TRUE(aria2.Start(root.Sub("tmp"), "http://h/a.zip"));
    ASSERT_TRUE(sevenZip.Extract(root.Path() + "a.zip", root.Sub("Game")));
    ASSERT_TRUE(WaitFor([&] { return aria2.progress.percent.load() == 90 && sevenZip.percent.load() == 97; }));
    WriteText(soft + "go", "");

    DWORD code = 1;
    ASSERT_TRUE(WaitFor([&] { return StatusOf(aria2, &code) == ToolStatus::Ended; }));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(aria2.progress.completed.load(), 1);
    EXPECT_EQ(aria2.progress.percent.load(), 100);
    EXPECT_EQ(aria2.progress.downloaded.load(), 10 * 1048576);
    ASSERT_TRUE(WaitFor([&] { return StatusOf(sevenZip, &code) == ToolStatus::Ended; }));
    EXPECT_EQ(sevenZip.finished.load(), 1);
    EXPECT_EQ(sevenZip.percent.load(), 100);
}

TEST(ToolRun, ToolsStartedAtOnceFromTwoThreadsHoldOnlyTheirOwnPipes) {
    TempFolder root("together");
    const std::string quick = root.Sub("quick");
    const std::string slow = root.Sub("slow");
    InstallFakeTool(quick, "7z.exe", "print Everything is Ok\\n\nexit 0\n");
    InstallFakeTool(slow, "aria2c.exe", "hang\n");
    for (int round = 0; round < 4; ++round) {
        SevenZipControl sevenZip;
        sevenZip.SetToolPath(quick + "7z.exe");
        Aria2Control aria2;
        aria2.SetToolPath(slow + "aria2c.exe");
        std::atomic<int> arrived{0};
        auto together = [&arrived] {
            ++arrived;
            while (arrived.load() < 2) std::this_thread::yield();
        };
        bool extracting = false;
        bool downloading = false;
        std::thread first([&] {
            together();
            extracting = sevenZip.Extract(root.Path() + "a.7z", root.Path());
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
    TempFolder root("texts");
    // Neither tool exists, so every start fails quickly after setting the name.
    const std::string shortPath = root.Path() + "a.exe";
    const std::string longPath = root.Path() + "a\\much\\longer\\folder\\for\\the\\tool\\aria2c.exe";
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
        const std::string name = aria2.GetFileName();
        const std::string path = aria2.GetToolPath();
        if (!name.empty() && name != shortName && name != longName) ++torn;
        if (!path.empty() && path != shortPath && path != longPath) ++torn;
        ++reads;
    }
    writer.join();
    EXPECT_EQ(torn, 0) << "in " << reads << " reads";
}

TEST(ToolRun, AToolDiesWithTheLauncherThatStartedIt) {
    TempFolder root("job");
    const std::string soft = root.Sub("soft");
    InstallFakeTool(soft, "7z.exe", "hang\n");
    std::string line = QuoteCommandLinePiece(WindowsPathOf(CONSOLE_JOB_HOST)) + " " +
                       QuoteCommandLinePiece(soft + "7z.exe") + " " + QuoteCommandLinePiece(root.Path());
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION host = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &startup, &host));
    CloseHandle(host.hThread);
    const bool toolStarted = WaitFor([&] { return !ReadRecorded(soft + "7z.args").args.empty(); });
    HANDLE tool = toolStarted ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                                            ReadRecorded(soft + "7z.args").pid)
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
