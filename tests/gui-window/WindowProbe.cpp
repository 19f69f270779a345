// Tells a GUI test what only Windows knows about a top-level window found by
// its exact title:
//
//   WindowProbe.exe iconic TITLE   exit 0 when minimised, 1 when not
//   WindowProbe.exe texts TITLE    prints the texts of its child windows
//                                  (UTF-8, one per line), exit 0
//   WindowProbe.exe foreground     prints the title of the active
//                                  (foreground) window (UTF-8), exit 0
//
// Exit 2: no such window; 3: bad arguments.
//
// Wine keeps the foreground window per prefix and sends typed keys to it
// whichever X window holds the focus, so a test checks it before typing.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "pillar/TextConversion.h"

namespace {

std::string TitleOf(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return pillar::WideToUtf8(text);
}

BOOL CALLBACK PrintChildText(HWND child, LPARAM) {
    std::printf("%s\n", TitleOf(child).c_str());
    return TRUE;
}

int Foreground() {
    HWND window = ::GetForegroundWindow();
    if (!window) return 2;
    std::printf("%s\n", TitleOf(window).c_str());
    std::fflush(stdout);
    return 0;
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
    int code = 3;
    if (count == 2 && std::wstring(arguments[1]) == L"foreground")
        code = Foreground();
    else if (count == 3)
        code = Probe(arguments[1], arguments[2]);
    ::LocalFree(arguments);
    return code;
}
