// The native window's life: class registration, creation, the two window
// procedures, closing with the fade-out, showing, centring, and the settings
// the skin builder fills in.
#include "ui/core/Window.h"

#include <versionhelpers.h>

#include <algorithm>

#include "pillar/UiTimerService.h"
#include "ui/control/Box.h"
#include "ui/core/IUIMessageFilter.h"
#include "ui/render/IRenderContext.h"
#include "ui/render/IRenderFactory.h"

namespace ui {

namespace {

// Window property that carries the object of a super-classed window.
constexpr const wchar_t* kObjectProperty = L"WndX";
constexpr UINT kCloseFadeMs = 300;

RECT ScaledRect(const RECT& rect, bool dpiScale) {
    if (!dpiScale) return rect;
    return RECT{UiGlobals::ScaleByDpi(rect.left), UiGlobals::ScaleByDpi(rect.top), UiGlobals::ScaleByDpi(rect.right),
                UiGlobals::ScaleByDpi(rect.bottom)};
}

} // namespace

Window::Window() { BuildDefaultFont(); }

Window::~Window() {
    ReapRoot();
    // An object deleted while its native window lives takes the window along,
    // after making sure the window no longer reaches it.
    HWND window = hwnd_;
    DetachNativeWindow();
    if (window && ::IsWindow(window)) ::DestroyWindow(window);
}

void Window::BuildDefaultFont() {
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfCharSet = DEFAULT_CHARSET;
    defaultFont_.font.reset(::CreateFontIndirectW(&font));
    defaultFont_.faceName = font.lfFaceName;
    defaultFont_.size = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    defaultFont_.bold = font.lfWeight >= FW_BOLD;
    defaultFont_.underline = font.lfUnderline != FALSE;
    defaultFont_.italic = font.lfItalic != FALSE;
    if (HDC screen = ::GetDC(nullptr)) {
        SelectionGuard selected(screen, defaultFont_.Handle());
        defaultFont_.hasMetrics = ::GetTextMetricsW(screen, &defaultFont_.metrics) != FALSE;
        ::ReleaseDC(nullptr, screen);
    }
}

// --- virtual operations ------------------------------------------------------------------

std::wstring Window::WindowClassName() const { return {}; }
std::wstring Window::BaseClassName() const { return {}; }
UINT Window::ClassStyle() const { return 0; }

bool Window::RegisterSuperclass(const std::wstring& baseClass, HINSTANCE module) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    if (!::GetClassInfoExW(nullptr, baseClass.c_str(), &info) &&
        !::GetClassInfoExW(module, baseClass.c_str(), &info))
        return false;
    previousProcedure_ = info.lpfnWndProc;
    const std::wstring name = WindowClassName();
    info.lpfnWndProc = &Window::SuperclassProcedure;
    info.hInstance = module;
    info.lpszClassName = name.c_str();
    return ::RegisterClassExW(&info) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::RegisterWindowClass() {
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    const std::wstring base = BaseClassName();
    if (!base.empty()) return RegisterSuperclass(base, module);
    const std::wstring name = WindowClassName();
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    info.style = ClassStyle();
    info.lpfnWndProc = &Window::WindowProcedure;
    info.hInstance = module;
    info.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    info.lpszClassName = name.c_str();
    return ::RegisterClassExW(&info) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND Window::Create(HWND parent, const std::wstring& windowName, DWORD style, DWORD exStyle, bool layered,
                    const RECT& rect) {
    if (!RegisterWindowClass()) return nullptr;
    layered_ = layered;
    if (layered) exStyle |= WS_EX_LAYERED;
    HWND window = ::CreateWindowExW(exStyle, WindowClassName().c_str(), windowName.c_str(), style, rect.left,
                                    rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                    ::GetModuleHandleW(nullptr), this);
    if (!window) return nullptr;
    const LONG current = ::GetWindowLongW(window, GWL_STYLE);
    if (current & WS_CAPTION) ::SetWindowLongW(window, GWL_STYLE, current & ~WS_CAPTION);
    return window;
}

void Window::Close(UINT code) {
    if (modal_) {
        if (HWND owner = hwnd_ ? ::GetWindow(hwnd_, GW_OWNER) : nullptr) {
            ::EnableWindow(owner, TRUE);
            ::SetFocus(owner);
        }
        modal_ = false;
    }
    if (!hwnd_ || !::IsWindow(hwnd_)) return;
    if (!root_ || !::IsWindowsVistaOrGreater()) {
        ::PostMessageW(hwnd_, WM_CLOSE, code, 0);
        return;
    }
    root_->ShowAnimated(false);
    pillar::UiTimerService::Instance().AddTimer(
        windowFlag_.WeakFlagOf(),
        [this, code] {
            if (hwnd_) ::PostMessageW(hwnd_, WM_CLOSE, code, 0);
        },
        kCloseFadeMs, 1);
}

void Window::ShowWindow(bool show, bool takeFocus) {
    if (!hwnd_) return;
    ::ShowWindow(hwnd_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void Window::OnWindowGone(HWND) {}

LRESULT Window::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    const LRESULT result = HandleFrameworkMessage(message, wParam, lParam, handled);
    return handled ? result : CallPreviousProcedure(message, wParam, lParam);
}

void Window::OnFirstLayout() {
    if (!root_ || !::IsWindowsVistaOrGreater()) return;
    AnimationPlayer* fade = root_->AddAnimation(kAnimationFadeAlpha);
    if (!fade) return;
    // The steps fade the whole window instead of the root's own alpha.
    root_->SetOpacity(255);
    fade->SetValueCallback(MakeWeakCallback([this](int alpha) { SetWindowAlpha(alpha); }));
    SetWindowAlpha(0);
    root_->ShowAnimated(true);
}

// --- the window procedures ---------------------------------------------------------------

LRESULT CALLBACK Window::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->hwnd_ = window;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) return self->FinishNativeWindow(message, wParam, lParam);
    return self->ProcessMessage(message, wParam, lParam);
}

LRESULT CALLBACK Window::SuperclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->hwnd_ = window;
            ::SetPropW(window, kObjectProperty, self);
        }
    } else {
        self = static_cast<Window*>(::GetPropW(window, kObjectProperty));
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) return self->FinishNativeWindow(message, wParam, lParam);
    return self->ProcessMessage(message, wParam, lParam);
}

