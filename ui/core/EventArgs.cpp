#include "ui/core/EventArgs.h"

namespace ui {

EventArgs::EventArgs(EventKind type, Control* sender) : Type(type), Sender(sender), Timestamp(::GetTickCount()) {}

EventKind EventKindFromName(const std::wstring& name) {
    static const std::map<std::wstring, EventKind> kinds = {
        {L"all", EventKind::All},
        {L"keydown", EventKind::KeyDown},
        {L"keyup", EventKind::KeyUp},
        {L"char", EventKind::Char},
        {L"syskey", EventKind::SystemKey},
        {L"setfocus", EventKind::SetFocus},
        {L"killfocus", EventKind::KillFocus},
        {L"setcursor", EventKind::SetCursor},
        {L"mousemove", EventKind::MouseMove},
        {L"mouseenter", EventKind::MouseEnter},
        {L"mouseleave", EventKind::MouseLeave},
        {L"mousehover", EventKind::MouseHover},
        {L"buttondown", EventKind::ButtonDown},
        {L"buttonup", EventKind::ButtonUp},
        {L"rbuttondown", EventKind::RightButtonDown},
        {L"doubleclick", EventKind::DoubleClick},
        {L"select", EventKind::Select},
        {L"unselect", EventKind::Unselect},
        {L"menu", EventKind::Menu},
        {L"scrollwheel", EventKind::ScrollWheel},
        {L"scrollchange", EventKind::ScrollChange},
        {L"valuechange", EventKind::ValueChange},
        {L"return", EventKind::Return},
        {L"tab", EventKind::Tab},
        {L"windowclose", EventKind::WindowClose},
    };
    auto it = kinds.find(name);
    return it == kinds.end() ? EventKind::None : it->second;
}

} // namespace ui
