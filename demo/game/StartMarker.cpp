#include "demo/game/StartMarker.h"

#include <windows.h>

#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

} // namespace

std::wstring ParametersOf(const std::wstring& commandLine) {
    size_t at = 0;
    // The program token follows the loader's rule: a quoted token ends at the
    // next quote (no escapes), a bare one at the first blank.
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        at = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (at < commandLine.size() && !IsBlank(commandLine[at]))
            ++at;
    }
    while (at < commandLine.size() && IsBlank(commandLine[at]))
        ++at;
    return commandLine.substr(at);
}

std::wstring StartMarkerPathFor(const std::wstring& modulePath) {
    const size_t slash = modulePath.find_last_of(L"\\/");
    const size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const size_t dot = modulePath.rfind(L'.');
    const size_t nameEnd = (dot == std::wstring::npos || dot < nameStart) ? modulePath.size() : dot;
    return modulePath.substr(0, nameEnd) + L".started";
}

std::string StartMarkerText(const std::wstring& modulePath, const std::wstring& commandLine,
                            const std::wstring& workingFolder, const std::wstring& startedUtc) {
    std::string text;
    auto line = [&text](const char* key, const std::wstring& value) {
        text += key;
        text += '=';
        text += pillar::WideToUtf8(value);
        text += '\n';
    };
    line("program", modulePath);
    line("command_line", commandLine);
    line("parameters", ParametersOf(commandLine));
    line("working_folder", workingFolder);
    line("started_utc", startedUtc);
    line("pid", std::to_wstring(GetCurrentProcessId()));
    return text;
}

bool WriteStartMarker(const std::wstring& markerPath, const std::string& text) {
    const std::wstring temporary = markerPath + L".tmp";
    if (!pillar::WriteWholeFile(temporary, text))
        return false;
    if (!MoveFileExW(temporary.c_str(), markerPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}
