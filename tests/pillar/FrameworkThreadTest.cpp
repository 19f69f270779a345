#include "pillar/FrameworkThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "pillar/MessageLoopProxy.h"
#include "pillar/ScopedHandle.h"
#include "pillar/ThreadRegistry.h"
#include "pillar/ThreadTlsRecord.h"

namespace {

class Worker : public pillar::FrameworkThread {
public:
    explicit Worker(int identifier) : FrameworkThread("Worker"), identifier_(identifier) {}
    ~Worker() override { Stop(); }

    std::atomic<bool> initRan{false}, cleanupRan{false}, enrolled{false}, withdrew{false};
    std::atomic<bool> quitProperly{false};
    std::atomic<DWORD> cleanupThread{0};

protected:
    void Init() override {
        initRan = true;
        enrolled = pillar::EnrolThread(identifier_);
    }
    void Cleanup() override {
        cleanupRan = true;
        cleanupThread = GetCurrentThreadId();
        if (pillar::ThreadTlsRecord* record = pillar::CurrentThreadRecord())
            quitProperly = record->quitProperly;
        withdrew = pillar::WithdrawThread();
    }

private:
    int identifier_;
};

TEST(FrameworkThread, StartServeRequestStop) {
    Worker worker(11);
    ASSERT_TRUE(worker.Start(pillar::kDefaultLoop));
    EXPECT_TRUE(worker.initRan);
    EXPECT_TRUE(worker.enrolled);
    EXPECT_EQ(&worker, pillar::EnrolledThread(11));

    auto proxy = worker.Proxy();
    ASSERT_TRUE(proxy);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD ranOn = 0;
    ASSERT_TRUE(proxy->QueueTask([&]() {
        ranOn = GetCurrentThreadId();
        SetEvent(done);
    }));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, 20000));
    CloseHandle(done);
    EXPECT_NE(GetCurrentThreadId(), ranOn);
    EXPECT_EQ(worker.ThreadId(), ranOn);

    worker.RequestStop();
    EXPECT_TRUE(worker.IsStopping());
    worker.Stop();
    EXPECT_TRUE(worker.cleanupRan);
    EXPECT_EQ(ranOn, worker.cleanupThread.load());
    EXPECT_TRUE(worker.quitProperly);
    EXPECT_TRUE(worker.withdrew);
    EXPECT_EQ(nullptr, pillar::EnrolledThread(11));
    // The loop is gone: the old proxy refuses, the thread has none.
    EXPECT_FALSE(proxy->QueueTask([]() {}));
    EXPECT_EQ(nullptr, worker.Proxy());
}

TEST(FrameworkThread, DestructorStopsARunningThread) {
    std::shared_ptr<pillar::MessageLoopProxy> proxy;
    {
        Worker worker(12);
        ASSERT_TRUE(worker.Start(pillar::kIOLoop));
        proxy = worker.Proxy();
    }
    EXPECT_FALSE(proxy->QueueTask([]() {}));
    EXPECT_EQ(nullptr, pillar::EnrolledThread(12));
}

TEST(FrameworkThread, RunHereWithUILoopEndsOnQuitMessage) {
    class Main : public pillar::FrameworkThread {
    public:
        Main() : FrameworkThread("MainThread") {}
        bool cleanupRan = false;
        DWORD initThread = 0;

    protected:
        void Init() override {
            initThread = GetCurrentThreadId();
            EXPECT_TRUE(pillar::EnrolThread(0));
            // As when the main window closes.
            pillar::MessageLoop::Current()->QueueTask([]() { PostQuitMessage(0); });
        }
        void Cleanup() override {
            cleanupRan = true;
            EXPECT_TRUE(pillar::WithdrawThread());
        }
    } main;
    main.RunHere(pillar::kUILoop);
    EXPECT_EQ(GetCurrentThreadId(), main.initThread);
    EXPECT_TRUE(main.cleanupRan);
    EXPECT_EQ(nullptr, pillar::MessageLoop::Current());
    EXPECT_EQ(nullptr, pillar::CurrentThreadRecord());
    EXPECT_EQ(nullptr, pillar::EnrolledThread(0));
}

