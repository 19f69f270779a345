#pragma once
// One native top-level window hosting a tree of windowless controls: the
// window procedure, native messages turned into control events, the
// interaction state (focus, hover, capture), painting the tree through a
// render context into a layered (per-pixel alpha) or normal window, and
// tooltips. Controls reach their window only through the public services
// below; every platform call stays in this layer.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pillar/WeakCallback.h"
#include "ui/core/EventArgs.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/WindowShadow.h"

namespace ui {

class Box;
class Control;
class IRenderContext;
class IUIMessageFilter;

// Posted to a window to destroy the controls on its delayed-cleanup list.
constexpr UINT kCleanupMessage = WM_APP + 1;
// Pen and touch pointer messages (newer than the headers' API level).
constexpr UINT kPointerUpdateMessage = 0x0245;
constexpr UINT kPointerDownMessage = 0x0246;
constexpr UINT kPointerUpMessage = 0x0247;

// The device context of a native window (GetDC), released on every path.
class WindowDeviceContext {
public:
    WindowDeviceContext() = default;
    ~WindowDeviceContext() { Release(); }
    WindowDeviceContext(const WindowDeviceContext&) = delete;
    WindowDeviceContext& operator=(const WindowDeviceContext&) = delete;
    void Acquire(HWND window) {
        Release();
        window_ = window;
        dc_ = ::GetDC(window);
    }
    void Release() {
        if (dc_) ::ReleaseDC(window_, dc_);
        dc_ = nullptr;
        window_ = nullptr;
    }
    HDC get() const { return dc_; }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// Asked before the tree when looking for the control under a point.
class IControlFinder {
public:
    virtual ~IControlFinder() = default;
    virtual Control* FindControl(POINT point) = 0;
};

class Window : public virtual pillar::SupportWeakCallback {
public:
    Window();
    // Reaps the root and the delayed-cleanup list before any other member
    // goes, since destroying controls calls back into ReleaseTree.
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // --- virtual operations, in slot order ------------------------------------------
    virtual std::wstring WindowClassName() const;
    virtual std::wstring BaseClassName() const;
    virtual UINT ClassStyle() const;
    // Registers the class and creates the native window; WS_CAPTION is
    // removed afterwards. Null on failure.
    virtual HWND Create(HWND parent, const std::wstring& windowName, DWORD style, DWORD exStyle, bool layered = true,
                        const RECT& rect = RECT{0, 0, 0, 0});
    // Fades the root out and posts WM_CLOSE (wParam = code) after 300 ms.
    virtual void Close(UINT code = IDOK);
    virtual void ShowWindow(bool show = true, bool takeFocus = true);
    // After the native window is gone.
    virtual void OnWindowGone(HWND window);
    virtual LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Once, after the first arrangement: the fade-in.
    virtual void OnFirstLayout();

    // --- native window ----------------------------------------------------------------
    HWND NativeHandle() const { return hwnd_; }
    // Stores the handle, gets its device context, makes the render context.
    void Init(HWND window);
    void CenterOnScreen();
    void SetWindowTitle(const std::wstring& text);
    bool IsLayeredWindow() const { return layered_; }
    int WindowAlpha() const { return windowAlpha_; }
    // 0..255; a layered window shows the new alpha at once from what it painted.
    void SetWindowAlpha(int alpha);
    POINT WindowRenderOffset() const { return renderOffset_; }
    void SetWindowRenderOffset(POINT offset);
    bool IsModal() const { return modal_; }
    void SetModal(bool modal) { modal_ = modal; }

    // --- the control tree ---------------------------------------------------------------
    // Takes the root: clears the interaction state, queues the old root for
    // cleanup, attaches the tree and registers its names.
    void BindRoot(std::unique_ptr<Box> root);
    Box* RootBox() const { return root_.get(); }
    // Attaches a control added later (to `parent`, or its own parent) and
    // registers its named descendants.
    void AdoptControl(Control* control, Box* parent);
    // Takes a control to destroy once the current message is done (posts
    // kCleanupMessage).
    void QueueForCleanup(std::unique_ptr<Control> control);
    // Called by a control being destroyed: forgets every pointer to it.
    void ReleaseTree(Control* control);
    // The name map entry, or null.
    Control* FindInWindow(const std::wstring& name) const;
    // The topmost visible, mouse-enabled control containing the point.
    Control* FindInWindow(POINT point) const;

