#pragma once
// A thread's task loop: tasks posted from any thread, delayed tasks, nested
// runs, and a pump that waits for work (an event, the Windows message queue
// or a completion port).
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "pillar/CriticalSection.h"
#include "pillar/MessagePump.h"
#include "pillar/ObserverList.h"
#include "pillar/QueuedTask.h"

namespace pillar {

class MessageLoopProxy;
class WinUIMessagePump;
class WinIOMessagePump;

enum LoopType { kDefaultLoop = 0, kUILoop = 1, kIOLoop = 2, kCustomLoop = 3 };

class TaskObserver {
public:
    virtual ~TaskObserver() = default;
    virtual void WillRunTask(const QueuedTask& task) = 0;
    virtual void DidRunTask(const QueuedTask& task) = 0;
};

class DestructionObserver {
public:
    virtual ~DestructionObserver() = default;
    virtual void OnLoopDestroying(class MessageLoop* loop) = 0;
};

class MessageLoop : public MessagePump::Delegate {
public:
    MessageLoop();
    ~MessageLoop() override;
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // The calling thread's loop, or null.
    static MessageLoop* Current();

    // Any thread. Delays are TickClock microseconds. Outer tasks never run
    // inside a nested run.
    void QueueTask(Closure closure);
    void QueueDelayedTask(Closure closure, int64_t delay);
    void QueueOuterTask(Closure closure);
    void QueueOuterDelayedTask(Closure closure, int64_t delay);

    // Runs until Quit (or, for a UI loop, WM_QUIT or a dispatcher's false).
    // May be called again from inside a task (a nested run).
    void Run(LoopDispatcher* dispatcher = nullptr);
    // Ends the innermost run once every ready task has run.
    void Quit();

    bool IsRunning() const { return frame_ != nullptr; }
    int RunDepth() const { return frame_ ? frame_->depth : 0; }
    LoopType Type() const { return type_; }

    std::shared_ptr<MessageLoopProxy> Proxy() const { return proxy_; }

    // Set while the system runs a modal loop (moving, sizing, menus) inside
    // our pump: then wakes take only paint and timer messages.
    void SetOsModalLoop(bool modal) { osModalLoop_ = modal; }
    bool IsOsModalLoop() const { return osModalLoop_; }

    void SetNestableTasksAllowed(bool allowed) { nestableTasksAllowed_ = allowed; }
    bool NestableTasksAllowed() const { return nestableTasksAllowed_; }

    void AddTaskObserver(TaskObserver* observer) { taskObservers_.Add(observer); }
    void RemoveTaskObserver(TaskObserver* observer) { taskObservers_.Remove(observer); }
    void AddDestructionObserver(DestructionObserver* observer) { destructionObservers_.Add(observer); }
    void RemoveDestructionObserver(DestructionObserver* observer) {
        destructionObservers_.Remove(observer);
    }

    bool RunReadyTask() override;
    bool RunDueDelayedTask(int64_t& nextDue) override;
    bool RunIdleTask() override;

protected:
    MessageLoop(LoopType type, std::shared_ptr<MessagePump> pump);

    virtual void AddToIncomingQueue(QueuedTask task);

    MessagePump* Pump() const { return pump_.get(); }

private:
    struct RunFrame {
        int depth;
        bool quitReceived;
        LoopDispatcher* dispatcher;
        RunFrame* previous;
    };
    struct LaterDue {
        bool operator()(const QueuedTask& a, const QueuedTask& b) const {
            return a.due != b.due ? a.due > b.due : a.sequence > b.sequence;
        }
    };

    void PostTask(Closure closure, int64_t delay, bool nestable, bool delayed);
    void RunTask(QueuedTask& task);
    bool IsNested() const;
    bool CanRunNow(const QueuedTask& task) const;
    void PushDelayed(QueuedTask task);
    QueuedTask PopDelayed();
    void SwapIncomingIntoWork();
    bool DiscardPending();

    LoopType type_;
    RunFrame* frame_ = nullptr;
    std::shared_ptr<MessagePump> pump_;
    bool osModalLoop_ = false;
    bool nestableTasksAllowed_ = true;
    // Tasks now running, one inside another: a task that lets nestable
    // tasks in and opens a native modal loop nests tasks without a Run.
    int taskDepth_ = 0;
    CriticalSection incomingLock_;
    std::deque<QueuedTask> incoming_;
    std::deque<QueuedTask> work_;
    std::deque<QueuedTask> deferred_;
    std::vector<QueuedTask> delayed_;
    int32_t nextSequence_ = 0;
    int64_t recentTime_ = 0;
    ObserverList<TaskObserver> taskObservers_;
    ObserverList<DestructionObserver> destructionObservers_;
    std::shared_ptr<MessageLoopProxy> proxy_;
};

// Pumps the thread's Windows message queue; all windows of a thread with
// this loop are served by it.
class UIMessageLoop : public MessageLoop {
public:
    UIMessageLoop();
    static UIMessageLoop* Current();
    WinUIMessagePump* UIPump() const;
};

class IOMessageLoop : public MessageLoop {
public:
    IOMessageLoop();
    static IOMessageLoop* Current();
    WinIOMessagePump* IOPump() const;
};

} // namespace pillar
