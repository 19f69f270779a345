#include "ui/render/RenderFactory_GdiPlus.h"

#include "ui/render/Brush_Gdiplus.h"
#include "ui/render/GdiBitmap.h"
#include "ui/render/Matrix_Gdiplus.h"
#include "ui/render/Path_Gdiplus.h"
#include "ui/render/Pen_GdiPlus.h"
#include "ui/render/RenderContext_GdiPlus.h"

namespace ui {

std::unique_ptr<IPen> RenderFactory_GdiPlus::NewPen(DWORD argb, int width) {
    return std::make_unique<Pen_GdiPlus>(argb, width);
}

std::unique_ptr<IBrush> RenderFactory_GdiPlus::NewBrush(HBITMAP bitmap) {
    return std::make_unique<Brush_Gdiplus>(bitmap);
}

std::unique_ptr<IBrush> RenderFactory_GdiPlus::NewBrush(DWORD argb) { return std::make_unique<Brush_Gdiplus>(argb); }

std::unique_ptr<IMatrix> RenderFactory_GdiPlus::NewMatrix() { return std::make_unique<Matrix_Gdiplus>(); }

std::unique_ptr<IPath> RenderFactory_GdiPlus::NewPath() { return std::make_unique<Path_Gdiplus>(); }

std::unique_ptr<IBitmap> RenderFactory_GdiPlus::NewBitmap() { return std::make_unique<GdiBitmap>(); }

std::unique_ptr<IRenderContext> RenderFactory_GdiPlus::NewRenderContext() {
    return std::make_unique<RenderContext_GdiPlus>();
}

} // namespace ui
