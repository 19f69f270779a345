#pragma once
// One image of a control (background, a state image, a foreground image):
// its attributes, the shared decoded image once loaded, and the frame
// playback state used when it is an animated background.
#include <cstddef>
#include <memory>
#include <string>

#include "ui/control/ImageInfo.h"
#include "ui/control/ImageString.h"

namespace ui {

class ImageSlot {
public:
    ImageAttributes attributes;
    std::shared_ptr<ImageInfo> image;   // null until loaded
    std::size_t currentFrame = 0;
    int completedLoops = 0;
    bool playing = false;

    // Drops the decoded image and playback state, then takes the new string
    // (DPI-scaling "dest" by the process scale).
    void AssignImageString(const std::wstring& text);

    // Loads the image through the shared cache: `resourceFolder` is the
    // window's skin folder for relative files. On failure the attributes are
    // reset so the file is not retried until a new string is set.
    bool Resolve(const std::wstring& resourceFolder);

    // Drops the decoded image and returns to the first frame, not playing.
    void ReleaseImage();

    bool IsLoaded() const { return image != nullptr; }
    std::size_t FrameCount() const { return image ? image->FrameCount() : 0; }
    // The bitmap of the current frame (clamped to the last frame); null when not loaded.
    HBITMAP CurrentFrameBitmap() const;

private:
    std::wstring resolvedPath_;
};

// Full path of an image file: an absolute file as is, a relative one joined
// to `folder`; "." and ".." segments are resolved.
std::wstring ResolveImagePath(const std::wstring& folder, const std::wstring& file);

// Lets the shared image cache decode with GDI+. Called on the first load
// unless the application registered it (or a decoder wrapping it) before.
void RegisterImageDecoder();

} // namespace ui
