// Tells a GUI test what only Windows knows about a top-level window found by
// its exact title, or about a shell link:
//
//   WindowProbe.exe iconic TITLE   exit 0 when minimised, 1 when not
//   WindowProbe.exe texts TITLE    prints the texts of its child windows
//                                  (UTF-8, one per line), exit 0
//   WindowProbe.exe foreground     prints the title of the active
//                                  (foreground) window (UTF-8), exit 0
//   WindowProbe.exe link PATH      prints the target and the working folder
//                                  of the shell link PATH as the shell
//                                  resolves them (UTF-8, one per line), exit 0
//
// Exit 2: no such window or link; 3: bad arguments.
//
// Wine keeps the foreground window per prefix and sends typed keys to it
// whichever X window holds the focus, so a test checks it before typing.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

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

// The target as the shell resolves it, from the link's item ID list. The
// plain path field is not enough: Wine stores it in the system code page
// only, so a Chinese folder comes back as question marks.
int Link(const std::wstring& path) {
    if (FAILED(::CoInitialize(nullptr))) return 2;
    int code = 2;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        PIDLIST_ABSOLUTE items = nullptr;
        wchar_t target[MAX_PATH * 2] = {};
        wchar_t working[MAX_PATH * 2] = {};
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(path.c_str(), STGM_READ)) && SUCCEEDED(link->GetIDList(&items)) && items &&
            ::SHGetPathFromIDListW(items, target) && SUCCEEDED(link->GetWorkingDirectory(working, MAX_PATH * 2))) {
            std::printf("%s\n%s\n", pillar::WideToUtf8(target).c_str(), pillar::WideToUtf8(working).c_str());
            std::fflush(stdout);
            code = 0;
        }
        ::CoTaskMemFree(items);
        if (file) file->Release();
        link->Release();
    }
    ::CoUninitialize();
    return code;
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
    else if (count == 3 && std::wstring(arguments[1]) == L"link")
        code = Link(arguments[2]);
    else if (count == 3)
        code = Probe(arguments[1], arguments[2]);
    ::LocalFree(arguments);
    return code;
}
