#pragma once
// Temporary folders, tool copies and polling for the console tool tests.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace console_test {

// Wine shows the Unix root as drive Z:.
std::string WindowsPathOf(const std::string& unixPath);

// A fresh folder below the temporary folder, removed with its contents.
// Its path ends in "\".
class TempFolder {
public:
    explicit TempFolder(const std::string& label);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Creates (and returns) a subfolder path ending in "\".
    std::string Sub(const std::string& name) const;

private:
    std::string path_;
};

void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);
bool FileExists(const std::string& path);

// Copies the scripted stand-in into `folder` as `exeName` and gives it
// `script` (see fake_tool/FakeConsoleTool.cpp). Returns the copy's path.
std::string InstallFakeTool(const std::string& folder, const std::string& exeName,
                            const std::string& script);

// What a stand-in recorded about its start.
struct Recorded {
    DWORD pid = 0;
    std::string commandLine;
    std::vector<std::string> args;  // argv as the child's runtime parsed it
};
Recorded ReadRecorded(const std::string& argsPath);

// Polls `condition` every few milliseconds; false when it never held within
// the limit (a generous bound against hangs, not a timing check).
bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 30000);

// Runs a command line to its end; returns its exit code or -1.
int RunToEnd(const std::string& commandLine);

} // namespace console_test