LRESULT Window::FinishNativeWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = hwnd_;
    const LRESULT result = CallPreviousProcedure(message, wParam, lParam);
    UnregisterTouchInput();
    DetachNativeWindow();
    OnWindowGone(window);
    return result;
}

void Window::DetachNativeWindow() {
    if (!hwnd_) return;
    HWND window = hwnd_;
    if (::GetPropW(window, kObjectProperty) == this) ::RemovePropW(window, kObjectProperty);
    if (::GetWindowLongPtrW(window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (subclassed_) {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure_));
        subclassed_ = false;
    }
    paintDc_.Release();
    tooltip_ = nullptr;
    presentedSize_ = SIZE{0, 0};
    hwnd_ = nullptr;
}

LRESULT Window::CallPreviousProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(previousProcedure_, hwnd_, message, wParam, lParam);
}

// --- native window -----------------------------------------------------------------------

void Window::Init(HWND window) {
    hwnd_ = window;
    paintDc_.Acquire(window);
    if (IRenderFactory* factory = UiGlobals::GetRenderFactory()) renderContext_ = factory->NewRenderContext();
    RegisterTouchInput();
}

void Window::CenterOnScreen() {
    if (!hwnd_) return;
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    HWND owner = ::GetWindow(hwnd_, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    RECT centre = work;
    if (owner && !::IsIconic(owner)) ::GetWindowRect(owner, &centre);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = centre.left + (centre.right - centre.left - width) / 2;
    int y = centre.top + (centre.bottom - centre.top - height) / 2;
    if (x < work.left)
        x = work.left;
    else if (x + width > work.right)
        x = work.right - width;
    if (y < work.top)
        y = work.top;
    else if (y + height > work.bottom)
        y = work.bottom - height;
    ::SetWindowPos(hwnd_, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetWindowTitle(const std::wstring& text) {
    if (hwnd_) ::SetWindowTextW(hwnd_, text.c_str());
}

void Window::SetWindowAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == windowAlpha_) return;
    windowAlpha_ = alpha;
    PresentWindowAlpha();
}

void Window::SetWindowRenderOffset(POINT offset) {
    if (offset.x == renderOffset_.x && offset.y == renderOffset_.y) return;
    renderOffset_ = offset;
    InvalidateClient();
}

// --- skin settings -----------------------------------------------------------------------

void Window::SetWindowSkinPath(const std::wstring& path) {
    skinPath_ = path;
    if (!skinPath_.empty() && skinPath_.back() != L'\\' && skinPath_.back() != L'/') skinPath_ += L'\\';
}

std::wstring Window::StyleClassAttributes(const std::wstring& name) const {
    auto it = classes_.find(name);
    return it == classes_.end() ? std::wstring() : it->second;
}

void Window::AddWindowClass(const std::wstring& name, const std::wstring& attributes) { classes_[name] = attributes; }

namespace {

// A size as the window keeps it: scaled when asked, with the shadow's corner
// widths added unless the caller's size holds them already.
SIZE WindowSizeOf(int cx, int cy, bool containsShadow, bool dpiScale, const WindowShadow& shadow) {
    if (dpiScale) {
        cx = UiGlobals::ScaleByDpi(cx);
        cy = UiGlobals::ScaleByDpi(cy);
    }
    if (shadow.IsAttached() && !containsShadow) {
        const RECT corner = shadow.ShadowCorner();
        cx += corner.left + corner.right;
        cy += corner.top + corner.bottom;
    }
    return SIZE{cx, cy};
}

} // namespace

void Window::SetStartSize(int cx, int cy, bool containsShadow, bool dpiScale) {
    initSize_ = WindowSizeOf(cx, cy, containsShadow, dpiScale, shadow_);
    if (hwnd_ && !root_)
        ::SetWindowPos(hwnd_, nullptr, 0, 0, initSize_.cx, initSize_.cy,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void Window::SetMinInfo(int cx, int cy, bool containsShadow, bool dpiScale) {
    minSize_ = WindowSizeOf(cx, cy, containsShadow, dpiScale, shadow_);
}

void Window::SetMaxInfo(int cx, int cy, bool containsShadow, bool dpiScale) {
    maxSize_ = WindowSizeOf(cx, cy, containsShadow, dpiScale, shadow_);
}

void Window::SetSizeBox(const RECT& rect, bool dpiScale) { sizeBox_ = ScaledRect(rect, dpiScale); }
void Window::SetCaptionRect(const RECT& rect, bool dpiScale) { caption_ = ScaledRect(rect, dpiScale); }

void Window::SetRoundCorner(int cx, int cy, bool dpiScale) {
    roundCorner_ = dpiScale ? SIZE{UiGlobals::ScaleByDpi(cx), UiGlobals::ScaleByDpi(cy)} : SIZE{cx, cy};
}

void Window::SetAlphaFixCorner(const RECT& rect, bool dpiScale) { alphaFixCorner_ = ScaledRect(rect, dpiScale); }
void Window::SetHeightPercent(double percent) { heightPercent_ = percent; }

// --- handlers, filters, finders, option groups -------------------------------------------

void Window::AddWindowHandler(EventKind kind, EventHandler handler) {
    windowHandlers_[kind].push_back(std::move(handler));
}

void Window::RunWindowHandlers(EventArgs& event) {
    for (EventKind kind : {event.Type, EventKind::All}) {
        auto it = windowHandlers_.find(kind);
        if (it == windowHandlers_.end()) continue;
        for (const EventHandler& handler : it->second)
            if (!handler(&event)) break;
    }
}

namespace {

template <typename T>
void AddOnce(std::vector<T*>& list, T* item) {
    if (item && std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

template <typename T>
void RemoveItem(std::vector<T*>& list, const T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

} // namespace

void Window::AddMessageFilter(IUIMessageFilter* filter) { AddOnce(messageFilters_, filter); }
void Window::RemoveMessageFilter(IUIMessageFilter* filter) { RemoveItem(messageFilters_, filter); }
void Window::AddControlFinder(IControlFinder* finder) { AddOnce(controlFinders_, finder); }
void Window::RemoveControlFinder(IControlFinder* finder) { RemoveItem(controlFinders_, finder); }

void Window::AddOptionToGroup(const std::wstring& group, Control* option) { AddOnce(optionGroups_[group], option); }

void Window::RemoveOptionFromGroup(const std::wstring& group, Control* option) {
    auto it = optionGroups_.find(group);
    if (it == optionGroups_.end()) return;
    RemoveItem(it->second, option);
    if (it->second.empty()) optionGroups_.erase(it);
}

const std::vector<Control*>* Window::OptionGroup(const std::wstring& group) const {
    auto it = optionGroups_.find(group);
    return it == optionGroups_.end() ? nullptr : &it->second;
}

} // namespace ui
