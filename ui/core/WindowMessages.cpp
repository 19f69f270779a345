// The framework's handling of native messages: message filters first, then
// one small handler per message, looked up in a table. A handler leaves
// `handled` false when the previous window procedure must see the message
// too.
#include <windowsx.h>

#include <unordered_map>

#include "ui/control/Box.h"
#include "ui/core/IUIMessageFilter.h"
#include "ui/core/Window.h"

namespace ui {

namespace {

// Messages from child controls come back to them at this offset (the
// conventional reflection base).
constexpr UINT kReflectOffset = 0x2000;

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

} // namespace

class WindowMessageHandlers {
public:
    using Handler = LRESULT (*)(Window& window, WPARAM wParam, LPARAM lParam, bool& handled);

    static Handler Find(UINT message) {
        static const std::unordered_map<UINT, Handler> table = {
            {WM_SIZE, &OnSize},
            {WM_PAINT, &OnPaint},
            {WM_ERASEBKGND, &OnEraseBackground},
            {WM_CLOSE, &OnClose},
            {WM_KILLFOCUS, &OnKillFocus},
            {WM_SETCURSOR, &OnSetCursor},
            {WM_NOTIFY, &OnNotify},
            {WM_COMMAND, &OnCommand},
            {WM_CTLCOLOREDIT, &OnControlColorEdit},
            {WM_CTLCOLORSTATIC, &OnControlColorStatic},
            {WM_CONTEXTMENU, &OnContextMenu},
            {WM_KEYDOWN, &OnKeyDown},
            {WM_KEYUP, &OnKeyUp},
            {WM_CHAR, &OnChar},
            {WM_IME_STARTCOMPOSITION, &OnImeStartComposition},
            {WM_IME_ENDCOMPOSITION, &OnImeEndComposition},
            {WM_MOUSEMOVE, &OnMouseMove},
            {WM_LBUTTONDOWN, &OnLeftButtonDown},
            {WM_LBUTTONDBLCLK, &OnLeftButtonDoubleClick},
            {WM_RBUTTONDOWN, &OnRightButtonDown},
            {WM_LBUTTONUP, &OnLeftButtonUp},
            {WM_RBUTTONUP, &OnRightButtonUp},
            {WM_MOUSEWHEEL, &OnMouseWheel},
            {WM_MOUSEHOVER, &OnMouseHover},
            {WM_MOUSELEAVE, &OnMouseLeave},
            {WM_TOUCH, &OnTouch},
            {kPointerDownMessage, &OnPointerDown},
            {kPointerUpdateMessage, &OnPointerUpdate},
            {kPointerUpMessage, &OnPointerUp},
            {kCleanupMessage, &OnCleanup},
        };
        auto it = table.find(message);
        return it == table.end() ? nullptr : it->second;
    }

    // The message each reflected message carries, when it came from a child.
    static LRESULT Reflect(Window& window, HWND child, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
        if (!child || ::GetParent(child) != window.hwnd_) return 0;
        handled = true;
        return ::SendMessageW(child, message + kReflectOffset, wParam, lParam);
    }

private:
    static bool MouseInputIgnored(const Window& window) {
        return window.touchCaptured_ || window.pointerCaptured_;
    }

    static LRESULT OnSize(Window& window, WPARAM wParam, LPARAM, bool& handled) {
        window.SendEvent(window.focus_, EventKind::WindowSize);
        if (window.root_) window.root_->RequestLayout();
        if (wParam == SIZE_MAXIMIZED)
            window.shadow_.MaximizedOrRestored(true);
        else if (wParam == SIZE_RESTORED)
            window.shadow_.MaximizedOrRestored(false);
        handled = true;
        return 0;
    }

    static LRESULT OnPaint(Window& window, WPARAM, LPARAM, bool& handled) {
        window.Paint();
        handled = true;
        return 0;
    }

    static LRESULT OnEraseBackground(Window&, WPARAM, LPARAM, bool& handled) {
        handled = true;
        return 1;
    }

    static LRESULT OnClose(Window& window, WPARAM, LPARAM, bool&) {
        if (Control* hover = window.hover_) {
            window.hover_ = nullptr;
            window.SendEvent(hover, EventKind::MouseLeave);
        }
        for (Control** captured : {&window.pushed_, &window.touchCaptured_, &window.pointerCaptured_}) {
            Control* control = *captured;
            *captured = nullptr;
            window.SendEvent(control, EventKind::ButtonUp);
        }
        window.SetFocus(nullptr);
        if (HWND owner = ::GetWindow(window.hwnd_, GW_OWNER)) ::SetFocus(owner);
        return 0;
    }

