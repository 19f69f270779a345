#pragma once
// A control's background image with its frame playback: animated images
// (two or more frames) advance on a UI timer bound to the frame-timer flag,
// so destroying the owner stops the timer.
#include <string>

#include "pillar/WeakCallback.h"
#include "ui/control/ImageSlot.h"

namespace ui {

class ImageHost;

class BackgroundImage {
public:
    // Frame value of HaltAnimation selecting the last frame.
    static constexpr int kLastFrame = 0xFFFF;
    // Frame value of HaltAnimation keeping the current frame.
    static constexpr int kCurrentFrame = -1;

    BackgroundImage() = default;
    // The frame timer refers to this object; copies would leave it dangling.
    BackgroundImage(const BackgroundImage&) = delete;
    BackgroundImage& operator=(const BackgroundImage&) = delete;

    ImageSlot slot;
    // Off after a finite play count ran out, or for playcount='0'.
    bool animate = true;
    pillar::WeakCallbackFlag frameTimer;

    // Stops playback on the current frame, takes the new string and turns
    // animation on unless the string says playcount='0'.
    void Assign(ImageHost& host, const std::wstring& text);

    bool HasFrames() const { return slot.FrameCount() >= 2; }
    bool IsPlaying() const { return slot.playing; }

    // Starts from frame 0 with a timer of the first frame's delay.
    void StartPlayback(ImageHost& host);
    // Advances one frame (run by the timer).
    void Tick(ImageHost& host);
    // Stops on `frame`: kCurrentFrame, 0, kLastFrame or a frame index.
    void HaltAnimation(ImageHost& host, int frame);
    // Drops the decoded frames and stops playback.
    void Unload();

private:
    void StopTimer();
    void AddFrameTimer(ImageHost& host, int delayMs);
    int DelayOfFrame(std::size_t frame) const;
};

} // namespace ui
