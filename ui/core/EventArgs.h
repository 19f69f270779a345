#pragma once
// The event record every control handler receives, the fixed event numbers,
// and the handler types: a handler is a closure taking the record and
// returning false to stop further handling.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ui {

class Control;

// Numbers are fixed (markup, stored handlers and the window rely on them);
// the gaps are reserved.
enum class EventKind : int32_t {
    InternalDoubleClick = 0,  // window to control
    InternalMenu = 1,         // window to control; LParam carries the control
    InternalSetFocus = 2,     // window to control
    InternalKillFocus = 3,    // window to control
    None = 4,
    All = 6,                  // handler key that matches every kind
    KeyDown = 8,
    KeyUp = 9,
    Char = 10,
    SystemKey = 11,
    MouseMove = 14,
    MouseEnter = 15,
    MouseLeave = 16,
    MouseHover = 17,
    ButtonDown = 18,
    ButtonUp = 19,
    RightButtonDown = 20,
    RightButtonUp = 21,
    DoubleClick = 22,
    Menu = 23,
    ScrollWheel = 24,
    TouchDown = 27,
    TouchMove = 28,
    TouchUp = 29,
    PointDown = 32,
    PointMove = 33,
    PointUp = 34,
    SetFocus = 36,
    KillFocus = 37,
    WindowSize = 38,
    WindowClose = 39,
    SetCursor = 40,
    Click = 41,
    Select = 42,
    Unselect = 43,
    Return = 45,
    Tab = 46,
    ImeStartComposition = 48,
    ImeEndComposition = 49,
    ScrollChange = 50,
    ValueChange = 51,
    Resize = 52,              // sent by a control when it is placed
};

// The four window-to-control events (0..3), which skip every handler list.
inline bool IsInternalEvent(EventKind kind) {
    return kind >= EventKind::InternalDoubleClick && kind <= EventKind::InternalKillFocus;
}

// Mouse events (14..24): move, enter, leave, hover, the buttons, double
// click, menu and wheel.
inline bool IsMouseEvent(EventKind kind) { return kind >= EventKind::MouseMove && kind <= EventKind::ScrollWheel; }

// The kind of a markup event name ("all", "keydown", ..., "windowclose");
// case-sensitive. Any other name, "click" included, gives None.
EventKind EventKindFromName(const std::wstring& name);

struct EventArgs {
    EventKind Type = EventKind::None;
    Control* Sender = nullptr;     // the control the event is delivered to
    uint32_t Timestamp = 0;        // GetTickCount at creation
    POINT MousePoint{0, 0};        // window client coordinates
    wchar_t KeyCode = 0;           // character or virtual-key code
    // Pointer-sized: InternalMenu passes a control in LParam.
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    float Pressure = 0.0f;         // pen pressure 0..1 for pointer events

    EventArgs() = default;
    // Type, sender and the current tick count; the rest stays zero.
    EventArgs(EventKind type, Control* sender);
};

// false stops the list it is in (and, depending on the list, further handling).
using EventHandler = std::function<bool(EventArgs*)>;
using EventHandlerList = std::vector<EventHandler>;
using EventHandlerMap = std::map<EventKind, EventHandlerList>;

} // namespace ui
