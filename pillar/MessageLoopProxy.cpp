#include "pillar/MessageLoopProxy.h"

#include "pillar/MessageLoop.h"

namespace pillar {

std::shared_ptr<MessageLoopProxy> MessageLoopProxy::Create(MessageLoop* loop) {
    return std::shared_ptr<MessageLoopProxy>(new MessageLoopProxy(loop), &MessageLoopProxy::Release);
}

// The lock is held across the forward so the loop cannot detach (and be
// destroyed) while a post is in flight.
template <typename Post>
bool MessageLoopProxy::Forward(Post&& post) {
    AutoLock hold(lock_);
    if (!loop_)
        return false;
    post(*loop_);
    return true;
}

bool MessageLoopProxy::QueueTask(Closure closure) {
    return Forward([&](MessageLoop& loop) { loop.QueueTask(std::move(closure)); });
}

bool MessageLoopProxy::QueueDelayedTask(Closure closure, int64_t delay) {
    if (delay == 0)
        return QueueTask(std::move(closure));
    return Forward([&](MessageLoop& loop) { loop.QueueDelayedTask(std::move(closure), delay); });
}

bool MessageLoopProxy::QueueOuterTask(Closure closure) {
    return Forward([&](MessageLoop& loop) { loop.QueueOuterTask(std::move(closure)); });
}

bool MessageLoopProxy::QueueOuterDelayedTask(Closure closure, int64_t delay) {
    if (delay == 0)
        return QueueOuterTask(std::move(closure));
    return Forward([&](MessageLoop& loop) { loop.QueueOuterDelayedTask(std::move(closure), delay); });
}

bool MessageLoopProxy::IsOnLoopThread() {
    AutoLock hold(lock_);
    return loop_ && loop_ == MessageLoop::Current();
}

void MessageLoopProxy::DetachLoop() {
    AutoLock hold(lock_);
    loop_ = nullptr;
}

void MessageLoopProxy::DestroyOnLoopThread() {
    // Set when the deletion is handed to the loop. The closure shares the
    // ownership: the proxy is deleted by whichever lets go last, the task
    // (run or discarded unrun) or this frame once the lock is released.
    std::shared_ptr<MessageLoopProxy> owner;
    {
        AutoLock hold(lock_);
        if (loop_ && loop_ != MessageLoop::Current()) {
            owner.reset(this, [](MessageLoopProxy* proxy) { delete proxy; });
            loop_->QueueOuterTask([owner]() {});
        }
    }
    if (!owner)
        delete this;
}

} // namespace pillar
