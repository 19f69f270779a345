#pragma once
// Shared pieces of the controls tests: GDI+ and the render factory for the
// whole program, test images on disk, colour names, pixel read-back, and a
// control that counts its triggers.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "support/GdiplusEnvironment.h"
#include "ui/control/Box.h"
#include "ui/core/UiGlobals.h"
#include "ui/render/IRenderContext.h"
#include "ui/render/RenderFactory_GdiPlus.h"

namespace controls_test {

inline std::wstring ImagePath(const std::wstring& name) { return std::wstring(CONTROLS_TEST_IMAGES) + name; }

// Colours the tests paint with, registered once for the program.
class ColorsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ui::UiGlobals::SetRenderFactory(std::make_unique<ui::RenderFactory_GdiPlus>());
        ui::UiGlobals::AddNamedColor(L"red", L"#FFFF0000");
        ui::UiGlobals::AddNamedColor(L"blue", L"#FF0000FF");
        ui::UiGlobals::AddNamedColor(L"white", L"#FFFFFFFF");
    }
    void TearDown() override { ui::UiGlobals::DeleteRenderFactory(); }
};

inline ::testing::Environment* const kColorsEnvironment = ::testing::AddGlobalTestEnvironment(new ColorsEnvironment);

struct Pixel {
    BYTE b, g, r, a;
};

inline std::unique_ptr<ui::IRenderContext> NewSurface(int width, int height) {
    auto context = ui::UiGlobals::GetRenderFactory()->NewRenderContext();
    EXPECT_TRUE(context->ResizeSurface(width, height));
    context->ClearSurface();
    return context;
}

inline Pixel PixelAt(const ui::IRenderContext& context, int x, int y) {
    GdiFlush();
    const BYTE* p = context.PixelData() + (static_cast<size_t>(y) * context.SurfaceWidth() + x) * 4;
    return Pixel{p[0], p[1], p[2], p[3]};
}

// A control whose Trigger (the click action) is counted.
class CountingControl : public ui::Control {
public:
    void Trigger() override { ++triggers; }
    int triggers = 0;
};

// Adds `child` to `box` and returns it.
template <typename T>
T* Add(ui::Box& box, std::unique_ptr<T> child) {
    T* raw = child.get();
    EXPECT_TRUE(box.AppendChild(std::move(child)));
    return raw;
}

inline RECT Rect(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }

inline bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

} // namespace controls_test
