#pragma once
// Shared pieces of the label, button and progress tests: named colours for
// painting, and reading which colour a painted area shows.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "render/RenderTestSupport.h"
#include "ui/core/UiGlobals.h"
#include "ui/render/IRenderContext.h"
#include "ui/render/RenderFactory_GdiPlus.h"

namespace widgets_test {

// Labels measure their text with a context from the process's render factory.
class RenderFactoryEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ui::UiGlobals::SetRenderFactory(std::make_unique<ui::RenderFactory_GdiPlus>()); }
    void TearDown() override { ui::UiGlobals::DeleteRenderFactory(); }
};

inline ::testing::Environment* const kRenderFactoryEnvironment =
    ::testing::AddGlobalTestEnvironment(new RenderFactoryEnvironment);

constexpr const wchar_t* kRed = L"widgets_red";
constexpr const wchar_t* kGreen = L"widgets_green";
constexpr const wchar_t* kBlue = L"widgets_blue";

inline void RegisterColors() {
    ui::UiGlobals::AddNamedColor(kRed, L"#ffff0000");
    ui::UiGlobals::AddNamedColor(kGreen, L"#ff00ff00");
    ui::UiGlobals::AddNamedColor(kBlue, L"#ff0000ff");
}

enum class Hue { kNone, kRed, kGreen, kBlue };

// The clearly dominant primary of a pixel (text edges blend, so only
// strong pixels count).
inline Hue HueAt(const ui::IRenderContext& rc, int x, int y) {
    const render_test::Pixel p = render_test::PixelAt(rc, x, y);
    if (p.r > 120 && p.g < 60 && p.b < 60) return Hue::kRed;
    if (p.g > 120 && p.r < 60 && p.b < 60) return Hue::kGreen;
    if (p.b > 120 && p.r < 60 && p.g < 60) return Hue::kBlue;
    return Hue::kNone;
}

inline int CountHue(const ui::IRenderContext& rc, const RECT& rect, Hue hue) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (HueAt(rc, x, y) == hue) ++count;
    return count;
}

} // namespace widgets_test
