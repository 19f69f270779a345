#pragma once
// A thread that owns a task loop. Run it on the calling thread (RunHere) or
// on a new OS thread (Start); Init and Cleanup run on that thread around the
// loop.
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "pillar/MessageLoop.h"
#include "pillar/ScopedHandle.h"
#include "pillar/Thread.h"
#include "pillar/WeakCallback.h"

namespace pillar {

class MessageLoopProxy;

// Makes the loop of a kCustomLoop thread.
class MessageLoopFactory {
public:
    virtual ~MessageLoopFactory() = default;
    virtual std::unique_ptr<MessageLoop> CreateLoop() = 0;
};

class FrameworkThread : public Thread, public virtual SupportWeakCallback {
public:
    explicit FrameworkThread(const char* name);
    // Stops a running thread and waits for it. A derived class whose
    // Cleanup must run as the derived class calls Stop in its own destructor.
    ~FrameworkThread() override;

    // Runs the thread body on the calling thread; returns when the loop ends.
    void RunHere(LoopType type, LoopDispatcher* dispatcher = nullptr);
    // Runs the thread body on a new OS thread; returns once Init has run
    // and the loop exists (false if the thread could not start).
    bool Start(LoopType type, LoopDispatcher* dispatcher = nullptr);
    // Any thread: asks the loop to end after its ready tasks.
    void RequestStop();
    // RequestStop, then waits for a started OS thread to end. On that thread
    // itself it only requests: a later Stop from another thread waits.
    void Stop();

    // For kCustomLoop; set before starting.
    void SetLoopFactory(std::shared_ptr<MessageLoopFactory> factory) { factory_ = std::move(factory); }

    // False again once the thread body has ended, however it ended.
    bool IsRunning() const { return running_; }
    bool IsStopping() const { return stopping_; }
    const std::string& Name() const { return name_; }
    // Null when the loop does not exist (not started or ended).
    std::shared_ptr<MessageLoopProxy> Proxy() const;
    // On the thread itself: the loop it runs.
    MessageLoop* Loop() const { return loop_.get(); }

protected:
    void ThreadBody() override;
    virtual void Init() {}
    virtual void Cleanup() {}

private:
    void Prepare(LoopType type, LoopDispatcher* dispatcher);
    std::unique_ptr<MessageLoop> CreateLoop();

    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    LoopType loopType_ = kDefaultLoop;
    std::unique_ptr<MessageLoop> loop_;
    std::shared_ptr<MessageLoopFactory> factory_;
    LoopDispatcher* dispatcher_ = nullptr;
    ScopedHandle startedEvent_;
    std::string name_;

    // Guards proxy_, which other threads read to post the stop request.
    mutable std::mutex proxyMutex_;
    std::shared_ptr<MessageLoopProxy> proxy_;
};

} // namespace pillar
