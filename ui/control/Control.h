#pragma once
// The base of every element of a skinned window: states (normal, hot,
// pushed, disabled) with per-state colours and images, background colour and
// image, border, rounded corners, alpha and render offset, flags, tooltip,
// user data, three handler tables, the default reaction to mouse, focus and
// cursor events, and painting in a fixed order.
//
// A control works without a window (window null): repaint requests and
// events that need a window are then skipped, so the tree can be built,
// laid out and painted off-screen.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/control/BackgroundImage.h"
#include "ui/control/ControlAnimations.h"
#include "ui/control/ImageDrawing.h"
#include "ui/control/ImageHost.h"
#include "ui/control/PlaceHolder.h"
#include "ui/core/EventArgs.h"

namespace ui {

class Control;
class IRenderContext;

// Base of the one object an application may attach to a control; the
// control owns it.
class UserData {
public:
    virtual ~UserData() = default;
};

enum CursorType { kCursorArrow = 0, kCursorHand = 1, kCursorIBeam = 2 };

// Flags of VisitTree.
enum TreeVisitFlags : UINT {
    kVisitVisible = 0x1,           // visible controls only
    kVisitEnabled = 0x2,           // enabled controls only
    kVisitHitTest = 0x4,           // mouse-enabled controls containing the POINT* in data
    kVisitTopFirst = 0x8,          // children last-to-first (boxes)
    kVisitSelfFirst = 0x80000000u, // a box before its children
};

// Called for every control VisitTree reaches; a non-null result ends the walk.
using TreeVisitor = std::function<Control*(Control* control, void* data)>;

// Kinds of state images.
enum StateImageKind { kBackgroundStateImages = 0, kForegroundStateImages = 1 };

using StateColors = std::map<int, std::wstring>;          // state -> colour name
using StateImages = std::map<int, StateImageSet>;         // kind -> state -> image

// Value of GetTabFlags for a tab stop.
constexpr UINT kTabStop = 1;

class Control : public PlaceHolder, public ImageHost {
public:
    Control();
    ~Control() override;

    // --- PlaceHolder overrides ------------------------------------------------------
    // Auto sizes come from the sizing image and the text.
    SIZE MeasureSize(int availableWidth, int availableHeight) override;
    // Stores the rectangle, raises Resize and repaints the old and new area.
    void Place(const RECT& rect) override;

    // --- virtual operations, in table order after those of PlaceHolder -----------
    // The image that sizes an auto-sized control: the background image when
    // set, else the first set background state image (normal, hot, pushed,
    // disabled); null when none.
    virtual ImageSlot* GetSizingImage();
    virtual int CursorKind() const;
    // The tooltip text, else the language string of the tooltip id.
    virtual std::wstring TooltipText() const;
    virtual std::string TooltipTextUtf8() const;
    // "<n>" becomes a line break.
    virtual void SetTooltip(const std::wstring& text);
    virtual void SetTooltipUtf8(const std::string& text);
    virtual void SetTooltipId(const std::wstring& id);
    virtual void SetTooltipIdUtf8(const std::string& id);
    virtual void SetTooltipWidth(int pixels);
    virtual int TooltipWidth() const;
    virtual bool IsContextMenuEnabled() const;
    virtual void SetContextMenuEnabled(bool on);
    virtual std::wstring DataTag() const;
    virtual std::string DataTagUtf8() const;
    virtual void SetDataTag(const std::wstring& tag);
    virtual void SetDataTagUtf8(const std::string& tag);
    virtual UserData* AttachedObject() const;
    // Takes ownership; the previous object is deleted.
    virtual void SetAttachedObject(std::unique_ptr<UserData> object);
    // Shows or hides through the appear animations (fade alpha, fade width and
    // height, slides); without any the change is immediate.
    virtual void ShowAnimated(bool show);
    virtual void SetShownByParent(bool shown);
    virtual void SetShown(bool visible);
    virtual bool IsInteractive() const;
    virtual void SetInteractive(bool enabled);
    virtual bool AcceptsMouse() const;
    virtual void SetAcceptsMouse(bool on);
    virtual bool AcceptsKeyboard() const;
    virtual void SetAcceptsKeyboard(bool on);
    virtual bool HasFocus() const;
    // Asks the window to focus this control unless "nofocus" was given.
    virtual void TakeFocus();
    virtual UINT GetTabFlags() const;
    virtual bool IsMousePressed() const;
    virtual void SetMousePressed(bool pressed);
    // Visible and enabled.
    virtual bool CanActivate() const;
    // The control's action (buttons raise Click); empty here.
    virtual void Trigger();
    virtual Control* VisitTree(const TreeVisitor& visitor, void* data, UINT flags);
    virtual RECT GetMarginRect() const;
    // When different: store (DPI-scaled when `scale`) and re-lay out the parent.
    virtual void SetMarginRect(const RECT& margin, bool scale = true);
    // (0, 0) here; labels measure their text.
    virtual SIZE MeasureTextSize(int availableWidth, int availableHeight, bool& needsReestimate);
    virtual bool HitTestScrolled(POINT point) const;
    // Runs the handler tables (for events sent to this control) and then the
    // default reaction; see Control.cpp.
    virtual void DispatchEvent(EventArgs& event);
    virtual bool HasHotLook() const;
    virtual void SetAttributeValue(const std::wstring& name, const std::wstring& value);
    virtual void PaintWithEffects(IRenderContext& target, const RECT& dirty);
    virtual void PaintSelf(IRenderContext& target, const RECT& dirty);
    virtual void PaintChildren(IRenderContext& target, const RECT& dirty);
    virtual void LoadBackgroundImage();
    virtual void UnloadBackgroundImage();
    virtual void ReleaseImages();
    virtual void HandleEvent(EventArgs& event);
    virtual bool ReactMouseEnter(EventArgs& event);
    virtual bool ReactMouseLeave(EventArgs& event);
    virtual bool ReactButtonDown(EventArgs& event);
    virtual bool ReactButtonUp(EventArgs& event);
    virtual void PaintBackgroundColor(IRenderContext& target);
    virtual void PaintBackgroundImage(IRenderContext& target);
    virtual void PaintStateColor(IRenderContext& target);
    virtual void PaintStateImages(IRenderContext& target);
    virtual void PaintLabelText(IRenderContext& target);
    virtual void PaintBorderLines(IRenderContext& target);

