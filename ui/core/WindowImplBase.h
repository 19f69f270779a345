#pragma once
// The base of every skinned window: on creation it loads its skin through
// the builder, wraps the root in the drop shadow, makes the whole window
// client area with a custom caption, resize borders and rounded corners,
// wires the system buttons ("closebtn", "minbtn", "maxbtn", "restorebtn")
// and routes the common window messages to overridable handlers.
//
// Objects are made with new and destroy themselves in OnWindowGone.
#include <windows.h>

#include <string>

#include "ui/core/IUIMessageFilter.h"
#include "ui/core/Window.h"

namespace ui {

class Control;

class WindowImplBase : public Window, public IUIMessageFilter {
public:
    WindowImplBase();
    ~WindowImplBase() override;

    // --- slots 1..9 (those of Window; BaseClassName, Create, Close, ShowWindow
    // and OnFirstLayout keep Window's behaviour) -------------------------------------
    std::wstring WindowClassName() const override = 0;
    UINT ClassStyle() const override;  // CS_DBLCLKS
    // Fires WindowClose and All, reaps the root, then deletes this object.
    void OnWindowGone(HWND window) override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // --- slots 10..38 ---------------------------------------------------------------
    virtual void OnSkinReady();
    virtual LONG StyleWithoutCaption();
    virtual std::wstring ResourceName() const;
    // Controls for element names the builder does not know; null by default.
    virtual Control* MakeControl(const std::wstring& className);
    // Each handler sets `handled` false (and returns 0) to let the framework
    // and then the previous window procedure see the message.
    virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWindowPosChanging(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcDoubleClick(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual void ActiveWindow();
    virtual void SetTitleText(const std::wstring& text);
    virtual std::wstring SkinFolder() const = 0;
    virtual std::wstring SkinFile() const = 0;

    // IUIMessageFilter: returns 0 and never handles.
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    // WM_CREATE: builds the skin; -1 makes the native creation fail.
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // Click handler of the system buttons (bound weakly); always true.
    bool OnSystemButtonClick(EventArgs* event);

private:
    // A root that sizes itself decides the native window's size.
    void FitWindowToAutoSizedRoot();
    // "closebtn", "minbtn", "maxbtn", "restorebtn" get OnSystemButtonClick.
    void WireSystemButtons();
};

} // namespace ui
