#include "ui/render/GdiHandles.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

bool Alive(HGDIOBJ object) { return ::GetObjectType(object) != 0; }

HBRUSH NewBrush() { return ::CreateSolidBrush(RGB(10, 20, 30)); }

TEST(GdiObject, MovedOwnerDeletesExactlyOnceAndSurvivesVectorGrowth) {
    HBRUSH brush = NewBrush();
    ASSERT_NE(nullptr, brush);
    {
        std::vector<ui::GdiObject<HBRUSH>> owners;
        owners.emplace_back(brush);
        for (int i = 0; i < 20; ++i) owners.emplace_back(NewBrush());  // forces reallocation (moves)
        EXPECT_TRUE(Alive(brush));
        EXPECT_EQ(brush, owners.front().get());

        ui::GdiObject<HBRUSH> taken(std::move(owners.front()));
        EXPECT_FALSE(owners.front());
        EXPECT_EQ(brush, taken.get());
        EXPECT_TRUE(Alive(brush));
    }
    EXPECT_FALSE(Alive(brush));
}

TEST(GdiObject, ResetAndMoveAssignmentDeleteTheReplacedObject) {
    HBRUSH first = NewBrush();
    HBRUSH second = NewBrush();
    ui::GdiObject<HBRUSH> owner(first);
    owner.reset(first);  // the same object again must stay usable
    EXPECT_TRUE(Alive(first));
    owner.reset(second);
    EXPECT_FALSE(Alive(first));

    HBRUSH third = NewBrush();
    ui::GdiObject<HBRUSH> other(third);
    owner = std::move(other);
    EXPECT_FALSE(Alive(second));
    EXPECT_EQ(third, owner.get());
    owner.reset();
    EXPECT_FALSE(Alive(third));
}

} // namespace
