#include "pillar/WeakCallback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Reaches the weak-callback base through a virtual base, as controls do.
struct Widget : public virtual pillar::SupportWeakCallback {
    int clicks = 0;
    std::string name = "w";
    bool OnClick(int weight) {
        clicks += weight;
        return true;
    }
    Widget* Self() { return this; }
    int Twice(int v) const { return v * 2; }
};

struct FancyWidget : public Widget, public virtual pillar::SupportWeakCallback {
    std::string Label(const std::string& prefix) { return prefix + name; }
};

TEST(WeakCallback, ExpiredClosureReturnsDefaultAndDoesNotCallOwner) {
    std::function<bool(int)> onClick;
    std::function<Widget*()> self;
    std::function<int(int)> twice;
    std::function<void()> touch;
    bool touched = false;
    {
        FancyWidget widget;
        onClick = widget.MakeWeakCallback(&Widget::OnClick, &widget);
        self = widget.MakeWeakCallback(&Widget::Self, &widget);
        twice = widget.MakeWeakCallback(&Widget::Twice, &widget);
        touch = widget.MakeWeakCallback([&touched]() { touched = true; });
        EXPECT_TRUE(onClick(3));
        EXPECT_EQ(&widget, self());
        EXPECT_EQ(14, twice(7));
        EXPECT_EQ(3, widget.clicks);
        touch();
        EXPECT_TRUE(touched);
    }
    touched = false;
    EXPECT_FALSE(onClick(1));
    EXPECT_EQ(nullptr, self());
    EXPECT_EQ(0, twice(7));
    touch();
    EXPECT_FALSE(touched);
}

TEST(WeakCallback, MemberOfDerivedClassThroughVirtualBase) {
    FancyWidget widget;
    widget.name = "card";
    std::function<std::string(const std::string&)> label =
        widget.MakeWeakCallback(&FancyWidget::Label, &widget);
    EXPECT_EQ("my card", label("my "));
}

TEST(WeakCallback, CancelExpiresEarlierClosuresOnly) {
    pillar::WeakCallbackFlag flag;
    int runs = 0;
    auto before = flag.MakeWeakCallback([&runs]() { ++runs; });
    flag.Cancel();
    EXPECT_FALSE(flag.HasWeakFlag());
    auto after = flag.MakeWeakCallback([&runs]() { runs += 10; });
    before();
    EXPECT_EQ(0, runs);
    after();
    EXPECT_EQ(10, runs);
    flag.Cancel();
    after();
    EXPECT_EQ(10, runs);
}

TEST(WeakCallback, FlagAllocatedOnlyWhenAClosureIsIssued) {
    Widget widget;
    EXPECT_FALSE(widget.HasWeakFlag());
    std::weak_ptr<pillar::WeakFlag> first = widget.WeakFlagOf();
    EXPECT_TRUE(widget.HasWeakFlag());
    // Later closures share the same flag.
    EXPECT_FALSE(first.owner_before(widget.WeakFlagOf()) || widget.WeakFlagOf().owner_before(first));
}

TEST(WeakCallback, CopiesExpireTogether) {
    int runs = 0;
    std::function<void()> a, b, c;
    {
        auto owner = std::make_unique<Widget>();
        a = owner->MakeWeakCallback([&runs]() { ++runs; });
        b = a;
        c = b;
        a();
        b();
        c();
        EXPECT_EQ(3, runs);
    }
    a();
    b();
    c();
    EXPECT_EQ(3, runs);
}

TEST(WeakCallback, CopyOfOwnerHasItsOwnLifetime) {
    int runs = 0;
    auto original = std::make_unique<Widget>();
    auto closure = original->MakeWeakCallback([&runs]() { ++runs; });
    {
        Widget copy(*original);
        EXPECT_FALSE(copy.HasWeakFlag());
    }
    // Destroying the copy must not expire the original's closures.
    closure();
    EXPECT_EQ(1, runs);
    original.reset();
    closure();
    EXPECT_EQ(1, runs);
}

// A stop request from another thread may issue an owner's first closure
// while the owner's thread issues one too: both must get the one live flag.
TEST(WeakCallback, FirstFlagIssuedFromTwoThreadsAtOnceIsLive) {
    const int rounds = 20000;
    std::vector<Widget> owners(rounds);
    std::vector<std::weak_ptr<pillar::WeakFlag>> mine(rounds), theirs(rounds);
    std::atomic<int> arrived{0};
    auto meet = [&](int round) {
        ++arrived;
        while (arrived < 2 * (round + 1))
            std::this_thread::yield();
    };
    std::thread other([&]() {
        for (int i = 0; i < rounds; ++i) {
            meet(i);
            theirs[i] = owners[i].WeakFlagOf();
        }
    });
    for (int i = 0; i < rounds; ++i) {
        meet(i);
        mine[i] = owners[i].WeakFlagOf();
    }
    other.join();
    int expired = 0, split = 0;
    for (int i = 0; i < rounds; ++i) {
        expired += mine[i].expired() + theirs[i].expired();
        split += mine[i].owner_before(theirs[i]) || theirs[i].owner_before(mine[i]);
    }
    EXPECT_EQ(0, expired);
    EXPECT_EQ(0, split);
}

} // namespace
