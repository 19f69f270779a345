#pragma once
#include "ui/render/IRenderFactory.h"

namespace ui {

// Makes GDI+ pens, brushes, paths and matrices and GDI-backed surfaces.
// GDI+ must be running (see GdiPlusSession) while its objects are used.
class RenderFactory_GdiPlus : public IRenderFactory {
public:
    std::unique_ptr<IPen> NewPen(DWORD argb, int width = 1) override;
    std::unique_ptr<IBrush> NewBrush(HBITMAP bitmap) override;
    std::unique_ptr<IBrush> NewBrush(DWORD argb) override;
    std::unique_ptr<IMatrix> NewMatrix() override;
    std::unique_ptr<IPath> NewPath() override;
    std::unique_ptr<IBitmap> NewBitmap() override;
    std::unique_ptr<IRenderContext> NewRenderContext() override;
};

} // namespace ui
