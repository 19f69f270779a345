#pragma once
// A shareable posting handle to one loop. Any thread may post through it;
// once the loop is gone every post returns false and drops its closure.
#include <cstdint>
#include <memory>

#include "pillar/CriticalSection.h"
#include "pillar/QueuedTask.h"
#include "pillar/WeakCallback.h"

namespace pillar {

class MessageLoop;

class MessageLoopProxy : public virtual SupportWeakCallback {
public:
    // The handle a loop hands out; the last owner's release destroys the
    // proxy on the loop's thread when the loop still exists.
    static std::shared_ptr<MessageLoopProxy> Create(MessageLoop* loop);

    MessageLoopProxy(const MessageLoopProxy&) = delete;
    MessageLoopProxy& operator=(const MessageLoopProxy&) = delete;

    // Delays are TickClock microseconds; a delay of 0 is an immediate post.
    virtual bool QueueTask(Closure closure);
    virtual bool QueueDelayedTask(Closure closure, int64_t delay);
    virtual bool QueueOuterTask(Closure closure);
    virtual bool QueueOuterDelayedTask(Closure closure, int64_t delay);
    virtual bool IsOnLoopThread();
    // Called by the loop as it is destroyed.
    virtual void DetachLoop();

protected:
    explicit MessageLoopProxy(MessageLoop* loop) : loop_(loop) {}
    ~MessageLoopProxy() override = default;

    virtual void DestroyOnLoopThread();

private:
    static void Release(MessageLoopProxy* proxy) { proxy->DestroyOnLoopThread(); }

    template <typename Post>
    bool Forward(Post&& post);

    CriticalSection lock_;
    MessageLoop* loop_;
};

} // namespace pillar
