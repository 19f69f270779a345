// The smallest program shaped like the launcher's window: one 977 x 641
// layered window in one colour, centred, painted once with
// UpdateLayeredWindow. It is the subject of the GUI harness's own tests and
// the floor that start-up benchmarks compare against.
//
//   MinimalLayeredWindow.exe [CLICK_LOG]
//
// Every left click (press and release inside the window) appends
// "click X Y" (client coordinates) to CLICK_LOG. WM_CLOSE ends it with 0;
// a failed start with 2 (class), 3 (window) or 4 (first frame).
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "pillar/ScopedHandle.h"
#include "ui/render/GdiHandles.h"

namespace {

const wchar_t kWindowClass[] = L"MinimalLayeredWindow";
const int kWidth = 977;
const int kHeight = 641;
// The launcher skin's background colour, fully opaque, as B, G, R, A.
const DWORD kPixel = 0xFF20232A;

std::wstring g_clickLog;
bool g_pressed = false;

void AppendClick(LPARAM position) {
    if (g_clickLog.empty())
        return;
    pillar::ScopedHandle file(CreateFileW(g_clickLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    char line[64];
    const int length = wsprintfA(line, "click %d %d\n", static_cast<int>(static_cast<short>(LOWORD(position))),
                                 static_cast<int>(static_cast<short>(HIWORD(position))));
    DWORD written = 0;
    WriteFile(file.Get(), line, static_cast<DWORD>(length), &written, nullptr);
}

// One premultiplied 32-bit frame handed to the window manager; nothing is
// drawn again afterwards, as with the launcher's layered window.
bool PaintOnce(HWND window, int x, int y) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ui::GdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return false;
    DWORD* pixels = static_cast<DWORD*>(bits);
    for (int i = 0; i < kWidth * kHeight; ++i)
        pixels[i] = kPixel;

    ui::MemoryDC memory(nullptr);
    ui::SelectionGuard selected(memory.get(), bitmap.get());
    POINT origin = {x, y};
    SIZE size = {kWidth, kHeight};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return UpdateLayeredWindow(window, nullptr, &origin, &size, memory.get(), &source, 0, &blend, ULW_ALPHA) != FALSE;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        g_pressed = true;
        SetCapture(window);
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = g_pressed;
        g_pressed = false;
        ReleaseCapture();
        RECT client;
        GetClientRect(window, &client);
        POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (wasPressed && PtInRect(&client, at))
            AppendClick(lParam);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

std::wstring ClickLogArgument() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring log;
    if (arguments != nullptr && count >= 2)
        log = arguments[1];
    if (arguments != nullptr)
        LocalFree(arguments);
    return log;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_clickLog = ClickLogArgument();

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass))
        return 2;

    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW, kWindowClass, L"MinimalLayeredWindow",
                                  WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, x, y, kWidth, kHeight, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr)
        return 3;
    if (!PaintOnce(window, x, y))
        return 4;
    ShowWindow(window, SW_SHOW);

    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
