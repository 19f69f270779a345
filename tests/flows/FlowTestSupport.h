#pragma once
// A launcher folder as a player has it, in a folder whose name holds Chinese
// characters and a space (the system code page here cannot name it), with
// the stand-in download tool and the real 7-Zip in "soft\".
#include <windows.h>

#include <string>

#include "Launcher/flows/LauncherFolders.h"
#include "pillar/FileSystem.h"
#include "pillar/ScopedHandle.h"
#include "pillar/WholeFile.h"
#include "support/TestHttpServer.h"

namespace flows_test {

// Wine shows the Unix root as drive Z:.
inline std::wstring WindowsPathOf(const char* unixPath) {
    std::wstring path = L"Z:" + pillar::Utf8ToWide(unixPath);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

inline bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadFileText(const std::wstring& path) {
    std::string text;
    return pillar::ReadWholeFile(path, text) ? text : std::string("<unreadable>");
}

inline bool WriteFileText(const std::wstring& path, const std::string& text) {
    pillar::MakeParentFolders(path);
    return pillar::WriteWholeFile(path, text);
}

// Runs `commandLine` hidden to its end; its exit code, or -1.
inline int RunToEnd(std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info))
        return -1;
    pillar::ScopedHandle process(info.hProcess), thread(info.hThread);
    if (::WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    return ::GetExitCodeProcess(process.Get(), &code) ? static_cast<int>(code) : -1;
}

class LauncherFolderFixture {
public:
    LauncherFolderFixture() : scratch_(testsupport::MakeScratchFolder(L"flows")) {
        folders_ = LauncherFolders::Below(scratch_ + L"\\\u6E38\u620F \u542F\u52A8\u5668\\", L"Launcher.exe");
        folders_.Make();
        site_ = scratch_ + L"\\site\\";
        ::CreateDirectoryW(site_.c_str(), nullptr);
        ::CopyFileW(WindowsPathOf(STANDIN_ARIA2C).c_str(), (folders_.soft + L"aria2c.exe").c_str(), FALSE);
        ::CopyFileW((WindowsPathOf(SEVEN_ZIP_BIN_DIR) + L"\\7za-x64.exe").c_str(), (folders_.soft + L"7z.exe").c_str(),
                    FALSE);
    }
    ~LauncherFolderFixture() { testsupport::RemoveTree(scratch_); }
    LauncherFolderFixture(const LauncherFolderFixture&) = delete;
    LauncherFolderFixture& operator=(const LauncherFolderFixture&) = delete;

    const LauncherFolders& Folders() const { return folders_; }
    // What the test server serves.
    const std::wstring& Site() const { return site_; }
    // Packs `source` (a folder) into the site as `archiveName` with the real 7-Zip.
    bool PackIntoSite(const std::wstring& source, const std::wstring& archiveName) const {
        return RunToEnd(L"\"" + folders_.soft + L"7z.exe\" a \"" + site_ + archiveName + L"\" \"" + source +
                        L"\\*\" -y") == 0;
    }
    std::wstring Scratch(const std::wstring& name) const { return scratch_ + L"\\" + name; }

private:
    std::wstring scratch_;
    LauncherFolders folders_;
    std::wstring site_;
};

} // namespace flows_test