TEST(FrameworkThread, StopOnItsOwnThreadLeavesTheWaitToTheOwner) {
    class SlowCleanup : public pillar::FrameworkThread {
    public:
        SlowCleanup() : FrameworkThread("SlowCleanup") {}
        ~SlowCleanup() override { Stop(); }
        std::atomic<bool> cleanupDone{false};

    protected:
        // Long enough that an owner who does not wait sees it unfinished.
        void Cleanup() override {
            Sleep(300);
            cleanupDone = true;
        }
    } worker;
    ASSERT_TRUE(worker.Start(pillar::kDefaultLoop));
    pillar::ScopedHandle asked(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(worker.Proxy()->QueueTask([&]() {
        worker.Stop();
        SetEvent(asked.Get());
    }));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(asked.Get(), 20000));
    EXPECT_TRUE(worker.IsStopping());
    worker.Stop();
    EXPECT_TRUE(worker.cleanupDone);
}

TEST(FrameworkThread, EndedThreadIsNotRunningAndStartsAgain) {
    class Restartable : public pillar::FrameworkThread {
    public:
        Restartable() : FrameworkThread("Restartable") {}
        ~Restartable() override { Stop(); }
        std::atomic<int> inits{0};

    protected:
        void Init() override { ++inits; }
    } worker;
    auto endsBy = [&](pillar::LoopType type, pillar::Closure ending) {
        ASSERT_TRUE(worker.Start(type));
        ASSERT_TRUE(worker.Proxy()->QueueTask(std::move(ending)));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker.ThreadHandle(), 20000));
        EXPECT_FALSE(worker.IsRunning());
        EXPECT_FALSE(worker.IsStopping());
    };
    endsBy(pillar::kDefaultLoop, []() { pillar::MessageLoop::Current()->Quit(); });
    endsBy(pillar::kUILoop, []() { PostQuitMessage(0); });
    // Its own stop request: the stopping state goes with the thread.
    endsBy(pillar::kDefaultLoop, [&]() { worker.RequestStop(); });

    ASSERT_TRUE(worker.Start(pillar::kDefaultLoop));
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_FALSE(worker.IsStopping());
    ASSERT_TRUE(worker.Start(pillar::kIOLoop));
    EXPECT_EQ(5, worker.inits);
}

TEST(ThreadRegistry, EnrolAndWithdraw) {
    // No framework thread here: nothing to enrol.
    EXPECT_FALSE(pillar::EnrolThread(3));
    EXPECT_FALSE(pillar::WithdrawThread());

    class Probe : public pillar::FrameworkThread {
    public:
        Probe() : FrameworkThread("Probe") {}
        std::function<void()> body;

    protected:
        void Init() override {
            body();
            pillar::MessageLoop::Current()->QueueTask([]() { pillar::MessageLoop::Current()->Quit(); });
        }
    };

    Probe first;
    first.body = [&]() {
        EXPECT_TRUE(pillar::EnrolThread(3));
        EXPECT_TRUE(pillar::EnrolThread(3));  // again by the same thread
        EXPECT_EQ(2, pillar::CurrentThreadRecord()->managedCount);
        EXPECT_FALSE(pillar::EnrolThread(4));  // a second identifier is refused

        Probe second;
        second.body = [&]() {
            EXPECT_FALSE(pillar::EnrolThread(3));  // taken by another thread
            EXPECT_TRUE(pillar::EnrolThread(8));
            EXPECT_EQ(&second, pillar::EnrolledThread(8));
            // Ends without withdrawing: the entry must not outlive it.
        };
        ASSERT_TRUE(second.Start(pillar::kDefaultLoop));
        second.Stop();
        EXPECT_EQ(nullptr, pillar::EnrolledThread(8));

        EXPECT_TRUE(pillar::WithdrawThread());
        EXPECT_EQ(&first, pillar::EnrolledThread(3));
        EXPECT_TRUE(pillar::WithdrawThread());
        EXPECT_EQ(nullptr, pillar::EnrolledThread(3));
        EXPECT_EQ(-1, pillar::CurrentThreadRecord()->managedIdentifier);
        EXPECT_FALSE(pillar::WithdrawThread());
    };
    first.RunHere(pillar::kDefaultLoop);
}

} // namespace
