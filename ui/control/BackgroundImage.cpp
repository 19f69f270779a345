#include "ui/control/BackgroundImage.h"

#include "pillar/UiTimerService.h"
#include "ui/control/ImageHost.h"

namespace ui {

void BackgroundImage::Assign(ImageHost& host, const std::wstring& text) {
    HaltAnimation(host, kCurrentFrame);
    StopTimer();
    slot.AssignImageString(text);
    animate = slot.attributes.playCount != 0;
}

int BackgroundImage::DelayOfFrame(std::size_t frame) const {
    return slot.image ? FramePlaybackDelayMs(slot.image->FrameDelayValue(frame)) : 0;
}

void BackgroundImage::StopTimer() { frameTimer.Cancel(); }

void BackgroundImage::AddFrameTimer(ImageHost& host, int delayMs) {
    ImageHost* owner = &host;
    pillar::UiTimerService::Instance().AddTimer(
        frameTimer.WeakFlagOf(), [this, owner] { Tick(*owner); }, static_cast<UINT>(delayMs), -1);
}

void BackgroundImage::StartPlayback(ImageHost& host) {
    if (slot.playing || !HasFrames())
        return;
    slot.currentFrame = 0;
    const int delay = DelayOfFrame(0);
    if (delay == 0) {
        // A zero delay means "show this frame and stop"; without turning
        // animation off every paint would try to start again and the image
        // would never be drawn.
        animate = false;
        return;
    }
    slot.playing = true;
    AddFrameTimer(host, delay);
    host.MarkImageDirty();
}

void BackgroundImage::Tick(ImageHost& host) {
    if (!HasFrames()) {
        slot.playing = false;
        StopTimer();
        return;
    }
    const int playCount = slot.attributes.playCount;
    if (playCount > 0 && slot.completedLoops >= playCount) {
        slot.playing = false;
        StopTimer();
        return;
    }
    const int oldDelay = DelayOfFrame(slot.currentFrame);
    ++slot.currentFrame;
    if (slot.currentFrame >= slot.FrameCount()) {
        ++slot.completedLoops;
        slot.currentFrame = 0;
    }
    if (playCount > 0 && slot.completedLoops >= playCount) {
        HaltAnimation(host, kLastFrame);
        animate = false;
        host.OnBackgroundAnimationStopped();
        host.MarkImageDirty();
        return;
    }
    const int newDelay = DelayOfFrame(slot.currentFrame);
    if (oldDelay == 0 || newDelay == 0) {
        // Stay on this frame: a later paint must not start the loop again.
        HaltAnimation(host, kCurrentFrame);
        animate = false;
        return;
    }
    if (newDelay != oldDelay) {
        StopTimer();
        AddFrameTimer(host, newDelay);
    }
    host.MarkImageDirty();
}

void BackgroundImage::HaltAnimation(ImageHost& host, int frame) {
    if (!HasFrames())
        return;
    slot.playing = false;
    StopTimer();
    const std::size_t last = slot.FrameCount() - 1;
    if (frame == kLastFrame) {
        slot.currentFrame = last;
    } else if (frame >= 0) {
        slot.currentFrame = static_cast<std::size_t>(frame) < last ? static_cast<std::size_t>(frame) : last;
    }
    host.MarkImageDirty();
}

void BackgroundImage::Unload() {
    StopTimer();
    slot.ReleaseImage();
}

} // namespace ui
