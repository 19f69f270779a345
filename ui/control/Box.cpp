#include "ui/control/Box.h"

#include <algorithm>

#include "ui/control/AttributeValues.h"
#include "ui/control/HandlerLists.h"
#include "ui/core/Window.h"

namespace ui {

namespace {

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

} // namespace

Box::Box() : Box(nullptr) {}

Box::Box(std::unique_ptr<Layout> layout) : layout_(layout ? std::move(layout) : std::make_unique<Layout>()) {
    layout_->SetOwner(this);
}

Box::~Box() {
    if (!autoDestroy_) {
        // Children this box does not own are only let go.
        for (std::unique_ptr<Control>& child : items_) {
            child->AttachTo(child->HostWindow(), nullptr, false);
            child.release();
        }
    }
    items_.clear();
}

// --- children ----------------------------------------------------------------------------

int Box::NextSelectable(int index, bool) const { return index; }

Control* Box::ChildAt(int index) const {
    if (index < 0 || index >= ChildCount())
        return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
}

int Box::IndexOfChild(const Control* control) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].get() == control)
            return static_cast<int>(i);
    }
    return -1;
}

bool Box::MoveChild(Control* control, int index) {
    const int from = IndexOfChild(control);
    if (from < 0 || index < 0 || index >= ChildCount())
        return false;
    auto first = items_.begin();
    if (from < index)
        std::rotate(first + from, first + from + 1, first + index + 1);
    else if (from > index)
        std::rotate(first + index, first + from, first + from + 1);
    RequestLayout();
    return true;
}

int Box::ChildCount() const { return static_cast<int>(items_.size()); }

bool Box::AppendChild(std::unique_ptr<Control> control) { return InsertChild(std::move(control), ChildCount()); }

bool Box::InsertChild(std::unique_ptr<Control> control, int index) {
    if (!control || index < 0 || index > ChildCount())
        return false;
    Control* child = control.get();
    items_.insert(items_.begin() + index, std::move(control));
    // The parent link is set with or without a window; only a window has a
    // name map to register the subtree in.
    if (Window* window = HostWindow())
        window->AdoptControl(child, this);
    else
        child->AttachTo(nullptr, this, true);
    if (child->IsShownByParent() != IsShown())
        child->SetShownByParent(IsShown());
    if (IsShown())
        RequestLayout();
    return true;
}

bool Box::RemoveChild(Control* control) {
    const int index = IndexOfChild(control);
    return index >= 0 && RemoveChildAt(index);
}

bool Box::RemoveChildAt(int index) {
    if (index < 0 || index >= ChildCount())
        return false;
    std::unique_ptr<Control> child = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
    RequestLayout();
    DisposeChild(std::move(child));
    return true;
}

void Box::RemoveAllChildren() {
    ChildList removed;
    removed.swap(items_);
    for (std::unique_ptr<Control>& child : removed)
        DisposeChild(std::move(child));
    RequestLayout();
}

void Box::DisposeChild(std::unique_ptr<Control> child) {
    Window* window = HostWindow();
    if (!autoDestroy_) {
        child->AttachTo(window, nullptr, false);
        child.release();  // owned elsewhere
        return;
    }
    if (delayedDestroy_ && window) {
        // One of the child's own handlers may be running: the window destroys
        // it once the current message is done.
        child->AttachTo(window, nullptr, false);
        window->QueueForCleanup(std::move(child));
    }
    // Otherwise `child` is destroyed here.
}

bool Box::OwnsChildren() const { return autoDestroy_; }

void Box::SetOwnsChildren(bool on) { autoDestroy_ = on; }

bool Box::DefersDestroy() const { return delayedDestroy_; }

void Box::SetDefersDestroy(bool on) { delayedDestroy_ = on; }

bool Box::ChildrenTakeMouse() const { return mouseChild_; }

void Box::SetChildrenTakeMouse(bool on) { mouseChild_ = on; }

Layout* Box::LayoutObject() const { return layout_.get(); }

void Box::ReplaceLayout(std::unique_ptr<Layout> layout) {
    if (!layout)
        return;
    layout_ = std::move(layout);
    layout_->SetOwner(this);
    RequestLayout();
}

RECT Box::ContentBounds() const {
    const RECT& p = Position();
    const RECT padding = layout_->GetInnerPadding();
    return RECT{p.left + padding.left, p.top + padding.top, p.right - padding.right, p.bottom - padding.bottom};
}

// --- tree ----------------------------------------------------------------------------------

void Box::AttachTo(Window* window, Box* parent, bool init) {
    for (std::unique_ptr<Control>& child : items_)
        child->AttachTo(window, this, init);
    Control::AttachTo(window, parent, init);
}

SIZE Box::MeasureSize(int availableWidth, int availableHeight) {
    if (FixedWidth() != kSizeAuto && FixedHeight() != kSizeAuto)
        return SIZE{FixedWidth(), FixedHeight()};
    if (!NeedsEstimate())
        return EstimatedSize();
    const RECT padding = layout_->GetInnerPadding();
    const SIZE needed = layout_->MeasureChildren(items_, availableWidth - padding.left - padding.right,
                                                 availableHeight - padding.top - padding.bottom);
    SIZE size{FixedWidth() == kSizeAuto ? needed.cx : FixedWidth(),
              FixedHeight() == kSizeAuto ? needed.cy : FixedHeight()};
    SetNeedsEstimate(false);
    for (const std::unique_ptr<Control>& child : items_) {
        if (child->IsShown() && child->IsAutoSized() && child->NeedsEstimate()) {
            SetNeedsEstimate(true);
            break;
        }
    }
    StoreEstimatedSize(size);
    return size;
}

