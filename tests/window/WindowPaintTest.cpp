// Creating the native window, painting a layered window, and closing with
// the fade-out.
#include "window/WindowTestSupport.h"

#include "ui/render/IRenderContext.h"

namespace window_test {
namespace {

// Paints with plain GDI, which leaves the alpha bytes it writes at 0.
class GdiPaintedControl : public ui::Control {
public:
    void PaintSelf(ui::IRenderContext& target, const RECT&) override {
        HBRUSH brush = CreateSolidBrush(RGB(0x30, 0x80, 0x10));
        FillRect(target.DeviceContext(), &Position(), brush);
        DeleteObject(brush);
    }
};

class LayeredWindowTest : public WindowTest {
protected:
    LayeredWindowTest() { layered_ = true; }

    void PaintHalfTransparentRootWithGdiControl() {
        ui::UiGlobals::AddNamedColor(L"window_test_half", L"#80000000");
        root_->SetBackgroundColor(L"window_test_half");
        Add<GdiPaintedControl>(L"gdi", 100, 80, 40, 40);
        Arrange();
    }

    // Blue, green, red, alpha of a pixel of the window's surface.
    const BYTE* Pixel(int x, int y) const {
        const ui::IRenderContext* surface = window_->RenderContext();
        return surface->PixelData() + (static_cast<size_t>(y) * surface->SurfaceWidth() + x) * 4;
    }
};

TEST_F(LayeredWindowTest, PaintingRepairsTheContentAndKeepsTheShadowBandTranslucent) {
    PaintHalfTransparentRootWithGdiControl();
    // The shadow band (corner 14) keeps the root's per-pixel alpha.
    EXPECT_EQ(Pixel(5, 5)[3], 0x80);
    EXPECT_EQ(Pixel(kWidth - 3, kHeight - 3)[3], 0x80);
    // What GDI painted inside is opaque again, colour intact.
    const BYTE* painted = Pixel(110, 90);
    EXPECT_EQ(painted[3], 255);
    EXPECT_EQ(painted[1], 0x80);
}

TEST_F(LayeredWindowTest, WithoutTheShadowTheAlphaFixCornerIsTheBandLeftAlone) {
    window_->Shadow().SetAttached(false);
    window_->SetAlphaFixCorner(RECT{30, 30, 30, 30}, false);
    PaintHalfTransparentRootWithGdiControl();
    EXPECT_EQ(Pixel(20, 20)[3], 0x80);
    EXPECT_EQ(Pixel(110, 90)[3], 255);
}

TEST_F(LayeredWindowTest, CloseFadesOutAndThenAsksToCloseWithItsCode) {
    Arrange();
    window_->Close(7);
    Pump(3000, [&] { return window_->closeCode != -1; });
    EXPECT_EQ(window_->closeCode, 7);
    Pump(300);
    EXPECT_EQ(window_->WindowAlpha(), 0);
}

TEST(WindowCreate, TheCaptionStyleIsRemovedAndTheLayeredStyleAdded) {
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"caption", WS_OVERLAPPEDWINDOW, 0, true, RECT{0, 0, 100, 80});
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_NE(GetWindowLongW(hwnd, GWL_STYLE) & WS_THICKFRAME, 0);
    EXPECT_NE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(window.NativeHandle(), hwnd);

    // A window without a class name of its own is not created.
    ui::Window nameless;
    EXPECT_EQ(nameless.Create(nullptr, L"", WS_POPUP, 0, false), nullptr);
}

} // namespace
} // namespace window_test
