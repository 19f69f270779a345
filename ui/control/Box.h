#pragma once
// The container control: owns an ordered list of children (list order is
// paint order), a layout that places them, and handler lists for events
// bubbling up from its descendants.
#include <memory>
#include <string>

#include "ui/control/Control.h"
#include "ui/control/Layout.h"

namespace ui {

class Box : public Control {
public:
    // With the plain (overlay) layout.
    Box();
    // With `layout` (a null layout means the plain one).
    explicit Box(std::unique_ptr<Layout> layout);
    // Destroys the children when it owns them (at once: a box is itself only
    // destroyed from a safe place, the window's cleanup or its parent's).
    ~Box() override;

    // --- virtual operations, in table order after those of Control ---------------
    // Next selectable index for list boxes; a plain box returns `index`.
    virtual int NextSelectable(int index, bool forward) const;
    // Null when out of range.
    virtual Control* ChildAt(int index) const;
    // -1 when not a child.
    virtual int IndexOfChild(const Control* control) const;
    // false when not a child or index >= count.
    virtual bool MoveChild(Control* control, int index);
    virtual int ChildCount() const;
    // Takes the child (a null one is refused, false). With a window the child
    // is attached and its names registered; a hidden box hides it through
    // SetShownByParent(false).
    virtual bool AppendChild(std::unique_ptr<Control> control);
    // Refused (and the control destroyed) when null or index > count.
    virtual bool InsertChild(std::unique_ptr<Control> control, int index);
    // Takes the child out; when the box owns its children it is destroyed,
    // through the window's cleanup queue when destruction is deferred and
    // there is a window, else at once. false when not a child.
    virtual bool RemoveChild(Control* control);
    virtual bool RemoveChildAt(int index);
    virtual void RemoveAllChildren();
    // "auto destroy": removed children are destroyed (default true). A box
    // that does not own its children never deletes them.
    virtual bool OwnsChildren() const;
    virtual void SetOwnsChildren(bool on);
    // "delayed destroy" (default true).
    virtual bool DefersDestroy() const;
    virtual void SetDefersDestroy(bool on);
    // "mouse child": children take part in hit tests (default true).
    virtual bool ChildrenTakeMouse() const;
    virtual void SetChildrenTakeMouse(bool on);
    virtual Layout* LayoutObject() const;
    // A null layout is refused.
    virtual void ReplaceLayout(std::unique_ptr<Layout> layout);
    // The position less the layout's padding.
    virtual RECT ContentBounds() const;

    // --- overrides ------------------------------------------------------------------
    using Control::AttachTo;
    void AttachTo(Window* window, Box* parent, bool init) override;
    SIZE MeasureSize(int availableWidth, int availableHeight) override;
    void Place(const RECT& rect) override;
    void SetShownByParent(bool shown) override;
    void SetShown(bool visible) override;
    void SetInteractive(bool enabled) override;
    UINT GetTabFlags() const override;
    Control* VisitTree(const TreeVisitor& visitor, void* data, UINT flags) override;
    void DispatchEvent(EventArgs& event) override;
    void SetAttributeValue(const std::wstring& name, const std::wstring& value) override;
    void PaintChildren(IRenderContext& target, const RECT& dirty) override;
    void LoadBackgroundImage() override;
    void UnloadBackgroundImage() override;
    void ReleaseImages() override;

    // --- non-virtual ----------------------------------------------------------------
    // The first descendant (depth first, children before their box) whose
    // name equals `name` ignoring case; null for an empty name.
    Control* FindByName(const std::wstring& name);
    // The application's bubbled handlers (the launcher's one click handler).
    void AddBubbledHandler(EventKind kind, EventHandler handler);
    // The markup's bubbled handlers (BubbledEvent elements).
    void AddMarkupBubbledHandler(EventKind kind, EventHandler handler);
    const ChildList& Children() const { return items_; }

private:
    // Destroys a removed child, later through the window when destruction is
    // deferred, or only lets it go when the box does not own its children.
    void DisposeChild(std::unique_ptr<Control> child);
    template <typename F>
    void ForEachChild(F&& action) {
        for (std::unique_ptr<Control>& child : items_)
            action(*child);
    }

    EventHandlerMap markupBubbledHandlers_;
    std::unique_ptr<Layout> layout_;
    bool autoDestroy_ = true;
    bool delayedDestroy_ = true;
    bool mouseChild_ = true;
    ChildList items_;
    EventHandlerMap codeBubbledHandlers_;
};

} // namespace ui
