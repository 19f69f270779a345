// Touch and pen input, mapped minimally onto the touch and pointer events:
// the first contact captures the control under it, moves go to that control,
// the release ends the capture. The system functions are looked up by name,
// since older systems lack them.
#include <windowsx.h>

#include <vector>

#include "ui/core/Window.h"

namespace ui {

namespace {

// The pen record of the system's pointer functions, which the headers of
// our API level do not declare.
struct PointerRecord {
    DWORD pointerType;
    UINT32 pointerId;
    UINT32 frameId;
    UINT32 pointerFlags;
    HANDLE sourceDevice;
    HWND hwndTarget;
    POINT pixelLocation;
    POINT himetricLocation;
    POINT pixelLocationRaw;
    POINT himetricLocationRaw;
    DWORD time;
    UINT32 historyCount;
    INT32 inputData;
    DWORD keyStates;
    UINT64 performanceCount;
    int buttonChangeType;
};

struct PenRecord {
    PointerRecord pointer;
    UINT32 penFlags;
    UINT32 penMask;
    UINT32 pressure;  // 0 .. 1024
    UINT32 rotation;
    INT32 tiltX;
    INT32 tiltY;
};

constexpr DWORD kPointerTouch = 2;
constexpr DWORD kPointerPen = 3;
constexpr float kPenPressureRange = 1024.0f;

struct TouchFunctions {
    BOOL(WINAPI* registerTouch)(HWND, ULONG) = nullptr;
    BOOL(WINAPI* unregisterTouch)(HWND) = nullptr;
    BOOL(WINAPI* getTouchInput)(HTOUCHINPUT, UINT, PTOUCHINPUT, int) = nullptr;
    BOOL(WINAPI* closeTouchInput)(HTOUCHINPUT) = nullptr;
    BOOL(WINAPI* getPointerType)(UINT32, DWORD*) = nullptr;
    BOOL(WINAPI* getPenInfo)(UINT32, PenRecord*) = nullptr;
};

template <typename Function>
void Resolve(HMODULE module, const char* name, Function& function) {
    function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

const TouchFunctions& Touch() {
    static const TouchFunctions functions = [] {
        TouchFunctions found;
        HMODULE user = ::GetModuleHandleW(L"user32.dll");
        Resolve(user, "RegisterTouchWindow", found.registerTouch);
        Resolve(user, "UnregisterTouchWindow", found.unregisterTouch);
        Resolve(user, "GetTouchInputInfo", found.getTouchInput);
        Resolve(user, "CloseTouchInputHandle", found.closeTouchInput);
        Resolve(user, "GetPointerType", found.getPointerType);
        Resolve(user, "GetPointerPenInfo", found.getPenInfo);
        return found;
    }();
    return functions;
}

} // namespace

void Window::RegisterTouchInput() {
    if (hwnd_ && Touch().registerTouch) Touch().registerTouch(hwnd_, 0);
}

void Window::UnregisterTouchInput() {
    if (hwnd_ && Touch().unregisterTouch) Touch().unregisterTouch(hwnd_);
}

LRESULT Window::HandleTouch(WPARAM wParam, LPARAM lParam, bool& handled) {
    const TouchFunctions& touch = Touch();
    const UINT count = LOWORD(wParam);
    HTOUCHINPUT input = reinterpret_cast<HTOUCHINPUT>(lParam);
    if (count == 0 || !touch.getTouchInput || !touch.closeTouchInput) return 0;
    std::vector<TOUCHINPUT> contacts(count);
    if (!touch.getTouchInput(input, count, contacts.data(), sizeof(TOUCHINPUT))) return 0;
    for (const TOUCHINPUT& contact : contacts) {
        // Touch coordinates come in hundredths of a screen pixel.
        POINT point{contact.x / 100, contact.y / 100};
        ::ScreenToClient(hwnd_, &point);
        lastTouchPoint_ = point;
        if (contact.dwFlags & TOUCHEVENTF_DOWN) {
            Control* found = FindInWindow(point);
            if (!Owns(found)) continue;
            touchCaptured_ = found;
            SendEventAt(found, EventKind::TouchDown, point);
        } else if (contact.dwFlags & TOUCHEVENTF_MOVE) {
            SendEventAt(touchCaptured_, EventKind::TouchMove, point);
        } else if (contact.dwFlags & TOUCHEVENTF_UP) {
            Control* captured = touchCaptured_;
            touchCaptured_ = nullptr;
            SendEventAt(captured, EventKind::TouchUp, point);
        }
    }
    touch.closeTouchInput(input);
    handled = true;
    return 0;
}

LRESULT Window::HandlePointer(EventKind kind, WPARAM wParam, LPARAM lParam, bool& handled) {
    const TouchFunctions& touch = Touch();
    if (!pointerInput_ || !touch.getPointerType) return 0;
    const UINT32 id = LOWORD(wParam);
    DWORD type = 0;
    // Mouse pointers keep arriving as mouse messages.
    if (!touch.getPointerType(id, &type) || (type != kPointerTouch && type != kPointerPen)) return 0;
    float pressure = 0.0f;
    PenRecord pen{};
    if (type == kPointerPen && touch.getPenInfo && touch.getPenInfo(id, &pen))
        pressure = static_cast<float>(pen.pressure) / kPenPressureRange;
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(hwnd_, &point);
    if (kind == EventKind::PointDown) {
        Control* found = FindInWindow(point);
        if (Owns(found)) {
            pointerCaptured_ = found;
            SendEventAt(found, kind, point, wParam, lParam, 0, pressure);
        }
    } else if (kind == EventKind::PointMove) {
        SendEventAt(pointerCaptured_, kind, point, wParam, lParam, 0, pressure);
    } else {
        Control* captured = pointerCaptured_;
        pointerCaptured_ = nullptr;
        SendEventAt(captured, kind, point, wParam, lParam, 0, pressure);
    }
    handled = true;
    return 0;
}

} // namespace ui
