// Starts GDI+ once for the whole test program.
#include <gtest/gtest.h>

#include <memory>

#include "ui/render/GdiPlusSession.h"

namespace {

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

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

} // namespace
