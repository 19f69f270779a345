#pragma once
// Starts GDI+ once for the whole test program that includes this header.
#include <gtest/gtest.h>

#include <memory>

#include "ui/render/GdiPlusSession.h"

namespace testsupport {

class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        session_ = std::make_unique<ui::GdiPlusSession>();
        ASSERT_TRUE(session_->IsRunning());
    }
    void TearDown() override { session_.reset(); }

private:
    std::unique_ptr<ui::GdiPlusSession> session_;
};

// An inline variable is initialised once per program however many files
// include this, so the session is registered exactly once.
inline ::testing::Environment* const kGdiplusEnvironment =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

} // namespace testsupport
