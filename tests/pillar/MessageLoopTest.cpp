#include "pillar/MessageLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "LoopDeadline.h"
#include "pillar/DefaultMessagePump.h"
#include "pillar/MessageLoopProxy.h"
#include "pillar/TickClock.h"

using pillar_test::kMs;
using pillar_test::RunWithDeadline;

namespace {

struct RecordingObserver : pillar::TaskObserver {
    std::vector<int64_t> dues;
    std::vector<int32_t> sequences;
    std::vector<bool> nestable;
    void WillRunTask(const pillar::QueuedTask& task) override {
        dues.push_back(task.due);
        sequences.push_back(task.sequence);
        nestable.push_back(task.nestable);
    }
    void DidRunTask(const pillar::QueuedTask&) override {}
};

// Logs its id when destroyed: shows which closures were discarded, and when.
struct DestroyLog {
    DestroyLog(std::vector<int>* log, int id) : log(log), id(id) {}
    DestroyLog(const DestroyLog&) = delete;
    ~DestroyLog() { log->push_back(id); }
    std::vector<int>* log;
    int id;
};

template <typename Loop>
class AnyLoop : public ::testing::Test {};
using LoopKinds = ::testing::Types<pillar::MessageLoop, pillar::UIMessageLoop, pillar::IOMessageLoop>;
TYPED_TEST_SUITE(AnyLoop, LoopKinds);

TYPED_TEST(AnyLoop, EqualDueTimesRunInPostingOrder) {
    TypeParam loop;
    RecordingObserver observer;
    std::vector<int> order;
    const int count = 200;
    for (int i = 0; i < count; ++i)
        loop.QueueDelayedTask([&order, i]() { order.push_back(i); }, 30 * kMs);
    loop.QueueDelayedTask([&loop]() { loop.Quit(); }, 200 * kMs);
    loop.AddTaskObserver(&observer);
    ASSERT_TRUE(RunWithDeadline(loop));
    ASSERT_EQ(size_t(count), order.size());
    int equalNeighbours = 0;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(i, order[i]);
        if (i > 0 && observer.dues[i] == observer.dues[i - 1]) {
            ++equalNeighbours;
            EXPECT_LT(observer.sequences[i - 1], observer.sequences[i]);
        }
    }
    // The millisecond clock makes most neighbours share a due time; the case
    // under test must actually have occurred.
    EXPECT_GT(equalNeighbours, 0);
}

TYPED_TEST(AnyLoop, DelayedTasksRunInDueOrderAndNotEarly) {
    TypeParam loop;
    std::vector<int> order;
    std::vector<int64_t> ranAt;
    const int64_t posted = pillar::TickClock::Now();
    auto note = [&](int id) { order.push_back(id); ranAt.push_back(pillar::TickClock::Now()); };
    loop.QueueDelayedTask([&]() { note(3); loop.Quit(); }, 90 * kMs);
    loop.QueueDelayedTask([&]() { note(1); }, 20 * kMs);
    loop.QueueDelayedTask([&]() { note(2); }, 50 * kMs);
    loop.QueueTask([&]() { note(0); });
    ASSERT_TRUE(RunWithDeadline(loop));
    ASSERT_EQ((std::vector<int>{0, 1, 2, 3}), order);
    EXPECT_GE(ranAt[1] - posted, 20 * kMs);
    EXPECT_GE(ranAt[2] - posted, 50 * kMs);
    EXPECT_GE(ranAt[3] - posted, 90 * kMs);
}

TYPED_TEST(AnyLoop, QuitRunsTheReadyTasksFirst) {
    TypeParam loop;
    std::vector<std::string> log;
    bool lateRan = false;
    loop.QueueTask([&]() {
        log.push_back("a");
        loop.QueueTask([&]() {
            log.push_back("c");
            loop.QueueTask([&]() { log.push_back("d"); });
        });
        loop.Quit();
        log.push_back("quit");
    });
    loop.QueueTask([&]() { log.push_back("b"); });
    loop.QueueDelayedTask([&]() { lateRan = true; }, 5000 * kMs);
    ASSERT_TRUE(RunWithDeadline(loop));
    EXPECT_EQ((std::vector<std::string>{"a", "quit", "b", "c", "d"}), log);
    EXPECT_FALSE(lateRan);
}

TYPED_TEST(AnyLoop, OuterTaskPostedDuringNestedRunWaitsForTheOuterTask) {
    TypeParam loop;
    std::vector<std::string> log;
    loop.QueueTask([&]() {
        log.push_back("outer begins");
        loop.QueueOuterTask([&]() {
            log.push_back("non-nestable");
            loop.Quit();
        });
        loop.QueueTask([&]() { log.push_back("nestable"); });
        loop.QueueTask([&]() {
            EXPECT_EQ(2, loop.RunDepth());
            loop.Quit();
        });
        loop.Run();
        log.push_back("outer ends");
    });
    ASSERT_TRUE(RunWithDeadline(loop));
    EXPECT_EQ((std::vector<std::string>{"outer begins", "nestable", "outer ends", "non-nestable"}), log);
}