    static LRESULT OnKillFocus(Window& window, WPARAM, LPARAM, bool&) {
        Control* captured = window.CapturedControl();
        if (captured && window.mouseCaptured_ && ::GetCapture() == window.hwnd_) {
            window.ReleaseMouseCapture();
            window.pushed_ = window.touchCaptured_ = window.pointerCaptured_ = nullptr;
            window.SendEvent(captured, EventKind::ButtonUp);
        }
        return 0;
    }

    static LRESULT OnSetCursor(Window& window, WPARAM, LPARAM lParam, bool& handled) {
        if (LOWORD(lParam) != HTCLIENT) return 0;
        if (window.CapturedControl()) {
            handled = true;
            return TRUE;
        }
        POINT point{};
        ::GetCursorPos(&point);
        ::ScreenToClient(window.hwnd_, &point);
        Control* found = window.FindInWindow(point);
        if (!window.Owns(found)) return 0;
        window.SendEventAt(found, EventKind::SetCursor, point);
        handled = true;
        return TRUE;
    }

    static LRESULT OnNotify(Window& window, WPARAM wParam, LPARAM lParam, bool& handled) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        return header ? Reflect(window, header->hwndFrom, WM_NOTIFY, wParam, lParam, handled) : 0;
    }

    static LRESULT OnCommand(Window& window, WPARAM wParam, LPARAM lParam, bool& handled) {
        return Reflect(window, reinterpret_cast<HWND>(lParam), WM_COMMAND, wParam, lParam, handled);
    }

    static LRESULT OnControlColorEdit(Window& window, WPARAM wParam, LPARAM lParam, bool& handled) {
        return Reflect(window, reinterpret_cast<HWND>(lParam), WM_CTLCOLOREDIT, wParam, lParam, handled);
    }

    static LRESULT OnControlColorStatic(Window& window, WPARAM wParam, LPARAM lParam, bool& handled) {
        return Reflect(window, reinterpret_cast<HWND>(lParam), WM_CTLCOLORSTATIC, wParam, lParam, handled);
    }

    static LRESULT OnContextMenu(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        POINT point = PointOf(lParam);
        ::ScreenToClient(window.hwnd_, &point);
        if (Control* pushed = window.pushed_) {
            window.ReleaseMouseCapture();
            window.pushed_ = nullptr;
            window.SendEventAt(pushed, EventKind::InternalMenu, point, wParam, reinterpret_cast<LPARAM>(pushed));
        }
        return 0;
    }

    static LRESULT OnKeyDown(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        // Tab works with no focus too: it takes the first (or, with Shift, the
        // last) tab stop.
        if (wParam == VK_TAB) {
            window.SetTabTarget(::GetKeyState(VK_SHIFT) >= 0);
            return 0;
        }
        if (Control* focus = window.focus_) {
            window.keyDown_ = focus;
            window.SendEvent(focus, EventKind::KeyDown, wParam, lParam, static_cast<wchar_t>(wParam));
        }
        return 0;
    }

    static LRESULT OnKeyUp(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        if (Control* keyDown = window.keyDown_) {
            window.keyDown_ = nullptr;
            window.SendEvent(keyDown, EventKind::KeyUp, wParam, lParam, static_cast<wchar_t>(wParam));
        }
        return 0;
    }

    static LRESULT OnChar(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        window.SendEvent(window.focus_, EventKind::Char, wParam, lParam, static_cast<wchar_t>(wParam));
        return 0;
    }

    static LRESULT OnImeStartComposition(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        window.SendEvent(window.focus_, EventKind::ImeStartComposition, wParam, lParam);
        return 0;
    }

    static LRESULT OnImeEndComposition(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        window.SendEvent(window.focus_, EventKind::ImeEndComposition, wParam, lParam);
        return 0;
    }

    static LRESULT OnMouseMove(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        if (MouseInputIgnored(window)) return 0;
        window.StartMouseTracking();
        const POINT point = PointOf(lParam);
        window.lastMousePoint_ = point;
        window.UpdateHover(point);
        Control* target = window.pushed_ ? window.pushed_ : window.underMouse_;
        if (window.Owns(target)) window.SendEventAt(target, EventKind::MouseMove, point, wParam, lParam);
        return 0;
    }

