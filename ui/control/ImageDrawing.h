#pragma once
// Drawing a control's images: one image over the control (with an optional
// modify string applied for this draw only) and the choice among a set of
// state images.
#include <map>
#include <string>

#include "ui/control/ImageSlot.h"

namespace ui {

class IRenderContext;
class ImageHost;

// Control states, as a control keeps them.
enum ImageState { kStateNormal = 0, kStateHot = 1, kStatePushed = 2, kStateDisabled = 3 };

// Images of one kind (background or foreground) by control state.
using StateImageSet = std::map<int, ImageSlot>;

// Draws `image` over the host's position. `modify` (may be empty) is parsed
// over a copy of the attributes; `fadeOverride` >= 0 replaces the fade.
// Returns false when nothing was drawn (no file, load failure, or animation
// playback was started instead and draws on the next paint).
bool DrawImageOver(ImageHost& host, IRenderContext& context, ImageSlot& image, const std::wstring& modify = {},
                   int fadeOverride = -1);

// Draws the image of `state` from `images`, blending normal and hot while a
// hot fade is running (`hotAlpha` 0..255 is its progress).
void PaintStateImageSet(ImageHost& host, IRenderContext& context, StateImageSet& images, int state, bool hasHotFade,
                        int hotAlpha);

} // namespace ui
