#include "pillar/MessageLoop.h"

#include <algorithm>
#include <cstdint>

#include "pillar/DefaultMessagePump.h"
#include "pillar/MessageLoopProxy.h"
#include "pillar/ThreadLocalSlot.h"
#include "pillar/TickClock.h"
#include "pillar/WinIOMessagePump.h"
#include "pillar/WinUIMessagePump.h"

namespace pillar {

namespace {

// Give up on closures whose destruction keeps posting new tasks.
const int kMaxDiscardPasses = 100;

// Longer delays (about 73,000 years) are cut to this so the due time, and
// the pumps' arithmetic on it, cannot overflow into the past.
const int64_t kMaxDelay = INT64_MAX / 4;

// Sequence numbers may wrap; only their distance matters.
bool SequenceAfter(int32_t a, int32_t b) {
    return int32_t(uint32_t(a) - uint32_t(b)) > 0;
}

} // namespace

MessageLoop::MessageLoop() : MessageLoop(kDefaultLoop, std::make_shared<DefaultMessagePump>()) {}

MessageLoop::MessageLoop(LoopType type, std::shared_ptr<MessagePump> pump)
    : type_(type), pump_(std::move(pump)) {
    proxy_ = MessageLoopProxy::Create(this);
    CurrentLoopSlot().Set(this);
}

MessageLoop::~MessageLoop() {
    for (int pass = 0; pass < kMaxDiscardPasses; ++pass) {
        DiscardPending();
        SwapIncomingIntoWork();
        if (!DiscardPending())
            break;
    }
    destructionObservers_.Notify([this](DestructionObserver* o) { o->OnLoopDestroying(this); });
    proxy_->DetachLoop();
    proxy_.reset();
    if (CurrentLoopSlot().Get() == this)
        CurrentLoopSlot().Set(nullptr);
}

MessageLoop* MessageLoop::Current() { return static_cast<MessageLoop*>(CurrentLoopSlot().Get()); }

void MessageLoop::QueueTask(Closure closure) { PostTask(std::move(closure), 0, true, false); }

void MessageLoop::QueueDelayedTask(Closure closure, int64_t delay) {
    PostTask(std::move(closure), delay, true, true);
}

void MessageLoop::QueueOuterTask(Closure closure) { PostTask(std::move(closure), 0, false, false); }

void MessageLoop::QueueOuterDelayedTask(Closure closure, int64_t delay) {
    PostTask(std::move(closure), delay, false, true);
}

void MessageLoop::PostTask(Closure closure, int64_t delay, bool nestable, bool delayed) {
    // An empty closure would fault when run; there is nothing to do anyway.
    if (!closure)
        return;
    QueuedTask task;
    task.closure = std::move(closure);
    task.nestable = nestable;
    if (delayed) {
        task.due = TickClock::Now() + std::min(std::max<int64_t>(delay, 0), kMaxDelay);
        if (task.due == 0)
            task.due = 1;  // 0 means immediate
    }
    AddToIncomingQueue(std::move(task));
}

void MessageLoop::AddToIncomingQueue(QueuedTask task) {
    std::shared_ptr<MessagePump> pump;
    {
        AutoLock hold(incomingLock_);
        const bool wasEmpty = incoming_.empty();
        incoming_.push_back(std::move(task));
        // A non-empty queue has already woken the pump.
        if (!wasEmpty)
            return;
        pump = pump_;
    }
    pump->Wake();
}

void MessageLoop::Run(LoopDispatcher* dispatcher) {
    RunFrame frame{frame_ ? frame_->depth + 1 : 1, false, dispatcher, frame_};
    frame_ = &frame;
    // A run started from inside a task serves nestable tasks; the task's own
    // state comes back when the run ends.
    const bool savedNestable = nestableTasksAllowed_;
    nestableTasksAllowed_ = true;
    if (dispatcher && type_ == kUILoop)
        static_cast<WinUIMessagePump*>(pump_.get())->RunWithDispatcher(this, dispatcher);
    else
        pump_->Run(this);
    nestableTasksAllowed_ = savedNestable;
    frame_ = frame.previous;
}

void MessageLoop::Quit() {
    if (frame_)
        frame_->quitReceived = true;
}

// Outer tasks wait while anything runs inside another run: a nested Run, or
// a task still on the stack (a native modal loop calls back into us).
bool MessageLoop::IsNested() const { return RunDepth() > 1 || taskDepth_ > 0; }

bool MessageLoop::CanRunNow(const QueuedTask& task) const {
    return task.nestable || !IsNested();
}

void MessageLoop::RunTask(QueuedTask& task) {
    nestableTasksAllowed_ = false;
    ++taskDepth_;
    taskObservers_.Notify([&](TaskObserver* o) { o->WillRunTask(task); });
    task.closure();
    taskObservers_.Notify([&](TaskObserver* o) { o->DidRunTask(task); });
    --taskDepth_;
    nestableTasksAllowed_ = true;
}

void MessageLoop::PushDelayed(QueuedTask task) {
    task.sequence = nextSequence_;
    nextSequence_ = int32_t(uint32_t(nextSequence_) + 1);
    delayed_.push_back(std::move(task));
    std::push_heap(delayed_.begin(), delayed_.end(), [](const QueuedTask& a, const QueuedTask& b) {
        return a.due != b.due ? a.due > b.due : SequenceAfter(a.sequence, b.sequence);
    });
}

QueuedTask MessageLoop::PopDelayed() {
    std::pop_heap(delayed_.begin(), delayed_.end(), [](const QueuedTask& a, const QueuedTask& b) {
        return a.due != b.due ? a.due > b.due : SequenceAfter(a.sequence, b.sequence);
    });
    QueuedTask task = std::move(delayed_.back());
    delayed_.pop_back();
    return task;
}

void MessageLoop::SwapIncomingIntoWork() {
    AutoLock hold(incomingLock_);
    if (work_.empty()) {
        work_.swap(incoming_);
    } else {
        for (QueuedTask& task : incoming_)
            work_.push_back(std::move(task));
        incoming_.clear();
    }
}

bool MessageLoop::RunReadyTask() {
    if (!nestableTasksAllowed_)
        return false;
    for (;;) {
        if (work_.empty()) {
            SwapIncomingIntoWork();
            if (work_.empty())
                return false;
        }
        QueuedTask task = std::move(work_.front());
        work_.pop_front();
        if (task.due != 0) {
            const int64_t due = task.due;
            const int32_t sequence = nextSequence_;
            PushDelayed(std::move(task));
            if (delayed_.front().sequence == sequence)
                pump_->WakeAt(due);
            continue;
        }
        if (CanRunNow(task)) {
            RunTask(task);
            return true;
        }
        deferred_.push_back(std::move(task));
    }
}

bool MessageLoop::RunDueDelayedTask(int64_t& nextDue) {
    if (!nestableTasksAllowed_ || delayed_.empty()) {
        recentTime_ = 0;
        nextDue = 0;
        return false;
    }
    const int64_t due = delayed_.front().due;
    if (due > recentTime_) {
        // The clock is read only when the top task may have fallen due.
        recentTime_ = TickClock::Now();
        if (due > recentTime_) {
            nextDue = due;
            return false;
        }
    }
    QueuedTask task = PopDelayed();
    nextDue = delayed_.empty() ? 0 : delayed_.front().due;
    if (CanRunNow(task)) {
        RunTask(task);
        return true;
    }
    deferred_.push_back(std::move(task));
    return false;
}

bool MessageLoop::RunIdleTask() {
    if (RunDepth() == 1 && taskDepth_ == 0 && !deferred_.empty()) {
        QueuedTask task = std::move(deferred_.front());
        deferred_.pop_front();
        RunTask(task);
        return true;
    }
    if (frame_ && frame_->quitReceived)
        pump_->Quit();
    return false;
}

// Closures are destroyed without running; delayed ones in due order.
// Reports whether any task was discarded: a destroyed closure may have posted
// another, and one left queued past the passes would be destroyed while the
// loop's members are (posting into a queue that is being torn down).
bool MessageLoop::DiscardPending() {
    const bool hadAny = !work_.empty() || !deferred_.empty() || !delayed_.empty();
    while (!work_.empty()) {
        QueuedTask task = std::move(work_.front());
        work_.pop_front();
        if (task.due != 0)
            PushDelayed(std::move(task));
    }
    while (!deferred_.empty()) {
        QueuedTask task = std::move(deferred_.front());
        deferred_.pop_front();
    }
    while (!delayed_.empty())
        PopDelayed();
    return hadAny;
}

UIMessageLoop::UIMessageLoop() : MessageLoop(kUILoop, std::make_shared<WinUIMessagePump>()) {}

UIMessageLoop* UIMessageLoop::Current() {
    MessageLoop* loop = MessageLoop::Current();
    return loop && loop->Type() == kUILoop ? static_cast<UIMessageLoop*>(loop) : nullptr;
}

WinUIMessagePump* UIMessageLoop::UIPump() const { return static_cast<WinUIMessagePump*>(Pump()); }

IOMessageLoop::IOMessageLoop() : MessageLoop(kIOLoop, std::make_shared<WinIOMessagePump>()) {}

IOMessageLoop* IOMessageLoop::Current() {
    MessageLoop* loop = MessageLoop::Current();
    return loop && loop->Type() == kIOLoop ? static_cast<IOMessageLoop*>(loop) : nullptr;
}

WinIOMessagePump* IOMessageLoop::IOPump() const { return static_cast<WinIOMessagePump*>(Pump()); }

} // namespace pillar
