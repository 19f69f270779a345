// The interaction state of a window: sending events to controls, hover
// (enter and leave), the pushed control and the mouse capture, keyboard
// focus and tab navigation.
#include <vector>

#include "ui/control/Box.h"
#include "ui/core/Window.h"

namespace ui {

bool Window::Owns(const Control* control) const { return control && control->HostWindow() == this; }

void Window::SendEvent(Control* control, EventKind kind, WPARAM wParam, LPARAM lParam, wchar_t keyCode) {
    SendEventAt(control, kind, lastMousePoint_, wParam, lParam, keyCode);
}

void Window::SendEventAt(Control* control, EventKind kind, POINT point, WPARAM wParam, LPARAM lParam,
                         wchar_t keyCode, float pressure) {
    if (!control) return;
    EventArgs event(kind, control);
    event.MousePoint = point;
    event.KeyCode = keyCode;
    event.WParam = wParam;
    event.LParam = lParam;
    event.Pressure = pressure;
    control->DispatchEvent(event);
}

void Window::UpdateHover(POINT point) {
    Control* found = FindInWindow(point);
    underMouse_ = found;
    if (found && !Owns(found)) return;
    if (hover_ && hover_ != found) {
        // Cleared before the event goes out, so ancestors of the control left
        // behind see that the pointer is no longer inside them.
        Control* left = hover_;
        hover_ = nullptr;
        HideTooltip();
        SendEventAt(left, EventKind::MouseLeave, point);
    }
    if (found && found != hover_ && underMouse_ == found) {
        hover_ = found;
        SendEventAt(found, EventKind::MouseEnter, point);
    }
}

void Window::StartMouseTracking() {
    if (mouseTracking_ || !hwnd_) return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE | TME_HOVER;
    track.hwndTrack = hwnd_;
    track.dwHoverTime = HoverTimeMs();
    mouseTracking_ = ::TrackMouseEvent(&track) != FALSE;
}

void Window::PressAt(POINT point, EventKind kind, bool takeFocus) {
    if (hwnd_) ::SetFocus(hwnd_);
    lastMousePoint_ = point;
    Control* found = FindInWindow(point);
    if (!Owns(found)) return;
    pushed_ = found;
    std::weak_ptr<pillar::WeakFlag> alive = found->WeakFlagOf();
    if (takeFocus) found->TakeFocus();
    if (alive.expired()) return;
    if (hwnd_) {
        ::SetCapture(hwnd_);
        mouseCaptured_ = true;
    }
    SendEventAt(found, kind, point);
}

void Window::ReleaseMouseCapture() {
    if (mouseCaptured_ && hwnd_ && ::GetCapture() == hwnd_) ::ReleaseCapture();
    mouseCaptured_ = false;
}

Control* Window::CapturedControl() const {
    if (pointerCaptured_) return pointerCaptured_;
    if (touchCaptured_) return touchCaptured_;
    return pushed_;
}

void Window::ClearInteractionState() {
    focus_ = underMouse_ = hover_ = pushed_ = keyDown_ = touchCaptured_ = pointerCaptured_ = nullptr;
    lastMousePoint_ = lastTouchPoint_ = POINT{-1, -1};
}

void Window::SetFocus(Control* control) {
    if (hwnd_ && control && control != focus_ && ::GetFocus() != hwnd_) ::SetFocus(hwnd_);
    if (control == focus_) return;
    if (Control* old = focus_) {
        focus_ = nullptr;
        std::weak_ptr<pillar::WeakFlag> alive = old->WeakFlagOf();
        SendEvent(old, EventKind::InternalKillFocus);
        if (!alive.expired()) SendEvent(old, EventKind::KillFocus);
    }
    if (!Owns(control) || !control->IsShown() || !control->IsInteractive()) return;
    focus_ = control;
    std::weak_ptr<pillar::WeakFlag> alive = control->WeakFlagOf();
    SendEvent(control, EventKind::InternalSetFocus);
    if (!alive.expired() && focus_ == control) SendEvent(control, EventKind::SetFocus);
}

void Window::SetTabTarget(bool forward) {
    if (!root_) return;
    if (firstLayout_) {
        // Nothing is placed yet; the first tab stop is taken after arranging.
        if (forward) focusNextAfterArrange_ = true;
        InvalidateClient();
        return;
    }
    std::vector<Control*> stops;
    root_->VisitTree(
        [&stops](Control* each, void*) -> Control* {
            if (each->GetTabFlags() & kTabStop) stops.push_back(each);
            return nullptr;
        },
        nullptr, kVisitVisible | kVisitEnabled | kVisitSelfFirst);
    if (stops.empty()) return;
    size_t current = stops.size();
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == focus_) current = i;
    size_t next;
    if (current == stops.size())
        next = forward ? 0 : stops.size() - 1;
    else if (forward)
        next = (current + 1) % stops.size();
    else
        next = (current + stops.size() - 1) % stops.size();
    SetFocus(stops[next]);
}

} // namespace ui
