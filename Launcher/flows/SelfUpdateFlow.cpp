#include "Launcher/flows/SelfUpdateFlow.h"

#include <windows.h>

#include <vector>

#include "Launcher/flows/SelfUpdate.h"
#include "Launcher/net/HttpDownloader.h"
#include "pillar/EndProcessAtOnce.h"
#include "pillar/ScopedHandle.h"
#include "pillar/WholeFile.h"

namespace {

[[noreturn]] void FailUpdate(int code) {
    // Shown from a worker before or while the window comes up: topmost, so it
    // never lies hidden behind the launcher it is about.
    ::MessageBoxW(nullptr, UpdateErrorText(code).c_str(), kUpdateErrorCaption, MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
    pillar::EndProcessAtOnce();
}

// cmd.exe reads a batch file in the console's code page (the OEM one), the
// one place the launcher still needs a code page. A folder name that page
// cannot hold is a failure, never a batch that renames something else.
bool WriteBatch(const std::wstring& path, const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    BOOL substituted = FALSE;
    const int size = ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr,
                                           &substituted);
    if (size <= 0 || substituted) return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, text.data(), length, &bytes[0], size, nullptr, nullptr);
    return pillar::WriteWholeFile(path, bytes);
}

// Runs the batch hidden and lets it go.
void StartBatch(const std::wstring& path) {
    std::wstring line = L"cmd /c \"" + path + L"\"";
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                         &startup, &info)) {
        pillar::ScopedHandle process(info.hProcess);
        pillar::ScopedHandle thread(info.hThread);
    }
}

} // namespace

int PrepareSelfUpdate(const LauncherFolders& folders, const std::string& upgradeUrl,
                      const trust::ExpectedHash& programHash) {
    // A release that cannot be checked is not downloaded at all.
    if (programHash.demand == trust::HashDemand::Refuse) return 1;
    HttpDownloader download;
    // Anything but a program (an error page sent with status 200) would
    // leave a launcher that can never start again.
    if (!download.Fetch(upgradeUrl) || !IsWindowsExecutable(download.buffer, download.size)) return 1;
    if (!programHash.AcceptsBytes(download.buffer, static_cast<size_t>(download.size))) return 1;
    const std::wstring program = folders.base + kNewLauncherName;
    if (!download.SaveToFile(program)) {
        ::DeleteFileW(program.c_str());
        return 2;
    }
    const std::wstring batch = folders.base + L"\\" + kUpdateBatchName;
    if (!WriteBatch(batch, BuildUpdateBatch(folders.base, folders.exeName))) {
        // A program left beside the launcher would wait there for a batch
        // that never comes.
        ::DeleteFileW(batch.c_str());
        ::DeleteFileW(program.c_str());
        return 3;
    }
    return 0;
}

void RunSelfUpdate(const LauncherFolders& folders, const std::string& upgradeUrl,
                   const trust::ExpectedHash& programHash) {
    const int failure = PrepareSelfUpdate(folders, upgradeUrl, programHash);
    if (failure != 0) FailUpdate(failure);
    StartBatch(folders.base + L"\\" + kUpdateBatchName);
    pillar::EndProcessAtOnce();
}
