#include "ui/control/ImageDrawing.h"

#include "ui/control/BackgroundImage.h"
#include "ui/control/ImageHost.h"
#include "ui/core/UiGlobals.h"
#include "ui/render/IRenderContext.h"

namespace ui {

namespace {

ImageSlot* Find(StateImageSet& images, int state) {
    auto it = images.find(state);
    if (it == images.end() || it->second.attributes.file.empty())
        return nullptr;
    return &it->second;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Starts the host's animated background when it should be running; true when
// playback started (the image is then drawn on the next paint).
bool StartBackgroundIfDue(ImageHost& host) {
    BackgroundImage* background = host.HostBackgroundImage();
    if (!background || !background->HasFrames() || !background->animate || background->IsPlaying())
        return false;
    background->StartPlayback(host);
    return background->IsPlaying();
}

} // namespace

bool DrawImageOver(ImageHost& host, IRenderContext& context, ImageSlot& image, const std::wstring& modify,
                   int fadeOverride) {
    if (image.attributes.file.empty())
        return false;
    if (!image.Resolve(host.ImageResourceFolder()))
        return false;

    ImageAttributes drawn = image.attributes;
    if (!modify.empty())
        ParseImageString(modify, drawn, UiGlobals::IsAdaptDpi() ? UiGlobals::DpiScale() : 100);

    const RECT position = host.ImageHostRect();
    RECT dest = position;
    if (drawn.HasDest()) {
        dest = RECT{position.left + drawn.dest.left, position.top + drawn.dest.top, position.left + drawn.dest.right,
                    position.top + drawn.dest.bottom};
    }
    RECT source = drawn.source;
    if (!drawn.HasFullSource())
        source = RECT{0, 0, image.image->Width(), image.image->Height()};

    if (StartBackgroundIfDue(host))
        return false;

    const BYTE fade = fadeOverride >= 0 ? static_cast<BYTE>(fadeOverride > 255 ? 255 : fadeOverride) : drawn.fade;
    context.BlitImage(host.ImagePaintRect(), image.CurrentFrameBitmap(), image.image->HasAlpha(), dest, source,
                      drawn.corner, fade, drawn.xtiled, drawn.ytiled);
    return true;
}

void PaintStateImageSet(ImageHost& host, IRenderContext& context, StateImageSet& images, int state, bool hasHotFade,
                        int hotAlpha) {
    hotAlpha = hotAlpha < 0 ? 0 : (hotAlpha > 255 ? 255 : hotAlpha);
    if (hasHotFade && (state == kStateNormal || state == kStateHot)) {
        ImageSlot* normal = Find(images, kStateNormal);
        ImageSlot* hot = Find(images, kStateHot);
        if (normal && hot && normal->attributes.file == hot->attributes.file &&
            SameRect(normal->attributes.source, hot->attributes.source)) {
            // One image in both states: draw it once at the blended fade.
            const double h = hotAlpha / 255.0;
            const int fade = static_cast<int>(hot->attributes.fade * h + normal->attributes.fade * (1.0 - h));
            DrawImageOver(host, context, *hot, {}, fade);
            return;
        }
        if (normal)
            DrawImageOver(host, context, *normal);
        if (hot)
            DrawImageOver(host, context, *hot, {}, hot->attributes.fade * hotAlpha / 255);
        return;
    }

    int fadeOverride = -1;
    ImageSlot* chosen = Find(images, state);
    if (!chosen && state == kStatePushed) {
        // A pressed control without its own image shows its hot image fully
        // opaque; the hot image's own fade is kept for the hot state.
        chosen = Find(images, kStateHot);
        fadeOverride = chosen ? 255 : -1;
        state = kStateHot;
    }
    if (!chosen && (state == kStateHot || state == kStateDisabled))
        chosen = Find(images, kStateNormal);
    if (chosen)
        DrawImageOver(host, context, *chosen, {}, fadeOverride);
}

} // namespace ui