    // --- interaction state --------------------------------------------------------------
    Control* FocusControl() const { return focus_; }
    Control* HoverControl() const { return hover_; }       // the entered control
    Control* ControlUnderMouse() const { return underMouse_; }
    Control* PushedControl() const { return pushed_; }
    POINT LastMousePoint() const { return lastMousePoint_; }
    // Null clears the focus.
    void SetFocus(Control* control);
    void SetTabTarget(bool forward);
    // Builds the event record (tick count, last mouse point) and dispatches it
    // on the control.
    void SendEvent(Control* control, EventKind kind, WPARAM wParam = 0, LPARAM lParam = 0, wchar_t keyCode = 0);

    // --- painting and layout ------------------------------------------------------------
    IRenderContext* RenderContext() const { return renderContext_.get(); }
    // Invalidates the rectangle (no erase); a layered window also gets a
    // paint request posted.
    void Invalidate(const RECT& rect);
    // Marks that a layout pass must run before the next paint.
    void RequestArrange();
    bool IsArrangeNeeded() const { return arrangeNeeded_; }

    // --- skin settings ------------------------------------------------------------------
    WindowShadow& Shadow() { return shadow_; }
    const WindowShadow& Shadow() const { return shadow_; }
    const std::wstring& WindowSkinPath() const { return skinPath_; }
    // A trailing "\" is added unless the path ends in "\" or "/".
    void SetWindowSkinPath(const std::wstring& path);
    // The window-level class text, or empty.
    std::wstring StyleClassAttributes(const std::wstring& name) const;
    void AddWindowClass(const std::wstring& name, const std::wstring& attributes);
    // Scaled if asked; the shadow's corners added when attached and not yet
    // contained; resizes the native window while no root is bound.
    void SetStartSize(int cx, int cy, bool containsShadow = false, bool dpiScale = true);
    SIZE StartSize() const { return initSize_; }
    void SetMinInfo(int cx, int cy, bool containsShadow = false, bool dpiScale = false);
    SIZE MinInfo() const { return minSize_; }
    void SetMaxInfo(int cx, int cy, bool containsShadow = false, bool dpiScale = false);
    SIZE MaxInfo() const { return maxSize_; }
    void SetMaximizeRect(const RECT& rect) { maximizeRect_ = rect; }
    const RECT& MaximizeRect() const { return maximizeRect_; }
    void SetSizeBox(const RECT& rect, bool dpiScale = true);
    const RECT& SizeBox() const { return sizeBox_; }
    void SetCaptionRect(const RECT& rect, bool dpiScale = true);
    const RECT& CaptionRect() const { return caption_; }
    void SetRoundCorner(int cx, int cy, bool dpiScale = true);
    SIZE RoundCorner() const { return roundCorner_; }
    void SetAlphaFixCorner(const RECT& rect, bool dpiScale = true);
    const RECT& AlphaFixCorner() const { return alphaFixCorner_; }
    void SetHeightPercent(double percent);
    double HeightPercent() const { return heightPercent_; }

