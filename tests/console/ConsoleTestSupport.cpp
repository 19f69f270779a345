#include "console/ConsoleTestSupport.h"

#include <fstream>
#include <sstream>

namespace console_test {

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

TempFolder::TempFolder(const std::string& label) {
    static int counter = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "console-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter) + "-" + label + "\\";
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::Sub(const std::string& name) const {
    const std::string sub = path_ + name + "\\";
    CreateDirectoryA(sub.c_str(), nullptr);
    return sub;
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string InstallFakeTool(const std::string& folder, const std::string& exeName,
                            const std::string& script) {
    const std::string target = folder + exeName;
    CopyFileA(WindowsPathOf(CONSOLE_FAKE_TOOL).c_str(), target.c_str(), FALSE);
    WriteText(folder + exeName.substr(0, exeName.rfind('.')) + ".script", script);
    return target;
}

Recorded ReadRecorded(const std::string& argsPath) {
    Recorded recorded;
    std::istringstream lines(ReadText(argsPath));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("pid ", 0) == 0) recorded.pid = std::stoul(line.substr(4));
        else if (line.rfind("line ", 0) == 0) recorded.commandLine = line.substr(5);
        else if (line.rfind("arg ", 0) == 0) recorded.args.push_back(line.substr(4));
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

int RunToEnd(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
        return -1;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

} // namespace console_test