TYPED_TEST(AnyLoop, HugeDelaysNeverFallDue) {
    TypeParam loop;
    int ran = 0;
    // "Never" spelled as the largest delay must not wrap into the past.
    loop.QueueDelayedTask([&]() { ++ran; }, INT64_MAX);
    loop.QueueOuterDelayedTask([&]() { ++ran; }, INT64_MAX - 1);
    ASSERT_TRUE(loop.Proxy()->QueueDelayedTask([&]() { ++ran; }, INT64_MAX / 2));
    loop.QueueDelayedTask([&]() { loop.Quit(); }, 30 * kMs);
    ASSERT_TRUE(RunWithDeadline(loop));
    EXPECT_EQ(0, ran);
}

TYPED_TEST(AnyLoop, ProxyDelayZeroIsAnImmediatePost) {
    TypeParam loop;
    RecordingObserver observer;
    loop.AddTaskObserver(&observer);
    std::vector<int> order;
    auto proxy = loop.Proxy();
    ASSERT_TRUE(proxy->QueueTask([&]() { order.push_back(1); }));
    ASSERT_TRUE(proxy->QueueDelayedTask([&]() { order.push_back(2); }, 0));
    ASSERT_TRUE(proxy->QueueOuterDelayedTask([&]() { order.push_back(3); }, 0));
    ASSERT_TRUE(proxy->QueueTask([&]() { order.push_back(4); }));
    ASSERT_TRUE(proxy->QueueTask([&]() { loop.Quit(); }));
    ASSERT_TRUE(RunWithDeadline(loop));
    // Through the delayed heap, 2 and 3 would have run after 4.
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), order);
    ASSERT_GE(observer.dues.size(), 4u);
    EXPECT_EQ(0, observer.dues[1]);
    EXPECT_TRUE(observer.nestable[1]);
    EXPECT_EQ(0, observer.dues[2]);
    EXPECT_FALSE(observer.nestable[2]);
}

TYPED_TEST(AnyLoop, DestroyedLoopDestroysPendingClosuresUnrun) {
    std::vector<int> destroyed;
    bool ran = false;
    std::shared_ptr<pillar::MessageLoopProxy> proxy;
    {
        TypeParam loop;
        proxy = loop.Proxy();
        auto post = [&](int id, int64_t delayMs, bool outer) {
            auto guard = std::make_shared<DestroyLog>(&destroyed, id);
            pillar::Closure closure = [guard, &ran]() { ran = true; };
            if (outer)
                loop.QueueOuterDelayedTask(std::move(closure), delayMs * kMs);
            else
                loop.QueueDelayedTask(std::move(closure), delayMs * kMs);
        };
        post(1, 300, false);
        post(2, 100, true);
        post(3, 200, false);
        loop.QueueTask([guard = std::make_shared<DestroyLog>(&destroyed, 4), &ran]() {
            ran = true;
        });
        // A closure whose destruction posts again: the new task is discarded too.
        struct Reposter {
            Reposter(pillar::MessageLoop* loop, std::vector<int>* log) : loop(loop), log(log) {}
            Reposter(const Reposter&) = delete;
            pillar::MessageLoop* loop;
            std::vector<int>* log;
            ~Reposter() {
                loop->QueueTask([g = std::make_shared<DestroyLog>(log, 5)]() {});
            }
        };
        loop.QueueTask([r = std::make_shared<Reposter>(&loop, &destroyed), &ran]() {
            ran = true;
        });
        EXPECT_TRUE(destroyed.empty());
    }
    EXPECT_FALSE(ran);
    // Immediate ones as they come, delayed ones in due order, re-posted last.
    EXPECT_EQ((std::vector<int>{4, 2, 3, 1, 5}), destroyed);

    // The loop is gone: posting fails and drops the closure.
    destroyed.clear();
    EXPECT_FALSE(proxy->QueueTask([g = std::make_shared<DestroyLog>(&destroyed, 6)]() {}));
    EXPECT_FALSE(proxy->QueueDelayedTask([]() {}, 10 * kMs));
    EXPECT_FALSE(proxy->QueueOuterTask([]() {}));
    EXPECT_FALSE(proxy->IsOnLoopThread());
    EXPECT_EQ((std::vector<int>{6}), destroyed);
    EXPECT_EQ(nullptr, pillar::MessageLoop::Current());
}

// Work due 2^32 ms from now: a wait whose millisecond count is cut to 32
// bits comes out as 0 and the pump spins instead of sleeping.
TEST(DefaultMessagePump, FarDelayedWorkIsWaitedForWithoutSpinning) {
    struct FarWork : pillar::MessagePump::Delegate {
        pillar::DefaultMessagePump* pump = nullptr;
        std::atomic<bool> woken{false};
        int idleBeforeWake = 0;
        bool RunReadyTask() override { return false; }
        bool RunDueDelayedTask(int64_t& nextDue) override {
            nextDue = pillar::TickClock::Now() + (int64_t(1) << 32) * kMs;
            return false;
        }
        bool RunIdleTask() override {
            if (woken)
                pump->Quit();
            else
                ++idleBeforeWake;
            return false;
        }
    } work;
    pillar::DefaultMessagePump pump;
    work.pump = &pump;
    std::thread waker([&]() {
        Sleep(300);
        work.woken = true;
        pump.Wake();
    });
    pump.Run(&work);
    waker.join();
    EXPECT_EQ(1, work.idleBeforeWake);
}

