#pragma once
// The soft drop shadow around a skinned window: a shadow box, padded by the
// shadow corner, that wraps the skin's root and paints the shadow image in
// the padding band.
#include <windows.h>

#include <memory>
#include <string>

#include "pillar/WeakCallback.h"

namespace ui {

class Box;
class ShadowBox;

class WindowShadow {
public:
    static constexpr int kDefaultCorner = 14;
    static constexpr const wchar_t* kDefaultImage = L"file='../public/bk/bk_shadow.png' corner='30,30,30,30'";

    WindowShadow() = default;
    WindowShadow(const WindowShadow&) = delete;
    WindowShadow& operator=(const WindowShadow&) = delete;

    // Wraps `root` in a new shadow box and returns that box, or returns
    // `root` unchanged when the shadow is not attached.
    std::unique_ptr<Box> Attach(std::unique_ptr<Box> root);

    bool IsAttached() const { return attached_; }
    void SetAttached(bool on) { attached_ = on; }
    bool IsDefaultImage() const { return defaultImage_; }
    const std::wstring& ShadowImage() const { return image_; }
    // Also marks the image as no longer the default one.
    void SetShadowImage(const std::wstring& image);

    // The corner widths in force (DPI-scaled; zero while maximised).
    RECT ShadowCorner() const { return scaledCorner_; }
    // Raw corner widths from the skin: kept, saved and DPI-scaled.
    void SetShadowCorner(const RECT& corner);
    // Maximised: corner 0 on every side; restored: back from the saved copy.
    // The shadow box's padding follows.
    void MaximizedOrRestored(bool maximized);
    // Rescales the corner by the current DPI and updates the padding.
    void ChangeDpiScale();

    // The shadow box once attached (owned by the control tree), else null;
    // null again once the tree has destroyed it.
    ShadowBox* ShadowContainer() const { return boxAlive_.expired() ? nullptr : box_; }

private:
    bool attached_ = true;
    bool defaultImage_ = true;
    std::wstring image_ = kDefaultImage;
    RECT corner_{kDefaultCorner, kDefaultCorner, kDefaultCorner, kDefaultCorner};
    RECT savedCorner_{kDefaultCorner, kDefaultCorner, kDefaultCorner, kDefaultCorner};
    RECT scaledCorner_{kDefaultCorner, kDefaultCorner, kDefaultCorner, kDefaultCorner};
    ShadowBox* box_ = nullptr;  // not owned
    std::weak_ptr<pillar::WeakFlag> boxAlive_;
};

} // namespace ui
