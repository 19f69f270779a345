// A stand-in game for the demo service: a window that shows which program
// started, with which parameters and in which folder, and a marker file next
// to the program that says the same for tests. It ends on WM_CLOSE with 0.
#include <windows.h>

#include <string>

#include "demo/game/StartMarker.h"
#include "ui/render/GdiHandles.h"

namespace {

const wchar_t kWindowClass[] = L"DemoGameWindow";

struct StartFacts {
    std::wstring modulePath;
    std::wstring name;  // module file name without folder and extension
    std::wstring parameters;
    std::wstring workingFolder;
};

StartFacts g_facts;

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring WorkingFolder() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, &folder[0]);
    folder.resize(length < needed ? length : 0);
    return folder;
}

std::wstring UtcNow() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    wchar_t text[32];
    wsprintfW(text, L"%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond);
    return text;
}

std::wstring NameOf(const std::wstring& modulePath) {
    const size_t slash = modulePath.find_last_of(L"\\/");
    std::wstring name = modulePath.substr(slash == std::wstring::npos ? 0 : slash + 1);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

void DrawLine(HDC dc, HFONT font, COLORREF colour, int top, const std::wstring& text) {
    ui::SelectionGuard selected(dc, font);
    SetTextColor(dc, colour);
    RECT box = {24, top, 10000, top + 40};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    // A vertical gradient in bands: enough to look like a title screen.
    const int bands = 32;
    for (int i = 0; i < bands; ++i) {
        RECT band = client;
        band.top = client.bottom * i / bands;
        band.bottom = client.bottom * (i + 1) / bands;
        ui::GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(18 + i, 24 + i * 2, 48 + i * 3)));
        FillRect(dc, &band, brush.get());
    }
    SetBkMode(dc, TRANSPARENT);
    ui::GdiObject<HFONT> title(CreateFontW(40, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                           CLEARTYPE_QUALITY, 0, L"Arial"));
    ui::GdiObject<HFONT> body(CreateFontW(18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                          CLEARTYPE_QUALITY, 0, L"Arial"));
    DrawLine(dc, title.get(), RGB(252, 183, 85), 24, g_facts.name);
    DrawLine(dc, body.get(), RGB(255, 255, 255), 90, L"Parameters: " + g_facts.parameters);
    DrawLine(dc, body.get(), RGB(190, 200, 214), 120, L"Working folder: " + g_facts.workingFolder);
    DrawLine(dc, body.get(), RGB(190, 200, 214), 150, L"Program: " + g_facts.modulePath);
    EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const std::wstring commandLine = GetCommandLineW();
    g_facts.modulePath = ModulePath();
    g_facts.name = NameOf(g_facts.modulePath);
    g_facts.parameters = ParametersOf(commandLine);
    g_facts.workingFolder = WorkingFolder();
    // The marker is written before the window exists, so a test that sees the
    // window can rely on the marker being there.
    WriteStartMarker(StartMarkerPathFor(g_facts.modulePath),
                     StartMarkerText(g_facts.modulePath, commandLine, g_facts.workingFolder, UtcNow()));

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass))
        return 1;

    const int width = 720;
    const int height = 220;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = CreateWindowExW(0, kWindowClass, g_facts.name.c_str(), WS_OVERLAPPEDWINDOW, x, y, width,
                                  height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
