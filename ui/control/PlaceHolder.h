#pragma once
// The layout side of every control: name, window and parent, size requests
// (fixed, stretch or auto, with minimum and maximum), alignment, float,
// visibility and the position the parent's layout gave it, plus the marks
// that say what must be measured, arranged or repainted.
#include <windows.h>

#include <memory>
#include <string>

#include "pillar/WeakCallback.h"
#include "ui/render/IRenderContext.h"

namespace ui {

class Box;
class Window;

// Size request values.
constexpr int kSizeStretch = -1;
constexpr int kSizeAuto = -2;
constexpr int kDefaultMaxSize = 9999999;

enum HorizontalAlignment { kAlignLeft = 0, kAlignHCenter = 1, kAlignRight = 2 };
enum VerticalAlignment { kAlignTop = 0, kAlignVCenter = 1, kAlignBottom = 2 };

class PlaceHolder : public virtual pillar::SupportWeakCallback {
public:
    PlaceHolder();
    ~PlaceHolder() override;
    PlaceHolder(const PlaceHolder&) = delete;
    PlaceHolder& operator=(const PlaceHolder&) = delete;

    // --- virtual operations, in table order ------------------------------------
    virtual Window* HostWindow() const;
    // Sets the window only.
    virtual void AttachTo(Window* window);
    // Sets window and parent; with init and a parent, runs Initialize.
    virtual void AttachTo(Window* window, Box* parent, bool init);
    virtual void Initialize();
    virtual void AfterInitialize();
    // Visible and not hidden through a hidden ancestor.
    virtual bool IsShown() const;
    // The size this control asks for (-1 stretch); auto sizes are estimated.
    virtual SIZE MeasureSize(int availableWidth, int availableHeight);
    // The position; without the shadow, shifted by the window's shadow corner.
    virtual RECT GetBounds(bool withShadow) const;
    virtual void Place(const RECT& rect);
    // Re-lays out the parent chain when auto-sized, else only this control.
    virtual void RequestLayout();
    // Re-lays out from the first ancestor that does not size itself.
    virtual void RequestParentLayout();
    // Asks the window to repaint this control's rectangle.
    virtual void MarkDirty();
    // Marks this control for measuring and arranging in the next layout pass.
    virtual void RelayoutSelf();

    // --- name, window, parent --------------------------------------------------
    const std::wstring& GetControlName() const { return name_; }
    void SetControlName(const std::wstring& name) { name_ = name; }
    Box* ParentBox() const { return parent_; }

    // --- size requests (values: >= 0 pixels, kSizeStretch, kSizeAuto) ----------
    int FixedWidth() const { return fixedWidth_; }
    int FixedHeight() const { return fixedHeight_; }
    bool IsAutoSized() const { return fixedWidth_ == kSizeAuto || fixedHeight_ == kSizeAuto; }
    // Values < 0 other than stretch and auto are ignored; positive ones are
    // DPI-scaled when `scale`; an unchanged value does nothing. `arrange`
    // false only marks the size for a new estimate.
    void SetWidthSpec(int value, bool arrange = true, bool scale = true);
    void SetHeightSpec(int value, bool scale = true);
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    int MaxWidth() const { return maxWidth_; }
    int MaxHeight() const { return maxHeight_; }
    // DPI-scaled; negative or unchanged values do nothing.
    void SetWidthMin(int value);
    void SetHeightMin(int value);
    // DPI-scaled; negative values allowed; unchanged values do nothing.
    void SetWidthMax(int value);
    void SetHeightMax(int value);

    const RECT& Position() const { return position_; }
    int HorizontalAlign() const { return horizontalAlign_; }
    int VerticalAlign() const { return verticalAlign_; }
    void SetHorizontalAlign(int align) { horizontalAlign_ = align; }
    void SetVerticalAlign(int align) { verticalAlign_ = align; }
    bool IsFloat() const { return float_; }
    // When changed: store and re-lay out the parent.
    void SetFloat(bool on);

    bool NeedsEstimate() const { return needsEstimate_; }
    void SetNeedsEstimate(bool on) { needsEstimate_ = on; }
    bool NeedsArrange() const { return needsArrange_; }
    void SetNeedsArrange(bool on) { needsArrange_ = on; }
    // The control's own flag (ignores hidden ancestors).
    bool IsVisibleFlag() const { return visible_; }
    // Cleared by a hidden parent.
    bool IsShownByParent() const { return internalVisible_; }

    bool IsCacheEnabled() const { return cache_; }
    void SetCacheEnabled(bool on) { cache_ = on; }
    bool IsCacheDirty() const { return cacheDirty_; }
    void SetCacheDirty(bool on) { cacheDirty_ = on; }

protected:
    // Raw stores for subclasses that implement the visibility rules.
    void StoreVisible(bool on) { visible_ = on; }
    void StoreShownByParent(bool on) { internalVisible_ = on; }
    void StorePosition(const RECT& rect) { position_ = rect; }
    void StoreWindow(Window* window) { window_ = window; }
    void StoreParent(Box* parent) { parent_ = parent; }
    // The cache surface for alpha and cached painting (null until needed).
    std::unique_ptr<IRenderContext>& CacheContext() { return cacheContext_; }

private:
    // Minimum or maximum: DPI-scaled, stored when changed, then re-laid out.
    void SetLimit(int& limit, int value, bool negativeAllowed);

    std::wstring name_;
    Window* window_ = nullptr;       // not owned
    Box* parent_ = nullptr;          // not owned; null for the root
    int fixedWidth_ = kSizeStretch;
    int fixedHeight_ = kSizeStretch;
    int minWidth_ = -1;
    int minHeight_ = -1;
    int maxWidth_ = kDefaultMaxSize;
    int maxHeight_ = kDefaultMaxSize;
    RECT position_{0, 0, 0, 0};
    int horizontalAlign_ = kAlignLeft;
    int verticalAlign_ = kAlignTop;
    bool float_ = false;
    bool needsEstimate_ = true;
    bool visible_ = true;
    bool internalVisible_ = true;
    bool needsArrange_ = true;
    bool cache_ = false;
    bool cacheDirty_ = false;
    std::unique_ptr<IRenderContext> cacheContext_;
};

} // namespace ui
