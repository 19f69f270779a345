#pragma once
// Temporary folders, tool copies, waiting and progress records for the
// console tool tests. Paths are wide, as the drivers take them.
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Launcher/console/ConsoleToolRunner.h"

namespace console_test {

// Wine shows the Unix root as drive Z:.
std::wstring WindowsPathOf(const std::string& unixPath);

// A fresh folder below the temporary folder, removed with its contents.
// Its path ends in "\".
class TempFolder {
public:
    explicit TempFolder(const std::wstring& label);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    // Creates (and returns) a subfolder path ending in "\".
    std::wstring Sub(const std::wstring& name) const;

private:
    std::wstring path_;
};

void WriteText(const std::wstring& path, const std::string& text);
std::string ReadText(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Copies the scripted stand-in into `folder` as `exeName` and gives it
// `script` (see fake_tool/FakeConsoleTool.cpp). Returns the copy's path.
std::wstring InstallFakeTool(const std::wstring& folder, const std::wstring& exeName, const std::string& script);

// What a stand-in recorded about its start.
struct Recorded {
    DWORD pid = 0;
    std::wstring commandLine;
    std::vector<std::wstring> args;  // as CommandLineToArgvW split the line
};
Recorded ReadRecorded(const std::wstring& argsPath);

// Polls `condition` every few milliseconds; false when it never held within
// the limit (a generous bound against hangs, not a timing check).
bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 30000);

// Runs a command line to its end; returns its exit code or -1.
int RunToEnd(const std::wstring& commandLine);

// Every progress a runner's handler was given, in order.
class ProgressRecorder {
public:
    explicit ProgressRecorder(ConsoleToolRunner& runner);
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    std::vector<ToolProgress> Seen() const;
    // Waits until a reported progress satisfies `condition`; false when none
    // did within the limit.
    bool WaitUntil(const std::function<bool(const ToolProgress&)>& condition, DWORD limitMs = 30000);

private:
    ConsoleToolRunner& runner_;
    std::vector<ToolProgress> seen_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
};

} // namespace console_test
