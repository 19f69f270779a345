#pragma once
// Value animations behind the control effects (hot fade, fade in and out,
// slides): a value runs from a start to an end over a duration, reported
// through a callback on every UI timer tick.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "pillar/WeakCallback.h"

namespace ui {

class AnimationPlayerBase {
public:
    using ValueCallback = std::function<void(int)>;
    using CompleteCallback = std::function<void()>;

    AnimationPlayerBase();
    virtual ~AnimationPlayerBase();
    AnimationPlayerBase(const AnimationPlayerBase&) = delete;
    AnimationPlayerBase& operator=(const AnimationPlayerBase&) = delete;

    // Back to the defaults: no values, no callbacks, duration from speed.
    virtual void Initialize();
    // Plays from the start value again, forward.
    virtual void Restart();
    // Stops the timer where the value is.
    virtual void Halt();
    // Continues forward (towards the end value given at set-up).
    virtual void Resume();
    // Continues backward (towards the start value given at set-up).
    virtual void ResumeReversed();
    virtual void StartPlayback();
    // The value after `elapsedMs` of playback in the current direction.
    virtual int ValueAt(double elapsedMs);

    void SetStartValue(int value) { startValue_ = value; }
    void SetEndValue(int value) { endValue_ = value; }
    int StartValue() const { return startValue_; }
    int EndValue() const { return endValue_; }
    int CurrentValue() const { return currentValue_; }
    // Milliseconds; -1 derives the duration from the speed.
    void SetTotalMilliseconds(int ms) { totalMs_ = durationMs_ = ms; }
    int TotalMilliseconds() const { return totalMs_; }
    // The duration in use (derived from the speed when the total is -1).
    int DurationMilliseconds() const { return durationMs_; }
    double ElapsedMilliseconds() const { return elapsedMs_; }
    int TimerInterval() const { return interval_; }
    void SetValueCallback(ValueCallback callback) { valueCallback_ = std::move(callback); }
    void SetCompleteCallback(CompleteCallback callback) { completeCallback_ = std::move(callback); }

    bool IsPlaying() const { return playing_; }
    bool IsFirstRun() const { return firstRun_; }
    bool IsReversed() const { return reversed_; }

    // Advances by the real time since the previous tick (run by the timer).
    void Tick();
    // Advances by `ms` milliseconds; the timer's tick uses the real time.
    void Advance(double ms);

protected:
    void CancelTimer() { timerFlag_.Cancel(); }
    // Swaps start and end and mirrors the elapsed time, for a change of direction.
    void TurnAround();
    void Finish();

    int startValue_ = 0;
    int endValue_ = 0;
    int currentValue_ = 0;
    int totalMs_ = -1;
    // The duration in use: the given one, or the one derived from the speed.
    int durationMs_ = -1;
    double elapsedMs_ = 0;
    int interval_ = 0;
    bool playing_ = false;
    bool firstRun_ = true;
    bool reversed_ = false;
    ValueCallback valueCallback_;
    CompleteCallback completeCallback_;
    LARGE_INTEGER counterStart_{};
    LARGE_INTEGER counterFrequency_{};
    pillar::WeakCallbackFlag timerFlag_;
    // Lets a tick notice that a callback destroyed the player.
    std::shared_ptr<char> alive_;
};

// Accelerates over the first 30 % of the duration and slows down over the
// remaining 70 %. The duration is either given or derived from an
// acceleration (pixels per ms squared) and the distance.
class AnimationPlayer : public AnimationPlayerBase {
public:
    static constexpr int kMaxTotalMs = 1000000;

    AnimationPlayer();

    void Initialize() override;
    void StartPlayback() override;
    int ValueAt(double elapsedMs) override;

    void SetAccelerationRate(double rate) { acceleration_ = rate; }
    void SetDecelerationRate(double rate) { deceleration_ = rate; }
    double AccelerationRate() const { return acceleration_; }
    double DecelerationRate() const { return deceleration_; }
    double MaxSpeed() const { return maxSpeed_; }

    // Derives the phase times, speed and rates from the distance and the
    // duration or acceleration; StartPlayback does this itself.
    void PrepareCurve();

private:
    double speedUpRatio_ = 0.3;
    double slowDownRatio_ = 0.7;
    double speedUpMs_ = 0;      // end of the acceleration phase
    double constantMs_ = 0;     // length of the constant-speed phase
    double maxSpeed_ = 0;
    double acceleration_ = 0;   // as set, used when the duration is derived
    double deceleration_ = 0;
    double curveAcceleration_ = 0;
    double curveDeceleration_ = 0;
};

} // namespace ui
