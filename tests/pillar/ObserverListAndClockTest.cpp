#include <gtest/gtest.h>

#include <vector>

#include "pillar/ObserverList.h"
#include "pillar/TickClock.h"

namespace {

struct Observer {
    int id;
};

TEST(ObserverList, ChangesDuringNotification) {
    pillar::ObserverList<Observer> list;
    Observer a{1}, b{2}, c{3}, d{4};
    list.Add(&a);
    list.Add(&b);
    list.Add(&c);
    list.Add(&a);  // no duplicates
    std::vector<int> seen;
    list.Notify([&](Observer* o) {
        seen.push_back(o->id);
        if (o == &a) {
            list.Remove(&b);  // not yet reached: skipped
            list.Add(&d);     // added during the walk: called too
        }
    });
    EXPECT_EQ((std::vector<int>{1, 3, 4}), seen);
    EXPECT_EQ(3u, list.Size());
    seen.clear();
    list.Notify([&](Observer* o) { seen.push_back(o->id); });
    EXPECT_EQ((std::vector<int>{1, 3, 4}), seen);
}

TEST(TickClock, ExtendsPastTheTickWrap) {
    uint32_t last = 0;
    int64_t rollover = 0;
    EXPECT_EQ(int64_t(0xFFFFFF00u) * 1000, pillar::TickClock::Extend(0xFFFFFF00u, last, rollover));
    const int64_t afterWrap = pillar::TickClock::Extend(0x10u, last, rollover);
    EXPECT_EQ((int64_t(0x10) + (int64_t(1) << 32)) * 1000, afterWrap);
    EXPECT_GT(afterWrap, int64_t(0xFFFFFF00u) * 1000);
    EXPECT_EQ((int64_t(0x20) + (int64_t(1) << 32)) * 1000, pillar::TickClock::Extend(0x20u, last, rollover));

    const int64_t first = pillar::TickClock::Now();
    EXPECT_GT(first, 0);
    EXPECT_LE(first, pillar::TickClock::Now());
}

} // namespace
