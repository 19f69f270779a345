#pragma once
// How a box places its children. The plain layout overlays them: each child
// is placed on its own inside the box by its margin and alignment.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace ui {

class Box;
class Control;

// A box's children in paint order.
using ChildList = std::vector<std::unique_ptr<Control>>;

class Layout {
public:
    Layout() = default;
    virtual ~Layout();
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;

    // "padding" and "childmargin"; true when the name was handled.
    virtual bool SetAttributeValue(const std::wstring& name, const std::wstring& value);
    // Places the visible children inside `rect`; returns the size used.
    virtual SIZE PlaceChildren(const ChildList& items, const RECT& rect);
    // The size the visible children need (padding included).
    virtual SIZE MeasureChildren(const ChildList& items, int availableWidth, int availableHeight);
    virtual RECT GetInnerPadding() const;
    // Stores (DPI-scaled when `scale`) and re-lays out the owner box.
    virtual void SetInnerPadding(const RECT& padding, bool scale = true);
    virtual int GetChildGap() const;
    // Stores (DPI-scaled) and re-lays out the owner box.
    virtual void SetChildGap(int gap);

    Box* Owner() const { return owner_; }
    void SetOwner(Box* owner) { owner_ = owner; }

    // Places one child by its margin and alignment inside `rect`, ignoring its
    // siblings; returns its size ((0, 0) for a hidden child).
    static SIZE PlaceFloating(Control* child, const RECT& rect);

protected:
    // A child's measured extent clamped to its minimum and maximum.
    static int ClampWidth(const Control& child, int width);
    static int ClampHeight(const Control& child, int height);

private:
    RECT padding_{0, 0, 0, 0};
    int childGap_ = 0;
    Box* owner_ = nullptr;  // not owned
};

} // namespace ui