void Box::Place(const RECT& rect) {
    Control::Place(rect);
    if (!items_.empty())
        layout_->PlaceChildren(items_, ContentBounds());
}

void Box::SetShownByParent(bool shown) {
    Control::SetShownByParent(shown);
    const bool childrenShown = IsShown();
    ForEachChild([childrenShown](Control& child) { child.SetShownByParent(childrenShown); });
}

void Box::SetShown(bool visible) {
    if (visible == IsVisibleFlag())
        return;
    Control::SetShown(visible);
    const bool childrenShown = IsShown();
    ForEachChild([childrenShown](Control& child) { child.SetShownByParent(childrenShown); });
}

void Box::SetInteractive(bool enabled) {
    if (enabled == IsInteractive())
        return;
    Control::SetInteractive(enabled);
    ForEachChild([enabled](Control& child) { child.SetInteractive(enabled); });
    MarkDirty();
}

UINT Box::GetTabFlags() const { return 0; }

Control* Box::VisitTree(const TreeVisitor& visitor, void* data, UINT flags) {
    if ((flags & kVisitVisible) && !IsShown())
        return nullptr;
    if ((flags & kVisitEnabled) && !IsInteractive())
        return nullptr;
    const bool hitTest = (flags & kVisitHitTest) != 0;
    const POINT* point = static_cast<const POINT*>(data);
    if (hitTest) {
        if (!point || !::PtInRect(&Position(), *point))
            return nullptr;
        if (!mouseChild_)
            return Control::VisitTree(visitor, data, flags);
    }
    const bool selfFirst = (flags & kVisitSelfFirst) != 0;
    if (selfFirst) {
        if (Control* self = Control::VisitTree(visitor, data, flags))
            return self;
    }
    const RECT content = ContentBounds();
    const bool topFirst = (flags & kVisitTopFirst) != 0;
    // Indexes, re-checked each step: a visitor may change the list.
    for (std::size_t step = 0; step < items_.size(); ++step) {
        const std::size_t index = topFirst ? items_.size() - 1 - step : step;
        Control* child = items_[index].get();
        Control* found = nullptr;
        if (hitTest) {
            const POINT scroll = ScrollOffset();
            POINT shifted{point->x + scroll.x, point->y + scroll.y};
            found = child->VisitTree(visitor, &shifted, flags);
        } else {
            found = child->VisitTree(visitor, data, flags);
        }
        if (!found)
            continue;
        if (!hitTest || found->IsFloat() || ::PtInRect(&content, *point))
            return found;
    }
    return selfFirst ? nullptr : Control::VisitTree(visitor, data, flags);
}

Control* Box::FindByName(const std::wstring& name) {
    if (name.empty())
        return nullptr;
    return VisitTree(
        [&name](Control* control, void*) -> Control* {
            const std::wstring& own = control->GetControlName();
            return !own.empty() && SameNameIgnoringCase(own, name) ? control : nullptr;
        },
        nullptr, 0);
}

// --- events --------------------------------------------------------------------------------

void Box::AddBubbledHandler(EventKind kind, EventHandler handler) {
    codeBubbledHandlers_[kind].push_back(std::move(handler));
}

void Box::AddMarkupBubbledHandler(EventKind kind, EventHandler handler) {
    markupBubbledHandlers_[kind].push_back(std::move(handler));
}

void Box::DispatchEvent(EventArgs& event) {
    if (IsInternalEvent(event.Type)) {
        HandleEvent(event);
        return;
    }
    const std::weak_ptr<pillar::WeakFlag> alive = WeakFlagOf();
    bool result = true;
    if (event.Sender == this) {
        if (!RunHandlersWithAll(CodeHandlers(), event, result, alive))
            return;
        if (result && !RunHandlersWithAll(MarkupHandlers(), event, result, alive))
            return;
    }
    // Events of descendants (and this box's own) bubble through its lists.
    if (!RunHandlersWithAll(codeBubbledHandlers_, event, result, alive) || !result)
        return;
    if (!RunHandlersWithAll(markupBubbledHandlers_, event, result, alive) || !result)
        return;
    HandleEvent(event);
}

// --- attributes and painting --------------------------------------------------------------

void Box::SetAttributeValue(const std::wstring& name, const std::wstring& value) {
    if (layout_->SetAttributeValue(name, value))
        return;
    if (name == L"mousechild") {
        mouseChild_ = IsTrueValue(value);
        return;
    }
    Control::SetAttributeValue(name, value);
}

void Box::PaintChildren(IRenderContext& target, const RECT& dirty) {
    RECT overlap;
    if (!::IntersectRect(&overlap, &dirty, &Position()))
        return;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Control* child = items_[i].get();
        if (child->IsShown())
            child->PaintWithEffects(target, dirty);
    }
}

void Box::LoadBackgroundImage() {
    Control::LoadBackgroundImage();
    ForEachChild([](Control& child) { child.LoadBackgroundImage(); });
}

void Box::UnloadBackgroundImage() {
    Control::UnloadBackgroundImage();
    ForEachChild([](Control& child) { child.UnloadBackgroundImage(); });
}

void Box::ReleaseImages() {
    Control::ReleaseImages();
    ForEachChild([](Control& child) { child.ReleaseImages(); });
}

} // namespace ui
