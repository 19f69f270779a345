#include "ui/control/Button.h"

#include "ui/control/Box.h"

namespace ui {

namespace {

constexpr wchar_t kSpaceKey = L' ';
constexpr wchar_t kReturnKey = L'\r';

} // namespace

template <typename Base>
ButtonTemplate<Base>::ButtonTemplate() {
    this->SetTextFormatFlags(kButtonTextFormat);
}

template <typename Base>
UINT ButtonTemplate<Base>::GetTabFlags() const {
    return this->AcceptsKeyboard() && this->IsInteractive() ? kTabStop : 0;
}

template <typename Base>
void ButtonTemplate<Base>::Trigger() {
    if (!this->CanActivate() || !this->HostWindow()) return;
    this->RaiseEvent(EventKind::Click);
}

template <typename Base>
void ButtonTemplate<Base>::HandleEvent(EventArgs& event) {
    if (IsMouseEvent(event.Type) && !this->AcceptsMouse()) {
        if (Box* parent = this->ParentBox()) parent->DispatchEvent(event);
        return;
    }
    if (event.Type == EventKind::KeyDown && this->AcceptsKeyboard()) {
        if (event.KeyCode == kSpaceKey || event.KeyCode == kReturnKey) {
            Trigger();
            return;
        }
    }
    if (event.Type == EventKind::InternalMenu) {
        // Re-sent as the public menu event on the button, or dropped.
        if (this->IsContextMenuEnabled()) this->RaiseEvent(EventKind::Menu, event.WParam, event.LParam);
        return;
    }
    LabelTemplate<Base>::HandleEvent(event);
}

template class ButtonTemplate<Control>;
template class ButtonTemplate<Box>;

} // namespace ui