// Closures whose destruction posts again, two levels deep: every task they
// leave must be gone before the loop tells its observers it is going.
TEST(MessageLoop, ChainOfRepostingClosuresIsDiscardedBeforeObserversHear) {
    struct Chain {
        Chain(pillar::MessageLoop* loop, std::vector<int>* log, int depth)
            : loop(loop), log(log), depth(depth) {}
        Chain(const Chain&) = delete;
        ~Chain() {
            if (depth == 0) {
                log->push_back(7);
                return;
            }
            loop->QueueTask([c = std::make_shared<Chain>(loop, log, depth - 1)]() {});
        }
        pillar::MessageLoop* loop;
        std::vector<int>* log;
        int depth;
    };
    struct Observer : pillar::DestructionObserver {
        std::vector<int>* log = nullptr;
        std::vector<int> seen;
        void OnLoopDestroying(pillar::MessageLoop*) override { seen = *log; }
    } observer;
    std::vector<int> destroyed;
    observer.log = &destroyed;
    {
        pillar::MessageLoop loop;
        loop.AddDestructionObserver(&observer);
        loop.QueueTask([c = std::make_shared<Chain>(&loop, &destroyed, 2)]() {});
    }
    EXPECT_EQ((std::vector<int>{7}), observer.seen);
    EXPECT_EQ((std::vector<int>{7}), destroyed);
}

TEST(MessageLoop, CurrentLoopAndProxyThreadCheck) {
    EXPECT_EQ(nullptr, pillar::MessageLoop::Current());
    pillar::UIMessageLoop loop;
    EXPECT_EQ(&loop, pillar::MessageLoop::Current());
    EXPECT_EQ(&loop, pillar::UIMessageLoop::Current());
    EXPECT_EQ(nullptr, pillar::IOMessageLoop::Current());
    auto proxy = loop.Proxy();
    EXPECT_TRUE(proxy->IsOnLoopThread());
    bool otherThreadSaw = true;
    std::thread other([&]() { otherThreadSaw = proxy->IsOnLoopThread(); });
    other.join();
    EXPECT_FALSE(otherThreadSaw);
}

TEST(MessageLoop, EmptyClosureIsIgnored) {
    pillar::MessageLoop loop;
    int ran = 0;
    loop.QueueTask(pillar::Closure());
    loop.QueueTask([&]() { ++ran; loop.Quit(); });
    ASSERT_TRUE(RunWithDeadline(loop));
    EXPECT_EQ(1, ran);
}

TEST(UIMessageLoop, QuitMessageTakenByInnerLoopEndsOuterLoopToo) {
    pillar::UIMessageLoop loop;
    std::vector<std::string> log;
    loop.QueueTask([&]() {
        loop.QueueTask([&]() { PostQuitMessage(7); });
        loop.Run();
        log.push_back("inner ended");
    });
    // Only the re-posted quit message can end the outer run before the
    // deadline does.
    ASSERT_TRUE(RunWithDeadline(loop));
    EXPECT_EQ((std::vector<std::string>{"inner ended"}), log);
    // The outer loop re-posts in its turn, keeping the exit code.
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, message.wParam);
}

// A task that lets nestable tasks in and runs a native modal loop (as a
// dialog box does) is still running: outer tasks wait until it returns.
TEST(UIMessageLoop, OuterTaskWaitsForATaskInANativeModalLoop) {
    pillar::UIMessageLoop loop;
    std::vector<std::string> log;
    loop.QueueTask([&]() {
        loop.SetNestableTasksAllowed(true);
        bool modalDone = false;
        loop.QueueOuterTask([&]() {
            log.push_back("outer");
            loop.Quit();
        });
        loop.QueueTask([&]() {
            log.push_back("nestable");
            modalDone = true;
        });
        const DWORD deadline = GetTickCount() + 20000;
        while (!modalDone && LONG(deadline - GetTickCount()) > 0) {
            MSG message;
            if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            } else {
                MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            }
        }
        log.push_back("modal ends");
    });
    ASSERT_TRUE(RunWithDeadline(loop));
    EXPECT_EQ((std::vector<std::string>{"nestable", "modal ends", "outer"}), log);
}

TEST(UIMessageLoop, DispatchesWindowMessagesAndHonoursDispatcher) {
    pillar::UIMessageLoop loop;
    struct Dispatcher : pillar::LoopDispatcher {
        int seen = 0;
        bool Dispatch(const MSG& message) override {
            if (message.message == WM_APP + 5)
                ++seen;
            return message.message != WM_APP + 6;
        }
    } dispatcher;
    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 5, 0, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 5, 0, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 6, 0, 0);
    bool deadline = false;
    loop.QueueDelayedTask([&]() { deadline = true; loop.Quit(); }, 20000 * kMs);
    loop.Run(&dispatcher);
    EXPECT_FALSE(deadline);
    EXPECT_EQ(2, dispatcher.seen);
}

} // namespace
