#include "console/ConsoleTestSupport.h"

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "pillar/TextConversion.h"

namespace console_test {

std::wstring WindowsPathOf(const std::string& unixPath) {
    std::wstring path = L"Z:" + pillar::Utf8ToWide(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + L"\\");
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

TempFolder::TempFolder(const std::wstring& label) {
    static int counter = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"console-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L"-" + label + L"\\";
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::wstring TempFolder::Sub(const std::wstring& name) const {
    const std::wstring sub = path_ + name + L"\\";
    CreateDirectoryW(sub.c_str(), nullptr);
    return sub;
}

void WriteText(const std::wstring& path, const std::string& text) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << text;
}

std::string ReadText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring InstallFakeTool(const std::wstring& folder, const std::wstring& exeName, const std::string& script) {
    const std::wstring target = folder + exeName;
    CopyFileW(WindowsPathOf(CONSOLE_FAKE_TOOL).c_str(), target.c_str(), FALSE);
    WriteText(folder + exeName.substr(0, exeName.rfind(L'.')) + L".script", script);
    return target;
}

Recorded ReadRecorded(const std::wstring& argsPath) {
    Recorded recorded;
    std::istringstream lines(ReadText(argsPath));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("pid ", 0) == 0) recorded.pid = std::stoul(line.substr(4));
        else if (line.rfind("line ", 0) == 0) recorded.commandLine = pillar::Utf8ToWide(line.substr(5));
        else if (line.rfind("arg ", 0) == 0) recorded.args.push_back(pillar::Utf8ToWide(line.substr(4)));
    }
    return recorded;
}

bool WaitFor(const std::function<bool()>& condition, DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > limitMs) return false;
        Sleep(5);
    }
    return true;
}

int RunToEnd(const std::wstring& commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info)) {
        return -1;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

ProgressRecorder::ProgressRecorder(ConsoleToolRunner& runner) : runner_(runner) {
    runner_.SetProgressHandler([this](const ToolProgress& progress) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            seen_.push_back(progress);
        }
        changed_.notify_all();
    });
}

ProgressRecorder::~ProgressRecorder() { runner_.SetProgressHandler(nullptr); }

std::vector<ToolProgress> ProgressRecorder::Seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

bool ProgressRecorder::WaitUntil(const std::function<bool(const ToolProgress&)>& condition, DWORD limitMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(limitMs),
                             [&] { return std::any_of(seen_.begin(), seen_.end(), condition); });
}

} // namespace console_test