    // --- appearance ---------------------------------------------------------------
    const std::wstring& BackgroundColor() const { return backgroundColor_; }
    // Leading characters <= space are skipped; MarkDirty when changed.
    void SetBackgroundColor(const std::wstring& name);
    std::wstring ColorForState(int state) const;
    // A hot colour also adds the hot fade.
    void SetColorForState(int state, const std::wstring& name);
    // Stops background playback on its frame and takes the image string.
    void SetBackgroundImage(const std::wstring& imageString);
    const std::wstring& BackgroundImageString() const { return background_.slot.attributes.attributeString; }
    // A hot image also adds the hot fade.
    void SetImageForState(int state, const std::wstring& imageString);
    void SetForeImageForState(int state, const std::wstring& imageString);
    std::wstring ImageForState(int state) const;
    std::wstring ForeImageForState(int state) const;
    const std::wstring& BorderColorName() const { return borderColor_; }
    void SetBorderColorName(const std::wstring& name);
    int BorderWidth() const { return borderSize_; }
    // Uniform width (DPI-scaled), clearing the per-side widths.
    void SetBorderWidths(int width);
    // Per-side widths left, top, right, bottom (DPI-scaled).
    void SetBorderWidths(const RECT& widths);
    const RECT& SideBorderWidths() const { return sideBorders_; }
    // One side (0 left, 1 top, 2 right, 3 bottom), DPI-scaled.
    void SetSideBorderWidth(int side, int width);
    SIZE CornerRound() const { return borderRound_; }
    // Ellipse of the rounded corners (DPI-scaled); painting clips to it.
    void SetCornerRound(int cx, int cy);
    int Opacity() const { return alpha_; }
    // 0 hides the control and its children from painting; not clamped.
    void SetOpacity(int alpha);
    int HotAlpha() const { return hotAlpha_; }
    void SetHotAlpha(int alpha);
    POINT RenderOffset() const { return renderOffset_; }
    // Content moves left/up by the offset while painting (DPI-scaled when `scale`).
    void SetRenderOffset(POINT offset, bool scale = false);
    int VisualState() const { return state_; }
    // kStateNormal ... kStateDisabled; MarkDirty when changed.
    void SetVisualState(int state);
    void SetCursorKind(int cursor);
    bool RefusesFocus() const { return noFocus_; }
    void SetRefusesFocus(bool on) { noFocus_ = on; }
    bool ReceivesPointer() const { return receivePointer_; }
    void SetReceivesPointer(bool on) { receivePointer_ = on; }
    const std::wstring& TooltipTextId() const { return tooltipTextId_; }

    // Applies `name="value"` items separated by single spaces, in order; stops
    // at the first malformed item.
    void ApplyAttributeText(const std::wstring& text);
    // The action of markup event elements: a receiver starting with ".\" or
    // "./" names a descendant of this control (searched ignoring case), any
    // other name is looked up in the window's name map; when found, the
    // attribute text is applied to it. Always true.
    bool ApplyAttributeTo(const std::wstring& receiver, const std::wstring& attributeText);

