#include "pillar/FrameworkThread.h"

#include "pillar/MessageLoopProxy.h"
#include "pillar/ThreadLocalSlot.h"
#include "pillar/ThreadRegistry.h"
#include "pillar/ThreadTlsRecord.h"

namespace pillar {

FrameworkThread::FrameworkThread(const char* name)
    : startedEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), name_(name ? name : "") {}

FrameworkThread::~FrameworkThread() {
    Stop();
    running_ = false;
    stopping_ = false;
}

void FrameworkThread::Prepare(LoopType type, LoopDispatcher* dispatcher) {
    loopType_ = type;
    dispatcher_ = dispatcher;
    running_ = true;
    stopping_ = false;
}

void FrameworkThread::RunHere(LoopType type, LoopDispatcher* dispatcher) {
    if (running_)
        return;
    Prepare(type, dispatcher);
    ThreadBody();
}

bool FrameworkThread::Start(LoopType type, LoopDispatcher* dispatcher) {
    if (running_)
        return false;
    // A thread that ended by itself has left its handle; its body is done,
    // so this wait is only for the OS thread's exit.
    JoinOsThread();
    Prepare(type, dispatcher);
    if (!StartOsThread()) {
        running_ = false;
        return false;
    }
    // The body signals once Init has run and the loop is about to run; a
    // body that ends early (its handle signalled) must not leave us waiting.
    HANDLE waits[2] = {startedEvent_.Get(), ThreadHandle()};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    return true;
}

void FrameworkThread::RequestStop() {
    std::shared_ptr<MessageLoopProxy> proxy = Proxy();
    if (!proxy || stopping_.exchange(true))
        return;
    const bool posted = proxy->QueueOuterTask(MakeWeakCallback([]() {
        if (MessageLoop* loop = MessageLoop::Current())
            loop->Quit();
        if (ThreadTlsRecord* record = CurrentThreadRecord())
            record->quitProperly = true;
    }));
    // The loop ended meanwhile: nothing is stopping, and a later start must
    // not begin in the stopping state.
    if (!posted)
        stopping_ = false;
}

void FrameworkThread::Stop() {
    if (running_)
        RequestStop();
    // On its own thread the body is still on the stack and cannot be waited
    // for: keep the handle so that the owner's Stop (its destructor) waits.
    if (IsOwnOsThread())
        return;
    JoinOsThread();
}

std::shared_ptr<MessageLoopProxy> FrameworkThread::Proxy() const {
    std::lock_guard<std::mutex> hold(proxyMutex_);
    return proxy_;
}

std::unique_ptr<MessageLoop> FrameworkThread::CreateLoop() {
    switch (loopType_) {
    case kCustomLoop:
        if (factory_)
            if (std::unique_ptr<MessageLoop> loop = factory_->CreateLoop())
                return loop;
        // Without a usable factory the thread still gets a working loop.
        return std::make_unique<MessageLoop>();
    case kIOLoop:
        return std::make_unique<IOMessageLoop>();
    case kUILoop:
        return std::make_unique<UIMessageLoop>();
    default:
        return std::make_unique<MessageLoop>();
    }
}

void FrameworkThread::ThreadBody() {
    ThreadTlsRecord* record = CurrentThreadRecord();
    const bool ownRecord = record == nullptr;
    if (ownRecord) {
        record = new ThreadTlsRecord;
        record->owner = this;
        CurrentThreadSlot().Set(record);
    }
    record->quitProperly = false;
    threadId_ = GetCurrentThreadId();

    loop_ = CreateLoop();
    {
        std::lock_guard<std::mutex> hold(proxyMutex_);
        proxy_ = loop_->Proxy();
    }
    Init();
    SetEvent(startedEvent_.Get());
    loop_->Run(dispatcher_);

    Cleanup();
    {
        std::lock_guard<std::mutex> hold(proxyMutex_);
        proxy_.reset();
    }
    loop_.reset();
    if (loopType_ == kCustomLoop)
        factory_.reset();
    threadId_ = 0;
    if (ownRecord) {
        // An enrolment left behind would map its identifier to a thread
        // that is about to be gone.
        while (record->managedCount > 0)
            WithdrawThread();
        CurrentThreadSlot().Set(nullptr);
        delete record;
    }
    // Last: once these clear, the thread may be started again.
    stopping_ = false;
    running_ = false;
}

} // namespace pillar
