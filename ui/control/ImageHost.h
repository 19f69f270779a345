#pragma once
// What image drawing and background frame playback need from the control
// that shows the images. A control implements it; tests use small fakes.
#include <windows.h>

#include <string>

namespace ui {

class BackgroundImage;

class ImageHost {
public:
    virtual ~ImageHost() = default;

    // The control's position in window pixels.
    virtual RECT ImageHostRect() const = 0;
    // The part of the control being painted in the current pass.
    virtual RECT ImagePaintRect() const = 0;
    // The window's skin folder that relative image files are found in.
    virtual std::wstring ImageResourceFolder() const = 0;
    // Asks for the control to be repainted.
    virtual void MarkImageDirty() = 0;
    // The control's background image (null when it has none to play).
    virtual BackgroundImage* HostBackgroundImage() = 0;
    // Runs the control's animation-stop handlers.
    virtual void OnBackgroundAnimationStopped() = 0;
};

} // namespace ui
