#include "Launcher/flows/GameLaunchPlan.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "pillar/ScopedHandle.h"

namespace {

bool CanOpenForReading(const std::wstring& path) {
    FILE* file = nullptr;
    if (_wfopen_s(&file, path.c_str(), L"r") != 0 || file == nullptr) return false;
    std::fclose(file);
    return true;
}

} // namespace

std::wstring ParentFolder(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(0, separator);
}

GameLaunchPlan MakeGameLaunchPlan(const std::wstring& gameFolder, const std::wstring& exePath,
                                  const std::wstring& parameters) {
    GameLaunchPlan plan;
    plan.executablePath = gameFolder + exePath;
    plan.workingFolder = ParentFolder(plan.executablePath) + L"\\";
    const bool hasBlank = plan.executablePath.find_first_of(L" \t") != std::wstring::npos;
    plan.commandLine = hasBlank ? L"\"" + plan.executablePath + L"\"" : plan.executablePath;
    if (!parameters.empty()) plan.commandLine += L" " + parameters;
    return plan;
}

bool StartGame(const GameLaunchPlan& plan) {
    if (!CanOpenForReading(plan.executablePath)) return false;
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> commandLine(plan.commandLine.begin(), plan.commandLine.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        plan.workingFolder.c_str(), &startup, &info)) {
        return false;
    }
    // The game runs on its own; nothing waits for it.
    pillar::ScopedHandle process(info.hProcess);
    pillar::ScopedHandle thread(info.hThread);
    return true;
}
