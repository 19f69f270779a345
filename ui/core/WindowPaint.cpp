// Painting: the layout pass before a paint, the control tree painted into
// the window's render context, the alpha repair, and the copy to the screen
// (UpdateLayeredWindow for a layered window, BitBlt for a normal one).
#include <algorithm>

#include "ui/control/Box.h"
#include "ui/control/ShadowBox.h"
#include "ui/core/Window.h"
#include "ui/render/IRenderContext.h"
#include "ui/render/RenderScopes.h"

namespace ui {

namespace {

// Root sizes are measured without limits.
constexpr int kUnlimited = 99999;

// BeginPaint and EndPaint on every path.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { ::BeginPaint(window_, &paint_); }
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

RECT Deflated(const RECT& rect, const RECT& by) {
    return RECT{rect.left + by.left, rect.top + by.top, rect.right - by.right, rect.bottom - by.bottom};
}

bool AnySidePositive(const RECT& rect) { return rect.left > 0 || rect.top > 0 || rect.right > 0 || rect.bottom > 0; }

int Clamped(int value, int minimum, int maximum) {
    value = std::max(value, minimum);
    return maximum >= 0 ? std::min(value, maximum) : value;
}

} // namespace

void Window::Invalidate(const RECT& rect) {
    if (!hwnd_ || ::IsRectEmpty(&rect)) return;
    ::InvalidateRect(hwnd_, &rect, FALSE);
    // A layered window gets no paint message of its own; one posted request
    // serves any number of invalidations before it arrives.
    if (layered_ && !paintPosted_) paintPosted_ = ::PostMessageW(hwnd_, WM_PAINT, 0, 0) != FALSE;
}

void Window::InvalidateClient() {
    if (!hwnd_) return;
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    Invalidate(client);
}

void Window::RequestArrange() { arrangeNeeded_ = true; }

void Window::Paint() {
    paintPosted_ = false;
    if (!hwnd_) return;
    if (::IsIconic(hwnd_) || !root_ || !renderContext_) {
        PaintScope validate(hwnd_);
        return;
    }
    if (arrangeNeeded_ && root_->IsAutoSized()) FitWindowToRoot();
    RECT update{};
    ::GetUpdateRect(hwnd_, &update, FALSE);
    if (::IsRectEmpty(&update) && !firstLayout_) return;
    if (layered_) update = WidenOffscreenEdges(update);

    PaintScope paint(hwnd_);
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    if (arrangeNeeded_) {
        arrangeNeeded_ = false;
        if (!::IsRectEmpty(&client)) ArrangeTree(client);
        if (firstLayout_) {
            firstLayout_ = false;
            OnFirstLayout();
        }
        if (focusNextAfterArrange_) {
            focusNextAfterArrange_ = false;
            SetTabTarget(true);
        }
    }
    if (::IsRectEmpty(&client)) return;
    RECT area = update;
    // A new surface holds nothing yet: all of it is painted.
    if (renderContext_->ResizeSurface(client.right - client.left, client.bottom - client.top)) area = client;
    if (!::IntersectRect(&area, &area, &client)) return;
    PaintTree(area);
    if (layered_) {
        RestoreAlpha(area);
        PresentLayered(area);
    } else {
        ::BitBlt(paintDc_.get(), area.left, area.top, area.right - area.left, area.bottom - area.top,
                 renderContext_->DeviceContext(), area.left, area.top, SRCCOPY);
    }
}

void Window::FitWindowToRoot() {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    SIZE need = root_->MeasureSize(kUnlimited, kUnlimited);
    if (need.cx < 0) need.cx = client.right - client.left;
    if (need.cy < 0) need.cy = client.bottom - client.top;
    const int width = Clamped(need.cx, root_->MinWidth(), root_->MaxWidth());
    const int height = Clamped(need.cy, root_->MinHeight(), root_->MaxHeight());
    ::SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::ArrangeTree(const RECT& client) {
    if (root_->NeedsArrange()) {
        root_->Place(client);
        return;
    }
    // Only the controls that asked are placed again, where they are; their
    // boxes re-place their children.
    std::vector<Control*> marked;
    root_->VisitTree(
        [&marked](Control* each, void*) -> Control* {
            if (each->NeedsArrange()) marked.push_back(each);
            return nullptr;
        },
        nullptr, kVisitVisible | kVisitSelfFirst);
    for (Control* control : marked) {
        if (!control->NeedsArrange()) continue;
        const RECT where = control->Position();
        control->Place(where);
        control->SetNeedsArrange(false);
    }
}

RECT Window::WidenOffscreenEdges(const RECT& update) const {
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    const RECT screen{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                      ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (window.left >= screen.left && window.top >= screen.top && window.right <= screen.right &&
        window.bottom <= screen.bottom)
        return update;
    // The part beyond the screen is never invalidated by the system; an edge
    // that reaches the screen's edge is taken on to the client's edge.
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd_, &origin);
    RECT widened = update;
    if (update.left + origin.x <= screen.left) widened.left = client.left;
    if (update.top + origin.y <= screen.top) widened.top = client.top;
    if (update.right + origin.x >= screen.right) widened.right = client.right;
    if (update.bottom + origin.y >= screen.bottom) widened.bottom = client.bottom;
    return widened;
}

void Window::PaintTree(const RECT& area) {
    IRenderContext& context = *renderContext_;
    // A layered window shows what is behind it where nothing is painted.
    if (layered_) context.FillAlpha(area, 0);
    RectClipScope clip(context, area);
    OriginScope offset(context, renderOffset_);
    root_->PaintWithEffects(context, area);
}

void Window::RestoreAlpha(const RECT& area) {
    // GDI drawing leaves alpha 0 behind. The skin's content is opaque, so the
    // painted part of it gets alpha 255 again; only a band at the edge keeps
    // its per-pixel alpha: the shadow (its padding plus one pixel for the
    // root's rounded corners) or, without a shadow, the alpha-fix corner.
    RECT band{};
    if (shadow_.IsAttached() && renderOffset_.x == 0 && renderOffset_.y == 0) {
        ShadowBox* shadowBox = shadow_.ShadowContainer();
        band = shadowBox ? shadowBox->LayoutObject()->GetInnerPadding() : shadow_.ShadowCorner();
        band = RECT{band.left + 1, band.top + 1, band.right + 1, band.bottom + 1};
    } else if (AnySidePositive(alphaFixCorner_)) {
        band = alphaFixCorner_;
    } else {
        return;
    }
    const RECT inside = Deflated(root_->Position(), band);
    RECT repair{};
    if (::IntersectRect(&repair, &area, &inside)) renderContext_->FillAlpha(repair, 255);
}

void Window::PresentLayered(const RECT& changed) {
    SIZE size{renderContext_->SurfaceWidth(), renderContext_->SurfaceHeight()};
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    POINT destination{window.left, window.top};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(windowAlpha_), AC_SRC_ALPHA};
    // Only the changed part is composed again, so an animation frame costs
    // its own size rather than the window's; place and size are handed over
    // only when the surface size changed (the window stays where it is).
    const bool resized = size.cx != presentedSize_.cx || size.cy != presentedSize_.cy;
    UPDATELAYEREDWINDOWINFO update{};
    update.cbSize = sizeof(update);
    update.pptDst = resized ? &destination : nullptr;
    update.psize = resized ? &size : nullptr;
    update.hdcSrc = renderContext_->DeviceContext();
    update.pptSrc = &source;
    update.pblend = &blend;
    update.dwFlags = ULW_ALPHA;
    update.prcDirty = &changed;
    if (::UpdateLayeredWindowIndirect(hwnd_, &update) ||
        ::UpdateLayeredWindow(hwnd_, nullptr, &destination, &size, update.hdcSrc, &source, 0, &blend, ULW_ALPHA))
        presentedSize_ = size;
}

void Window::PresentWindowAlpha() {
    // The surface already holds the tree; a new window alpha needs no
    // repaint, only the surface handed over again with the new blend.
    if (!layered_ || !hwnd_ || !renderContext_) return;
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    if (::IsRectEmpty(&client) || client.right != presentedSize_.cx || client.bottom != presentedSize_.cy) return;
    PresentLayered(client);
}

} // namespace ui
