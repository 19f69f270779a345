#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include "support/GdiplusEnvironment.h"
#include "ui/render/RenderFactory_GdiPlus.h"

namespace render_test {

std::unique_ptr<ui::IRenderContext> NewContext(int width, int height) {
    ui::RenderFactory_GdiPlus factory;
    auto rc = factory.NewRenderContext();
    EXPECT_TRUE(rc->ResizeSurface(width, height));
    return rc;
}

int CountInked(const ui::IRenderContext& rc, const RECT& rect) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (PixelAt(rc, x, y).a > 0) ++count;
    return count;
}

} // namespace render_test
