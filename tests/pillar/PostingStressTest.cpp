#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "LoopDeadline.h"
#include "pillar/MessageLoop.h"
#include "pillar/MessageLoopProxy.h"

namespace {

TEST(PostingStress, ManyThreadsPostToOneUILoop) {
    const int kThreads = 6;
    const int kTasksEach = 5000;
    pillar::UIMessageLoop loop;
    auto proxy = loop.Proxy();
    // Touched only on the loop thread.
    std::vector<std::vector<int>> seen(kThreads);
    int total = 0;
    std::atomic<int> refused{0};

    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&, t]() {
            for (int i = 0; i < kTasksEach; ++i) {
                bool ok = proxy->QueueTask([&, t, i]() {
                    seen[t].push_back(i);
                    if (++total == kThreads * kTasksEach)
                        loop.Quit();
                });
                if (!ok)
                    ++refused;
            }
        });
    }
    bool finished = pillar_test::RunWithDeadline(loop, 120000);
    for (auto& poster : posters)
        poster.join();
    ASSERT_TRUE(finished) << "only " << total << " tasks ran";
    EXPECT_EQ(0, refused.load());
    EXPECT_EQ(kThreads * kTasksEach, total);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(size_t(kTasksEach), seen[t].size()) << "thread " << t;
        for (int i = 0; i < kTasksEach; ++i)
            ASSERT_EQ(i, seen[t][i]) << "thread " << t << " out of order";
    }
}

} // namespace