    static LRESULT OnLeftButtonDown(Window& window, WPARAM, LPARAM lParam, bool&) {
        if (!MouseInputIgnored(window)) window.PressAt(PointOf(lParam), EventKind::ButtonDown, true);
        return 0;
    }

    static LRESULT OnLeftButtonDoubleClick(Window& window, WPARAM, LPARAM lParam, bool&) {
        if (!MouseInputIgnored(window)) window.PressAt(PointOf(lParam), EventKind::InternalDoubleClick, false);
        return 0;
    }

    static LRESULT OnRightButtonDown(Window& window, WPARAM, LPARAM lParam, bool&) {
        if (!MouseInputIgnored(window)) window.PressAt(PointOf(lParam), EventKind::RightButtonDown, true);
        return 0;
    }

    static LRESULT OnLeftButtonUp(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        if (MouseInputIgnored(window)) return 0;
        const POINT point = PointOf(lParam);
        window.lastMousePoint_ = point;
        window.ReleaseMouseCapture();
        if (Control* pushed = window.pushed_) {
            window.pushed_ = nullptr;
            window.SendEventAt(pushed, EventKind::ButtonUp, point, wParam, lParam);
        }
        return 0;
    }

    static LRESULT OnRightButtonUp(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        if (MouseInputIgnored(window)) return 0;
        const POINT point = PointOf(lParam);
        window.lastMousePoint_ = point;
        window.ReleaseMouseCapture();
        // The control stays pushed: a left release still belongs to it.
        window.SendEventAt(window.pushed_, EventKind::RightButtonUp, point, wParam, lParam);
        return 0;
    }

    static LRESULT OnMouseWheel(Window& window, WPARAM wParam, LPARAM lParam, bool&) {
        POINT point = PointOf(lParam);
        ::ScreenToClient(window.hwnd_, &point);
        Control* found = window.FindInWindow(point);
        if (!window.Owns(found)) return 0;
        const LONG_PTR delta = GET_WHEEL_DELTA_WPARAM(wParam);
        window.SendEventAt(found, EventKind::ScrollWheel, point, static_cast<WPARAM>(delta), lParam);
        return 0;
    }

    static LRESULT OnMouseHover(Window& window, WPARAM, LPARAM lParam, bool& handled) {
        window.mouseTracking_ = false;
        const POINT point = PointOf(lParam);
        Control* found = window.FindInWindow(point);
        if (!found) return 0;
        window.SendEventAt(window.hover_, EventKind::MouseHover, point);
        if (window.Owns(found) && window.underMouse_ == found) window.ShowTooltip(found);
        handled = true;
        return 0;
    }

    static LRESULT OnMouseLeave(Window& window, WPARAM, LPARAM, bool&) {
        window.HideTooltip();
        if (window.mouseTracking_) ::SendMessageW(window.hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
        window.mouseTracking_ = false;
        return 0;
    }

    static LRESULT OnTouch(Window& window, WPARAM wParam, LPARAM lParam, bool& handled) {
        return window.HandleTouch(wParam, lParam, handled);
    }

    static LRESULT OnPointerDown(Window& window, WPARAM wParam, LPARAM lParam, bool& handled) {
        return window.HandlePointer(EventKind::PointDown, wParam, lParam, handled);
    }

    static LRESULT OnPointerUpdate(Window& window, WPARAM wParam, LPARAM lParam, bool& handled) {
        return window.HandlePointer(EventKind::PointMove, wParam, lParam, handled);
    }

    static LRESULT OnPointerUp(Window& window, WPARAM wParam, LPARAM lParam, bool& handled) {
        return window.HandlePointer(EventKind::PointUp, wParam, lParam, handled);
    }

    static LRESULT OnCleanup(Window& window, WPARAM, LPARAM, bool& handled) {
        window.DestroyQueuedControls();
        handled = true;
        return 0;
    }
};

LRESULT Window::HandleFrameworkMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    // A filter may remove itself (or others) while it runs.
    const std::vector<IUIMessageFilter*> filters = messageFilters_;
    for (IUIMessageFilter* filter : filters) {
        bool filtered = false;
        const LRESULT result = filter->MessageHandler(message, wParam, lParam, filtered);
        if (filtered && message != WM_MOUSEMOVE) {
            handled = true;
            return result;
        }
    }
    WindowMessageHandlers::Handler handler = WindowMessageHandlers::Find(message);
    if (!handler) return 0;
    return handler(*this, wParam, lParam, handled);
}

} // namespace ui
