// The control tree a window hosts: binding the root, adopting controls added
// later, the name map, finding controls, and destroying controls only once
// the message that removed them is done.
#include <algorithm>

#include "ui/control/Box.h"
#include "ui/core/Window.h"

namespace ui {

void Window::BindRoot(std::unique_ptr<Box> root) {
    SetFocus(nullptr);
    ReleaseMouseCapture();
    ClearInteractionState();
    nameMap_.clear();
    optionGroups_.clear();
    if (root_) {
        // One of the old tree's handlers may be running: it goes later.
        root_->AttachTo(nullptr, nullptr, false);
        QueueForCleanup(std::move(root_));
    }
    root_ = std::move(root);
    if (!root_) return;
    arrangeNeeded_ = true;
    focusNextAfterArrange_ = true;
    firstLayout_ = true;
    root_->AttachTo(this, nullptr, true);
    RegisterNames(root_.get());
    InvalidateClient();
}

void Window::AdoptControl(Control* control, Box* parent) {
    if (!control) return;
    control->AttachTo(this, parent ? parent : control->ParentBox(), true);
    RegisterNames(control);
}

void Window::RegisterNames(Control* control) {
    control->VisitTree(
        [this](Control* each, void*) -> Control* {
            if (!each->GetControlName().empty()) nameMap_[each->GetControlName()] = each;
            return nullptr;
        },
        nullptr, 0);
}

void Window::QueueForCleanup(std::unique_ptr<Control> control) {
    if (!control) return;
    cleanupQueue_.push_back(std::move(control));
    if (hwnd_) ::PostMessageW(hwnd_, kCleanupMessage, 0, 0);
}

void Window::DestroyQueuedControls() {
    // Destroying a control may queue more; keep going until nothing is left.
    while (!cleanupQueue_.empty()) {
        std::vector<std::unique_ptr<Control>> batch;
        batch.swap(cleanupQueue_);
        batch.clear();
    }
}

void Window::ReapRoot() {
    DestroyQueuedControls();
    root_.reset();
    DestroyQueuedControls();
}

void Window::ReleaseTree(Control* control) {
    if (!control) return;
    for (Control** slot : {&focus_, &underMouse_, &hover_, &pushed_, &keyDown_, &touchCaptured_, &pointerCaptured_})
        if (*slot == control) *slot = nullptr;
    auto named = nameMap_.find(control->GetControlName());
    if (named != nameMap_.end() && named->second == control) nameMap_.erase(named);
    for (auto group = optionGroups_.begin(); group != optionGroups_.end();) {
        auto& members = group->second;
        members.erase(std::remove(members.begin(), members.end(), control), members.end());
        group = members.empty() ? optionGroups_.erase(group) : std::next(group);
    }
}

Control* Window::FindInWindow(const std::wstring& name) const {
    auto it = nameMap_.find(name);
    return it == nameMap_.end() ? nullptr : it->second;
}

Control* Window::FindInWindow(POINT point) const {
    for (IControlFinder* finder : controlFinders_)
        if (Control* found = finder->FindControl(point)) return found;
    if (!root_) return nullptr;
    return root_->VisitTree(
        [](Control* each, void* data) -> Control* {
            return ::PtInRect(&each->Position(), *static_cast<POINT*>(data)) ? each : nullptr;
        },
        &point, kVisitVisible | kVisitHitTest | kVisitTopFirst);
}

} // namespace ui
