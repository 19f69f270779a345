// Event dispatch of a control: the handler tables, the default reaction to
// mouse, focus and cursor events, and the state changes behind a click.
#include <windows.h>

#include "ui/control/Box.h"
#include "ui/control/Control.h"
#include "ui/control/HandlerLists.h"
#include "ui/core/Window.h"

namespace ui {

namespace {

void PassToParent(Control& control, EventArgs& event) {
    if (Box* parent = control.ParentBox())
        parent->DispatchEvent(event);
}

void AppendHandler(EventHandlerMap& table, EventKind kind, EventHandler handler) {
    table[kind].push_back(std::move(handler));
}

} // namespace

void Control::AddHandler(EventKind kind, EventHandler handler) {
    AppendHandler(codeHandlers_, kind, std::move(handler));
}

void Control::AddClickHandler(EventHandler handler) { AddHandler(EventKind::Click, std::move(handler)); }

void Control::AddMarkupHandler(EventKind kind, EventHandler handler) {
    AppendHandler(markupHandlers_, kind, std::move(handler));
}

void Control::AddAnimationStopHandler(EventKind kind, EventHandler handler) {
    AppendHandler(animationStopHandlers_, kind, std::move(handler));
}

void Control::RaiseEvent(EventKind kind, WPARAM wParam, LPARAM lParam) {
    EventArgs event(kind, this);
    if (const Window* window = HostWindow())
        event.MousePoint = window->LastMousePoint();
    event.WParam = wParam;
    event.LParam = lParam;
    DispatchEvent(event);
}

void Control::DispatchEvent(EventArgs& event) {
    if (IsInternalEvent(event.Type)) {
        HandleEvent(event);
        return;
    }
    bool result = true;
    if (event.Sender == this) {
        const std::weak_ptr<pillar::WeakFlag> alive = WeakFlagOf();
        // Code handlers first; the "all" list runs even after the kind's list
        // said stop, and its own answer is the one that counts.
        if (!RunHandlersWithAll(codeHandlers_, event, result, alive))
            return;
        if (result && !RunHandlersWithAll(markupHandlers_, event, result, alive))
            return;
    }
    if (event.Sender != this || result)
        HandleEvent(event);
}

bool Control::IsSelfOrAncestorOf(const Control* control) const {
    for (const Control* c = control; c; c = c->ParentBox()) {
        if (c == this)
            return true;
    }
    return false;
}

void Control::HandleEvent(EventArgs& event) {
    if (!mouseEnabled_ && IsMouseEvent(event.Type)) {
        PassToParent(*this, event);
        return;
    }
    Window* window = HostWindow();
    switch (event.Type) {
    case EventKind::SetCursor: {
        const wchar_t* cursor = nullptr;
        if (cursorType_ == kCursorHand)
            cursor = enabled_ ? IDC_HAND : IDC_ARROW;
        else if (cursorType_ == kCursorArrow)
            cursor = IDC_ARROW;
        else if (cursorType_ == kCursorIBeam)
            cursor = IDC_IBEAM;
        if (!cursor)
            break;
        ::SetCursor(::LoadCursorW(nullptr, cursor));
        return;
    }
    case EventKind::InternalSetFocus:
        hotAlpha_ = 255;
        state_ = kStateHot;
        focused_ = true;
        MarkDirty();
        return;
    case EventKind::InternalKillFocus:
        hotAlpha_ = 0;
        state_ = kStateNormal;
        focused_ = false;
        MarkDirty();
        return;
    case EventKind::InternalMenu:
        if (enabled_ && contextMenuUsed_ && window)
            window->SendEvent(this, EventKind::Menu, event.WParam, event.LParam);
        return;
    case EventKind::MouseEnter:
        // A child's enter reaches its ancestors; it only counts while the
        // hover control is still inside this control.
        if (event.Sender != this && window && !IsSelfOrAncestorOf(window->HoverControl()))
            return;
        ReactMouseEnter(event);
        break;
    case EventKind::MouseLeave:
        if (event.Sender != this && window && IsSelfOrAncestorOf(window->HoverControl()))
            return;
        ReactMouseLeave(event);
        break;
    case EventKind::ButtonDown:
    case EventKind::InternalDoubleClick:
        ReactButtonDown(event);
        return;
    case EventKind::ButtonUp:
        ReactButtonUp(event);
        return;
    case EventKind::PointDown:
        if (!receivePointer_)
            break;
        ReactButtonDown(event);
        return;
    case EventKind::PointUp:
        if (!receivePointer_)
            break;
        ReactButtonUp(event);
        return;
    default:
        break;
    }
    PassToParent(*this, event);
}

bool Control::ReactMouseEnter(EventArgs&) { return SwitchHotState(kStateNormal, kStateHot, true); }

bool Control::ReactMouseLeave(EventArgs&) { return SwitchHotState(kStateHot, kStateNormal, false); }

bool Control::SwitchHotState(int from, int to, bool fadeForward) {
    if (!enabled_ || state_ != from)
        return false;
    state_ = to;
    if (HasHotLook()) {
        if (AnimationPlayer* fade = animations_.Find(kAnimationFadeHot))
            fadeForward ? fade->Resume() : fade->ResumeReversed();
        MarkDirty();
    }
    return true;
}

bool Control::ReactButtonDown(EventArgs&) {
    if (!enabled_)
        return false;
    state_ = kStatePushed;
    mousePressed_ = true;
    MarkDirty();
    return true;
}

bool Control::ReactButtonUp(EventArgs& event) {
    if (!mousePressed_)
        return false;
    mousePressed_ = false;
    if (AnimationPlayer* fade = animations_.Find(kAnimationFadeHot))
        fade->Halt();
    MarkDirty();
    if (!HitTestScrolled(event.MousePoint)) {
        state_ = kStateNormal;
        hotAlpha_ = 0;
        return false;
    }
    if (event.Type == EventKind::PointUp) {
        state_ = kStateNormal;
        hotAlpha_ = 0;
    } else {
        state_ = kStateHot;
        hotAlpha_ = 255;
    }
    Trigger();
    return true;
}

bool Control::HasHotLook() const {
    if (!ColorForState(kStateHot).empty())
        return true;
    for (const auto& kind : stateImages_) {
        auto hot = kind.second.find(kStateHot);
        if (hot != kind.second.end() && !hot->second.attributes.attributeString.empty())
            return true;
    }
    return false;
}

} // namespace ui
