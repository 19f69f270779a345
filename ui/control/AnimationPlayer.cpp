#include "ui/control/AnimationPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "pillar/UiTimerService.h"

namespace ui {

AnimationPlayerBase::AnimationPlayerBase() : alive_(std::make_shared<char>(0)) {}

AnimationPlayerBase::~AnimationPlayerBase() { CancelTimer(); }

void AnimationPlayerBase::Initialize() {
    CancelTimer();
    startValue_ = endValue_ = currentValue_ = 0;
    totalMs_ = durationMs_ = -1;
    elapsedMs_ = 0;
    interval_ = 0;
    playing_ = false;
    firstRun_ = true;
    reversed_ = false;
    valueCallback_ = nullptr;
    completeCallback_ = nullptr;
}

void AnimationPlayerBase::Restart() {
    CancelTimer();
    // A reversed player has its ends swapped; play from the original start.
    if (reversed_)
        std::swap(startValue_, endValue_);
    currentValue_ = startValue_;
    elapsedMs_ = 0;
    reversed_ = false;
    StartPlayback();
}

void AnimationPlayerBase::Halt() {
    CancelTimer();
    playing_ = false;
}

void AnimationPlayerBase::TurnAround() {
    std::swap(startValue_, endValue_);
    currentValue_ = startValue_;
    elapsedMs_ = std::max(durationMs_ - elapsedMs_, 0.0);
}

void AnimationPlayerBase::Resume() {
    CancelTimer();
    if (reversed_)
        TurnAround();
    reversed_ = false;
    StartPlayback();
}

void AnimationPlayerBase::ResumeReversed() {
    CancelTimer();
    if (!reversed_)
        TurnAround();
    if (firstRun_)
        elapsedMs_ = 0;
    reversed_ = true;
    StartPlayback();
}

void AnimationPlayerBase::StartPlayback() {
    QueryPerformanceFrequency(&counterFrequency_);
    QueryPerformanceCounter(&counterStart_);
    playing_ = true;
    firstRun_ = false;
    std::weak_ptr<char> alive = alive_;
    if (startValue_ == endValue_) {
        currentValue_ = endValue_;
        if (valueCallback_)
            valueCallback_(endValue_);
        if (!alive.expired())
            Finish();
        return;
    }
    const int distance = std::abs(endValue_ - startValue_);
    interval_ = std::max(durationMs_ / distance, 1);
    Tick();
    if (alive.expired() || !playing_)
        return;
    pillar::UiTimerService::Instance().AddTimer(
        timerFlag_.WeakFlagOf(), [this] { Tick(); }, static_cast<UINT>(interval_), -1);
}

void AnimationPlayerBase::Tick() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    double ms = 0;
    if (counterFrequency_.QuadPart > 0)
        ms = static_cast<double>(now.QuadPart - counterStart_.QuadPart) * 1000.0 / counterFrequency_.QuadPart;
    counterStart_ = now;
    Advance(ms);
}

void AnimationPlayerBase::Advance(double ms) {
    elapsedMs_ += ms;
    const int value = ValueAt(elapsedMs_);
    const bool forward = startValue_ < endValue_;
    const bool reached = forward ? value >= endValue_ : value <= endValue_;
    if (reached) {
        currentValue_ = endValue_;
        std::weak_ptr<char> alive = alive_;
        if (valueCallback_)
            valueCallback_(endValue_);
        if (!alive.expired())
            Finish();
        return;
    }
    if (value != currentValue_) {
        currentValue_ = value;
        if (valueCallback_)
            valueCallback_(value);
    }
}

void AnimationPlayerBase::Finish() {
    CancelTimer();
    playing_ = false;
    if (completeCallback_)
        completeCallback_();
}

int AnimationPlayerBase::ValueAt(double elapsedMs) {
    if (durationMs_ <= 0 || elapsedMs >= durationMs_)
        return endValue_;
    const double fraction = std::max(elapsedMs, 0.0) / durationMs_;
    return static_cast<int>(startValue_ + (endValue_ - startValue_) * fraction);
}

AnimationPlayer::AnimationPlayer() = default;

void AnimationPlayer::Initialize() {
    AnimationPlayerBase::Initialize();
    speedUpRatio_ = 0.3;
    slowDownRatio_ = 0.7;
    speedUpMs_ = constantMs_ = maxSpeed_ = 0;
    acceleration_ = deceleration_ = 0;
    curveAcceleration_ = curveDeceleration_ = 0;
}

void AnimationPlayer::PrepareCurve() {
    const double distance = std::abs(static_cast<double>(endValue_) - startValue_);
    const double a = speedUpRatio_;
    const double e = slowDownRatio_;
    double total = totalMs_;
    if (totalMs_ == -1) {
        curveAcceleration_ = acceleration_;
        curveDeceleration_ = -acceleration_ * a / e;
        const double denominator = curveAcceleration_ * a * a - curveDeceleration_ * e * e;
        // Without a usable acceleration the animation takes the longest time allowed.
        double derived = denominator > 0 ? std::sqrt(distance / denominator) : kMaxTotalMs;
        derived = std::min(derived, static_cast<double>(kMaxTotalMs));
        total = std::trunc(derived);
    } else if (total > 0) {
        const double shape = (1.0 - a - e) * 2.0 * a + a * a + e * a;
        curveAcceleration_ = distance / (shape * total * total);
        curveDeceleration_ = -curveAcceleration_ * a / e;
    } else {
        curveAcceleration_ = curveDeceleration_ = 0;
    }
    durationMs_ = static_cast<int>(total);
    speedUpMs_ = a * total;
    constantMs_ = std::max(total - speedUpMs_ - e * total, 0.0);
    maxSpeed_ = 2.0 * curveAcceleration_ * a * total;
}

void AnimationPlayer::StartPlayback() {
    PrepareCurve();
    AnimationPlayerBase::StartPlayback();
}

int AnimationPlayer::ValueAt(double t) {
    const double distanceTotal = std::abs(static_cast<double>(endValue_) - startValue_);
    double distance = distanceTotal;
    if (durationMs_ > 0 && t < durationMs_) {
        const double t1 = speedUpMs_;
        const double t2 = constantMs_;
        if (t <= t1) {
            distance = curveAcceleration_ * t * t;
        } else if (t <= t1 + t2) {
            distance = curveAcceleration_ * t1 * t1 + maxSpeed_ * (t - t1);
        } else {
            const double s = t - t1 - t2;
            distance = curveAcceleration_ * t1 * t1 + maxSpeed_ * t2 + curveDeceleration_ * s * s + maxSpeed_ * s;
        }
        distance = std::min(std::max(distance, 0.0), distanceTotal);
    }
    const double value = startValue_ < endValue_ ? startValue_ + distance : startValue_ - distance;
    return static_cast<int>(value);
}

} // namespace ui
