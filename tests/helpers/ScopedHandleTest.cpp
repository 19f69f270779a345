#include "pillar/ScopedHandle.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(ScopedHandle, ClosesOnDestructionResetAndClose) {
    HANDLE first = NewEvent();
    ASSERT_NE(nullptr, first);
    {
        pillar::ScopedHandle owner(first);
        EXPECT_TRUE(owner.Valid());
        EXPECT_TRUE(IsOpen(first));
    }
    EXPECT_FALSE(IsOpen(first));

    HANDLE second = NewEvent();
    HANDLE third = NewEvent();
    pillar::ScopedHandle owner(second);
    owner.Reset(third);
    EXPECT_FALSE(IsOpen(second));
    EXPECT_TRUE(IsOpen(third));
    owner.Close();
    EXPECT_FALSE(IsOpen(third));
    EXPECT_FALSE(owner.Valid());
}

TEST(ScopedHandle, BothEmptyValuesAreNotHandles) {
    pillar::ScopedHandle none;
    pillar::ScopedHandle invalid(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(none);
    EXPECT_FALSE(invalid);
    invalid.Close();  // must not hand INVALID_HANDLE_VALUE (the current process) to CloseHandle
    EXPECT_EQ(nullptr, invalid.Get());
}

TEST(ScopedHandle, MoveAndReleaseTransferOwnership) {
    HANDLE event = NewEvent();
    pillar::ScopedHandle a(event);
    pillar::ScopedHandle b(std::move(a));
    EXPECT_FALSE(a.Valid());
    EXPECT_EQ(event, b.Get());

    pillar::ScopedHandle c;
    c = std::move(b);
    EXPECT_TRUE(IsOpen(event));
    HANDLE released = c.Release();
    EXPECT_FALSE(c.Valid());
    EXPECT_TRUE(IsOpen(released));
    ::CloseHandle(released);
}

TEST(ScopedHandle, ResetToTheOwnedHandleKeepsItOpen) {
    HANDLE event = NewEvent();
    pillar::ScopedHandle owner(event);
    owner.Reset(event);
    EXPECT_TRUE(IsOpen(event));
    EXPECT_EQ(event, owner.Get());
}

TEST(ScopedHandle, ReceiveClosesThePreviousHandle) {
    HANDLE old = NewEvent();
    pillar::ScopedHandle read(old), write;
    HANDLE* slot = read.Receive();
    // Checked before the pipe is made: the system may hand the freed value out again.
    EXPECT_FALSE(IsOpen(old));
    EXPECT_EQ(nullptr, *slot);
    ASSERT_TRUE(::CreatePipe(slot, write.Receive(), nullptr, 0));
    EXPECT_TRUE(read.Valid());
    EXPECT_TRUE(write.Valid());
}

} // namespace