    // --- animations ---------------------------------------------------------------
    ControlAnimations& Animations() { return animations_; }
    bool HasAnimation(AnimationKind kind) const { return animations_.Has(kind); }
    // Adds the player of `kind` with steps that change this control (alpha,
    // size, hot alpha or render offset). Adding the alpha fade sets the alpha
    // to 0; a caller that redirects its steps elsewhere restores the opacity.
    AnimationPlayer* AddAnimation(AnimationKind kind);
    // Removing the alpha fade sets the alpha back to 255.
    bool RemoveAnimation(AnimationKind kind);

    // --- handlers -----------------------------------------------------------------
    // Code handlers (the application's).
    void AddHandler(EventKind kind, EventHandler handler);
    void AddClickHandler(EventHandler handler);
    // Markup handlers (the window builder's Event elements).
    void AddMarkupHandler(EventKind kind, EventHandler handler);
    // Run when background playback stops after its play count.
    void AddAnimationStopHandler(EventKind kind, EventHandler handler);
    // Builds an event of `kind` sent by this control (tick count, the window's
    // last mouse point) and dispatches it on this control.
    void RaiseEvent(EventKind kind, WPARAM wParam = 0, LPARAM lParam = 0);

    const RECT& PaintRect() const { return paintRect_; }
    BackgroundImage& Background() { return background_; }
    StateImageSet& StateImagesOfKind(int kind) { return stateImages_[kind]; }

    // --- ImageHost ----------------------------------------------------------------
    RECT ImageHostRect() const override;
    RECT ImagePaintRect() const override;
    // The resource root joined with the window's skin folder.
    std::wstring ImageResourceFolder() const override;
    void MarkImageDirty() override;
    BackgroundImage* HostBackgroundImage() override;
    void OnBackgroundAnimationStopped() override;

protected:
    // Scroll offset of the nearest scrolling ancestor (no scrolling boxes exist
    // yet, so zero).
    POINT ScrollOffset() const;
    void SetFocusedFlag(bool on) { focused_ = on; }
    void SetPaintRect(const RECT& rect) { paintRect_ = rect; }
    const EventHandlerMap& CodeHandlers() const { return codeHandlers_; }
    const EventHandlerMap& MarkupHandlers() const { return markupHandlers_; }
    // The size MeasureSize cached while NeedsEstimate() is false.
    SIZE EstimatedSize() const { return estimatedSize_; }
    void StoreEstimatedSize(SIZE size) { estimatedSize_ = size; }

private:
    // A setter that changes nothing does nothing; a change repaints.
    template <typename T>
    void ChangeAndMarkDirty(T& field, const T& value) {
        if (field == value)
            return;
        field = value;
        MarkDirty();
    }
    // Repaints where a control was and is now, clipped by its ancestors.
    void InvalidateMovedArea(const RECT& oldRect, const RECT& newRect);
    bool IsSelfOrAncestorOf(const Control* control) const;
    // Takes a state image string (a hot one adds the hot fade); false when unchanged.
    bool AssignStateImage(int kind, int state, const std::wstring& imageString);
    void RepaintOrRelayoutForImage();
    std::wstring StateImageString(int kind, int state) const;
    // Moves between normal and hot, running the hot fade in that direction.
    bool SwitchHotState(int from, int to, bool fadeForward);
    void PaintEffectsThroughCache(IRenderContext& target, const RECT& overlap, bool withChildren);
    void PaintClipped(IRenderContext& target, const RECT& dirty, bool withSelf);

    EventHandlerMap markupHandlers_;
    EventHandlerMap codeHandlers_;
    EventHandlerMap animationStopHandlers_;
    std::unique_ptr<UserData> userData_;
    bool contextMenuUsed_ = false;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    bool keyboardEnabled_ = true;
    bool focused_ = false;
    bool mousePressed_ = false;
    bool inResize_ = false;
    bool noFocus_ = false;
    bool clipToRect_ = true;
    // "animate background image" is background_.animate.
    bool receivePointer_ = true;
    int borderSize_ = 0;
    int tooltipWidth_ = 300;
    int alpha_ = 255;
    int hotAlpha_ = 0;
    SIZE estimatedSize_{0, 0};
    POINT renderOffset_{0, 0};
    SIZE borderRound_{0, 0};
    RECT margin_{0, 0, 0, 0};
    RECT paintRect_{0, 0, 0, 0};
    RECT sideBorders_{0, 0, 0, 0};
    int cursorType_ = kCursorArrow;
    int state_ = kStateNormal;
    std::wstring tooltipText_;
    std::wstring tooltipTextId_;
    std::wstring dataId_;
    std::wstring backgroundColor_;
    std::wstring borderColor_;
    StateColors stateColors_;
    BackgroundImage background_;
    StateImages stateImages_;
    ControlAnimations animations_;
    // The frame timer's weak flag is background_.frameTimer.
};

} // namespace ui
