// Lines, outlines, ellipses and factory paths, read back from the surface.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "ui/render/RenderFactory_GdiPlus.h"

using namespace render_test;

TEST(RenderShape, PlainLineIsOnePixelWideWithoutSmoothing) {
    auto rc = NewContext(20, 10);
    rc->StrokeLine(RECT{2, 5, 12, 5}, 1, 0xFF00FF00u);
    int inkedRows = 0;
    for (int y = 0; y < 10; ++y)
        if (CountInked(*rc, RECT{0, y, 20, y + 1}) > 0) ++inkedRows;
    EXPECT_EQ(inkedRows, 1);
    EXPECT_GE(CountInked(*rc, RECT{0, 0, 20, 10}), 10);
    for (int x = 3; x < 12; ++x) {
        const Pixel p = PixelAt(*rc, x, 5);
        EXPECT_EQ(p.a, 0xFF) << x;
        EXPECT_EQ(p.g, 0xFF);
    }
}

TEST(RenderShape, RectangleOutlineLeavesTheInsideEmpty) {
    auto rc = NewContext(20, 20);
    rc->StrokeRect(RECT{2, 2, 12, 12}, 1, 0xFFFF0000u);
    EXPECT_EQ(PixelAt(*rc, 2, 2).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 12, 7).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 7, 12).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 7, 7).a, 0);
    EXPECT_EQ(PixelAt(*rc, 14, 14).a, 0);
}

TEST(RenderShape, RoundRectangleCutsItsCorners) {
    auto rc = NewContext(44, 44);
    rc->StrokeRoundRect(RECT{2, 2, 42, 42}, SIZE{20, 20}, 2, 0xFF0000FFu);
    EXPECT_EQ(PixelAt(*rc, 2, 2).a, 0);
    EXPECT_EQ(PixelAt(*rc, 41, 41).a, 0);
    EXPECT_GT(PixelAt(*rc, 22, 2).a, 0);   // top edge
    EXPECT_GT(PixelAt(*rc, 2, 22).a, 0);   // left edge
    EXPECT_GT(PixelAt(*rc, 42, 22).a, 0);  // right edge
    EXPECT_EQ(PixelAt(*rc, 22, 22).a, 0);

    // A corner of no size still gives a closed outline.
    rc->ClearSurface();
    rc->StrokeRoundRect(RECT{2, 2, 42, 42}, SIZE{0, 0}, 1, 0xFF0000FFu);
    EXPECT_EQ(PixelAt(*rc, 2, 2).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 42, 42).a, 0xFF);
}

TEST(RenderShape, EllipsesFillAndOutline) {
    auto rc = NewContext(24, 24);
    rc->FillEllipseShape(RECT{2, 2, 22, 22}, 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(*rc, 12, 12), MakePixel(255, 255, 255, 255));
    EXPECT_EQ(PixelAt(*rc, 2, 2).a, 0);
    rc->ClearSurface();
    rc->StrokeEllipse(RECT{2, 2, 22, 22}, 1, 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(*rc, 12, 12).a, 0);
    EXPECT_GT(PixelAt(*rc, 12, 2).a, 0);
}

TEST(RenderShape, FactoryPenBrushAndPathDraw) {
    ui::RenderFactory_GdiPlus factory;
    auto rc = NewContext(30, 30);
    auto pen = factory.NewPen(0xFF000000u, 1);

    rc->StrokeLine(pen.get(), 0, 0, 29, 10);
    for (int x = 0; x < 30; x += 3) EXPECT_GT(CountInked(*rc, RECT{x, 0, x + 1, 30}), 0) << x;
    EXPECT_EQ(CountInked(*rc, RECT{0, 14, 30, 30}), 0);
    rc->ClearSurface();

    auto path = factory.NewPath();
    path->AddRect(RECT{5, 5, 15, 15});
    EXPECT_TRUE(path->IsVisible(10, 10));
    EXPECT_FALSE(path->IsVisible(20, 20));
    const RECT bounds = path->GetBounds(nullptr);
    EXPECT_EQ(bounds.left, 5);
    EXPECT_EQ(bounds.right, 15);
    auto brush = factory.NewBrush(0x80FF0000u);
    rc->FillPathShape(path.get(), brush.get());
    EXPECT_EQ(PixelAt(*rc, 10, 10).a, 0x80);
    EXPECT_LE(PixelAt(*rc, 10, 10).r, 0x80);
    EXPECT_EQ(PixelAt(*rc, 3, 3).a, 0);

    // Transforms move the path.
    auto matrix = factory.NewMatrix();
    matrix->Translate(10, 0);
    path->Transform(*matrix);
    EXPECT_TRUE(path->IsVisible(20, 10));
    const POINT moved = matrix->TransformPoint(POINT{1, 2});
    EXPECT_EQ(moved.x, 11);
    EXPECT_EQ(moved.y, 2);

    rc->ClearSurface();
    rc->StrokePath(path.get(), pen.get());
    rc->StrokeBezier(pen.get(), POINT{0, 29}, POINT{10, 0}, POINT{20, 0}, POINT{29, 29});
    EXPECT_GT(CountInked(*rc, RECT{0, 0, 30, 30}), 40);
    EXPECT_GT(PixelAt(*rc, 15, 5).a, 0);  // top edge of the moved rectangle
}
