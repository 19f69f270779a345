// The tooltip of the control the pointer rests on: one tracking tooltip
// popup per window, made on the first hover and owned by the window.
#include "ui/control/Control.h"
#include "ui/core/Window.h"

namespace ui {

namespace {

constexpr UINT kDefaultHoverMs = 400;

} // namespace

UINT Window::HoverTimeMs() const {
    if (!tooltip_) return kDefaultHoverMs;
    return static_cast<UINT>(::SendMessageW(tooltip_, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
}

void Window::ShowTooltip(Control* control) {
    if (!hwnd_) return;
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    if (!tooltip_) {
        tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                     module, nullptr);
        if (!tooltip_) return;
        toolInfo_ = TOOLINFOW{};
        toolInfo_.cbSize = sizeof(toolInfo_);
        toolInfo_.uFlags = TTF_IDISHWND;
        toolInfo_.hwnd = hwnd_;
        toolInfo_.uId = reinterpret_cast<UINT_PTR>(hwnd_);
        toolInfo_.hinst = module;
        toolInfo_.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    }
    tooltipText_ = control->TooltipText();
    // A control without a tooltip shows none (an empty tip would still track).
    if (tooltipText_.empty()) {
        HideTooltip();
        return;
    }
    toolInfo_.uFlags = TTF_IDISHWND;
    toolInfo_.hwnd = hwnd_;
    toolInfo_.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    toolInfo_.hinst = module;
    toolInfo_.lpszText = const_cast<wchar_t*>(tooltipText_.c_str());
    toolInfo_.rect = control->Position();
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, control->TooltipWidth());
    ::SendMessageW(tooltip_, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo_));
}

void Window::HideTooltip() {
    if (tooltip_) ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&toolInfo_));
}

} // namespace ui
