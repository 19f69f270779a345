// Tells a GUI test what only Windows knows about a top-level window found by
// its exact title:
//
//   WindowProbe.exe iconic TITLE   exit 0 when minimised, 1 when not
//   WindowProbe.exe texts TITLE    prints the texts of its child windows
//                                  (UTF-8, one per line), exit 0
//
// Exit 2: no such window; 3: bad arguments.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "pillar/TextConversion.h"

namespace {

BOOL CALLBACK PrintChildText(HWND child, LPARAM) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(child, text, 1024);
    std::printf("%s\n", pillar::WideToUtf8(text).c_str());
    return TRUE;
}

int Probe(const std::wstring& question, const std::wstring& title) {
    HWND window = ::FindWindowW(nullptr, title.c_str());
    if (!window) return 2;
    if (question == L"iconic") return ::IsIconic(window) ? 0 : 1;
    if (question == L"texts") {
        ::EnumChildWindows(window, &PrintChildText, 0);
        std::fflush(stdout);
        return 0;
    }
    return 3;
}

} // namespace

int main() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments) return 3;
    const int code = count == 3 ? Probe(arguments[1], arguments[2]) : 3;
    ::LocalFree(arguments);
    return code;
}
