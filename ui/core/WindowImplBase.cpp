#include "ui/core/WindowImplBase.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <memory>

#include "ui/control/Box.h"
#include "ui/control/Button.h"
#include "ui/control/ShadowBox.h"
#include "ui/core/SkinBuilder.h"
#include "ui/core/UiGlobals.h"

namespace ui {

namespace {

// %ls: the wide path in a wide format on every C runtime.
constexpr const wchar_t* kLoadFailedFormat = L"Failed to load xml file %ls";
constexpr const wchar_t* kLoadFailedCaption = L"Vellum";
constexpr int kAutoSizeLimit = 99999;

using MessageHandlerMethod = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool&);

struct MessageRoute {
    UINT message;
    MessageHandlerMethod handler;
};

bool IsButton(Control* control) {
    return dynamic_cast<ButtonTemplate<Control>*>(control) != nullptr ||
           dynamic_cast<ButtonTemplate<Box>*>(control) != nullptr;
}

bool Inside(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

// Where a point lies on the resize border; HTNOWHERE when it is not on it.
LRESULT SizeBoxHit(const RECT& client, const RECT& sizeBox, POINT pt) {
    if (pt.y < client.top + sizeBox.top) {
        if (!Inside(client, pt)) return HTCLIENT;
        if (pt.x < client.left + sizeBox.left) return HTTOPLEFT;
        if (pt.x > client.right - sizeBox.right) return HTTOPRIGHT;
        return HTTOP;
    }
    if (pt.y > client.bottom - sizeBox.bottom) {
        if (!Inside(client, pt)) return HTCLIENT;
        if (pt.x < client.left + sizeBox.left) return HTBOTTOMLEFT;
        if (pt.x > client.right - sizeBox.right) return HTBOTTOMRIGHT;
        return HTBOTTOM;
    }
    if (pt.x < client.left + sizeBox.left) return Inside(client, pt) ? HTLEFT : HTCLIENT;
    if (pt.x > client.right - sizeBox.right) return Inside(client, pt) ? HTRIGHT : HTCLIENT;
    return HTNOWHERE;
}

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

} // namespace

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() = default;

UINT WindowImplBase::ClassStyle() const { return CS_DBLCLKS; }

void WindowImplBase::OnWindowGone(HWND window) {
    Window::OnWindowGone(window);
    EventArgs closing(EventKind::WindowClose, nullptr);
    RunWindowHandlers(closing);
    ReapRoot();
    delete this;
}

LRESULT WindowImplBase::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageRoute kRoutes[] = {
        {WM_CREATE, &WindowImplBase::OnCreate},
        {WM_DESTROY, &WindowImplBase::OnDestroy},
        {WM_SIZE, &WindowImplBase::OnSize},
        {WM_SETFOCUS, &WindowImplBase::OnSetFocus},
        {WM_KILLFOCUS, &WindowImplBase::OnKillFocus},
        {WM_CLOSE, &WindowImplBase::OnClose},
        {WM_GETMINMAXINFO, &WindowImplBase::OnGetMinMaxInfo},
        {WM_WINDOWPOSCHANGING, &WindowImplBase::OnWindowPosChanging},
        {WM_NCCALCSIZE, &WindowImplBase::OnNcCalcSize},
        {WM_NCHITTEST, &WindowImplBase::OnNcHitTest},
        {WM_NCPAINT, &WindowImplBase::OnNcPaint},
        {WM_NCACTIVATE, &WindowImplBase::OnNcActivate},
        {WM_NCLBUTTONDBLCLK, &WindowImplBase::OnNcDoubleClick},
        {WM_KEYDOWN, &WindowImplBase::OnKeyDown},
        {WM_CHAR, &WindowImplBase::OnChar},
        {WM_SYSCOMMAND, &WindowImplBase::OnSysCommand},
        {WM_MOUSEMOVE, &WindowImplBase::OnMouseMove},
        {WM_LBUTTONDOWN, &WindowImplBase::OnLButtonDown},
        {WM_LBUTTONUP, &WindowImplBase::OnLButtonUp},
        {WM_MOUSEWHEEL, &WindowImplBase::OnMouseWheel},
        {WM_MOUSEHOVER, &WindowImplBase::OnMouseHover},
        {WM_DPICHANGED, &WindowImplBase::OnDpiChanged},
    };
    for (const MessageRoute& route : kRoutes) {
        if (route.message != message) continue;
        bool handled = true;
        const LRESULT result = (this->*route.handler)(message, wParam, lParam, handled);
        if (handled) return result;
        break;
    }
    return Window::ProcessMessage(message, wParam, lParam);
}