    // --- handlers, filters, finders, option groups --------------------------------------
    void AddWindowHandler(EventKind kind, EventHandler handler);
    void AddMessageFilter(IUIMessageFilter* filter);
    void RemoveMessageFilter(IUIMessageFilter* filter);
    void AddControlFinder(IControlFinder* finder);
    void RemoveControlFinder(IControlFinder* finder);
    void AddOptionToGroup(const std::wstring& group, Control* option);
    void RemoveOptionFromGroup(const std::wstring& group, Control* option);
    const std::vector<Control*>* OptionGroup(const std::wstring& group) const;

protected:
    // The framework's handling of one message; `handled` false lets the
    // caller pass it on to the previous window procedure.
    LRESULT HandleFrameworkMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT CallPreviousProcedure(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the window-level handlers of the event's kind, then those for All.
    void RunWindowHandlers(EventArgs& event);
    // Destroys the root (and the cleanup list) while the window is still whole.
    void ReapRoot();

private:
    friend class WindowMessageHandlers;

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SuperclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_NCDESTROY: the previous procedure, then the association goes and
    // OnWindowGone runs (which may delete this object).
    LRESULT FinishNativeWindow(UINT message, WPARAM wParam, LPARAM lParam);
    bool RegisterWindowClass();
    bool RegisterSuperclass(const std::wstring& baseClass, HINSTANCE module);
    void BuildDefaultFont();
    // Drops the association with the native window (before it or this object goes).
    void DetachNativeWindow();

    // --- events and interaction (WindowInput.cpp) ------------------------------
    bool Owns(const Control* control) const;
    void SendEventAt(Control* control, EventKind kind, POINT point, WPARAM wParam = 0, LPARAM lParam = 0,
                     wchar_t keyCode = 0, float pressure = 0.0f);
    // Enter and leave for the control now under `point`.
    void UpdateHover(POINT point);
    void StartMouseTracking();
    // Button down, double click and right button down share this.
    void PressAt(POINT point, EventKind kind, bool takeFocus);
    void ReleaseMouseCapture();
    // The control holding the pointer: captured by pen, else by touch, else pushed.
    Control* CapturedControl() const;
    void ClearInteractionState();

    // --- tooltips (WindowTooltip.cpp) ----------------------------------------
    void ShowTooltip(Control* control);
    void HideTooltip();
    UINT HoverTimeMs() const;

    // --- painting (WindowPaint.cpp) ----------------------------------------------
    void Paint();
    void FitWindowToRoot();
    void ArrangeTree(const RECT& client);
    void PaintTree(const RECT& area);
    void RestoreAlpha(const RECT& area);
    // Hands the surface to the layered window; `changed` is what was painted.
    void PresentLayered(const RECT& changed);
    // A new window alpha shown from the surface as painted.
    void PresentWindowAlpha();
    RECT WidenOffscreenEdges(const RECT& update) const;
    void InvalidateClient();

    // --- tree (WindowTree.cpp) ---------------------------------------------------
    void RegisterNames(Control* control);
    void DestroyQueuedControls();

    // --- touch and pen (WindowTouch.cpp) -----------------------------------------
    void RegisterTouchInput();
    void UnregisterTouchInput();
    LRESULT HandleTouch(WPARAM wParam, LPARAM lParam, bool& handled);
    // kind: PointDown, PointMove or PointUp.
    LRESULT HandlePointer(EventKind kind, WPARAM wParam, LPARAM lParam, bool& handled);

    HWND hwnd_ = nullptr;
    WNDPROC previousProcedure_ = ::DefWindowProcW;
    bool subclassed_ = false;
    std::unique_ptr<Box> root_;
    EventHandlerMap windowHandlers_;
    SIZE minSize_{0, 0};
    SIZE maxSize_{0, 0};
    SIZE initSize_{0, 0};
    RECT maximizeRect_{0, 0, 0, 0};
    RECT sizeBox_{0, 0, 0, 0};
    RECT alphaFixCorner_{0, 0, 0, 0};
    SIZE roundCorner_{0, 0};
    RECT caption_{0, 0, 0, 0};
    double heightPercent_ = 0.0;
    WindowDeviceContext paintDc_;  // GetDC of the native window
    std::unique_ptr<IRenderContext> renderContext_;
    bool layered_ = true;
    int windowAlpha_ = 255;
    POINT renderOffset_{0, 0};
    bool firstLayout_ = true;
    bool paintPosted_ = false;  // a WM_PAINT is on its way to a layered window
    SIZE presentedSize_{0, 0};  // of the surface last handed to the layered window
    HWND tooltip_ = nullptr;    // owned popup: goes with the window
    TOOLINFOW toolInfo_{};
    std::wstring tooltipText_;  // the text toolInfo_ points at
    Control* focus_ = nullptr;
    Control* underMouse_ = nullptr;
    Control* hover_ = nullptr;
    Control* pushed_ = nullptr;
    Control* keyDown_ = nullptr;
    POINT lastMousePoint_{-1, -1};
    Control* touchCaptured_ = nullptr;
    POINT lastTouchPoint_{-1, -1};
    Control* pointerCaptured_ = nullptr;
    bool pointerInput_ = true;
    bool arrangeNeeded_ = false;
    bool focusNextAfterArrange_ = false;
    bool mouseTracking_ = false;
    bool mouseCaptured_ = false;
    std::wstring skinPath_;
    FontRecord defaultFont_;
    std::map<std::wstring, std::wstring> classes_;
    std::map<std::wstring, std::vector<Control*>> optionGroups_;
    std::vector<IUIMessageFilter*> messageFilters_;
    std::vector<IControlFinder*> controlFinders_;
    std::vector<std::unique_ptr<Control>> cleanupQueue_;
    std::map<std::wstring, Control*> nameMap_;
    pillar::WeakCallbackFlag windowFlag_;
    WindowShadow shadow_;
    bool modal_ = false;
};

} // namespace ui