// --- creation -------------------------------------------------------------------

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& handled) {
    handled = true;
    HWND handle = NativeHandle();
    ::SetWindowLongPtrW(handle, GWL_STYLE, StyleWithoutCaption());
    Init(handle);
    SetWindowSkinPath(SkinFolder());

    const std::wstring markup = WindowSkinPath() + SkinFile();
    CreateControlCallback makeControl = MakeWeakCallback(
        [this](const std::wstring& className) { return MakeControl(className); });
    SkinBuilder builder;
    std::unique_ptr<Control> made(builder.Create(markup, makeControl, this));
    // Only a container can be the root; anything else counts as a failed load.
    std::unique_ptr<Box> root(dynamic_cast<Box*>(made.get()));
    if (root) made.release();
    if (!root) {
        wchar_t message[MAX_PATH];
        std::swprintf(message, MAX_PATH, kLoadFailedFormat, markup.c_str());
        ::MessageBoxW(nullptr, message, kLoadFailedCaption, MB_ICONHAND);
        return -1;
    }

    BindRoot(Shadow().Attach(std::move(root)));
    OnSkinReady();
    FitWindowToAutoSizedRoot();
    WireSystemButtons();
    return 0;
}

void WindowImplBase::FitWindowToAutoSizedRoot() {
    Box* root = RootBox();
    if (!root || !root->IsAutoSized()) return;
    SIZE size = root->MeasureSize(kAutoSizeLimit, kAutoSizeLimit);
    size.cx = Clamp(size.cx, root->MinWidth(), root->MaxWidth());
    size.cy = Clamp(size.cy, root->MinHeight(), root->MaxHeight());
    ::SetWindowPos(NativeHandle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void WindowImplBase::WireSystemButtons() {
    for (const wchar_t* name : {L"closebtn", L"minbtn", L"maxbtn", L"restorebtn"}) {
        Control* control = FindInWindow(name);
        if (!control || !IsButton(control)) continue;
        control->AddClickHandler(MakeWeakCallback(&WindowImplBase::OnSystemButtonClick, this));
    }
}

bool WindowImplBase::OnSystemButtonClick(EventArgs* event) {
    Control* sender = event ? event->Sender : nullptr;
    if (!sender) return true;
    const std::wstring& name = sender->GetControlName();
    Control* maxButton = FindInWindow(L"maxbtn");
    Control* restoreButton = FindInWindow(L"restorebtn");
    const bool bothSizeButtons = maxButton && restoreButton;
    if (name == L"closebtn") {
        Close(1);
    } else if (name == L"minbtn") {
        ::SendMessageW(NativeHandle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        if (bothSizeButtons) {
            maxButton->ShowAnimated(false);
            restoreButton->ShowAnimated(true);
        }
        ::SendMessageW(NativeHandle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name == L"restorebtn") {
        if (bothSizeButtons) {
            maxButton->ShowAnimated(true);
            restoreButton->ShowAnimated(false);
        }
        ::SendMessageW(NativeHandle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    return true;
}

// --- overridable hooks ------------------------------------------------------------

void WindowImplBase::OnSkinReady() {}

LONG WindowImplBase::StyleWithoutCaption() {
    return static_cast<LONG>(::GetWindowLongPtrW(NativeHandle(), GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CAPTION));
}

std::wstring WindowImplBase::ResourceName() const { return std::wstring(); }

Control* WindowImplBase::MakeControl(const std::wstring&) { return nullptr; }

LRESULT WindowImplBase::MessageHandler(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

// --- message handlers ------------------------------------------------------------

namespace {

LRESULT NotHandled(bool& handled) {
    handled = false;
    return 0;
}

LRESULT HandledWithZero(bool& handled) {
    handled = true;
    return 0;
}

} // namespace

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }

// The whole window is client area, drawn by the skin.
LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool& handled) { return HandledWithZero(handled); }
LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool& handled) { return HandledWithZero(handled); }
// Double-clicking the caption must not maximise the window.
LRESULT WindowImplBase::OnNcDoubleClick(UINT, WPARAM, LPARAM, bool& handled) { return HandledWithZero(handled); }

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
    if (::IsIconic(NativeHandle())) return NotHandled(handled);
    handled = true;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& handled) {
    handled = true;
    HWND handle = NativeHandle();
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(handle, &pt);
    RECT client{};
    ::GetClientRect(handle, &client);
    if (Shadow().IsAttached()) {
        const RECT band = Shadow().ShadowCorner();
        client = RECT{client.left + band.left, client.top + band.top, client.right - band.right,
                      client.bottom - band.bottom};
    }

    if (!::IsZoomed(handle)) {
        const LRESULT border = SizeBoxHit(client, SizeBox(), pt);
        if (border != HTNOWHERE) return border;
    }

    const RECT& caption = CaptionRect();
    const bool inCaption = pt.x >= client.left + caption.left && pt.x < client.right - caption.right &&
                           pt.y >= client.top + caption.top && pt.y < client.top + caption.bottom;
    if (!inCaption) return HTCLIENT;
    Control* control = FindInWindow(pt);
    if (!control || IsButton(control)) return HTCLIENT;
    return HTCAPTION;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled) {
    handled = false;
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!info || !::GetMonitorInfoW(::MonitorFromWindow(NativeHandle(), MONITOR_DEFAULTTONEAREST), &monitor))
        return 0;
    RECT work = monitor.rcWork;
    ::OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);

    const RECT& maximize = MaximizeRect();
    if (maximize.right - maximize.left > 0 && maximize.bottom - maximize.top > 0) {
        info->ptMaxPosition = POINT{work.left + maximize.left, work.top + maximize.top};
        info->ptMaxSize = POINT{maximize.right - maximize.left, maximize.bottom - maximize.top};
    } else {
        info->ptMaxPosition = POINT{work.left, work.top};
        info->ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
    }

    // A limit equal to the shadow band alone means no limit was set.
    const RECT band = Shadow().ShadowCorner();
    const LONG bandWidth = band.left + band.right;
    const LONG bandHeight = band.top + band.bottom;
    const SIZE maxSize = MaxInfo();
    const SIZE minSize = MinInfo();
    if (maxSize.cx != 0 && maxSize.cx != bandWidth) info->ptMaxTrackSize.x = maxSize.cx;
    if (maxSize.cy != 0 && maxSize.cy != bandHeight) info->ptMaxTrackSize.y = maxSize.cy;
    if (minSize.cx != 0 && minSize.cx != bandWidth) info->ptMinTrackSize.x = minSize.cx;
    if (minSize.cy != 0 && minSize.cy != bandHeight) info->ptMinTrackSize.y = minSize.cy;
    return 0;
}

LRESULT WindowImplBase::OnWindowPosChanging(UINT, WPARAM, LPARAM lParam, bool& handled) {
    handled = false;
    auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
    HWND handle = NativeHandle();
    if (!position || !::IsZoomed(handle) || !(position->flags & SWP_FRAMECHANGED)) return 0;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST), &monitor)) return 0;
    if (monitor.dwFlags & MONITORINFOF_PRIMARY) return 0;
    // A maximised window on another monitor fills that monitor's work area.
    position->x = monitor.rcWork.left;
    position->y = monitor.rcWork.top;
    position->cx = monitor.rcWork.right - monitor.rcWork.left;
    position->cy = monitor.rcWork.bottom - monitor.rcWork.top;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    const SIZE round = RoundCorner();
    if (wParam == SIZE_MINIMIZED || (round.cx == 0 && round.cy == 0)) return 0;
    HWND handle = NativeHandle();
    RECT window{};
    ::GetWindowRect(handle, &window);
    HRGN region = ::CreateRoundRectRgn(0, 0, window.right - window.left + 1, window.bottom - window.top + 1,
                                       round.cx, round.cy);
    // The system owns the region once it is set.
    if (region && !::SetWindowRgn(handle, region, TRUE)) ::DeleteObject(region);
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    // The low four bits are the system's own; only the command counts.
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        ::SendMessageW(NativeHandle(), WM_CLOSE, 0, 0);
        return 0;
    }
    bool frameworkHandled = false;
    const LRESULT result = HandleFrameworkMessage(message, wParam, lParam, frameworkHandled);
    if (frameworkHandled) return result;
    return CallPreviousProcedure(message, wParam, lParam);
}

LRESULT WindowImplBase::OnDpiChanged(UINT, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    if (!UiGlobals::IsAdaptDpi()) return 0;
    UiGlobals::SetDpiScale(LOWORD(wParam) * 100 / 96);
    Shadow().ChangeDpiScale();
    return 0;
}

// --- window actions ------------------------------------------------------------------

void WindowImplBase::ActiveWindow() {
    HWND handle = NativeHandle();
    if (!handle || !::IsWindow(handle)) return;
    if (::IsIconic(handle)) {
        ::ShowWindow(handle, SW_RESTORE);
        return;
    }
    if (!::IsWindowVisible(handle)) ::ShowWindow(handle, SW_SHOW);
    ::SetForegroundWindow(handle);
}

void WindowImplBase::SetTitleText(const std::wstring& text) { ::SetWindowTextW(NativeHandle(), text.c_str()); }

} // namespace ui
