#pragma once
#include <windows.h>
#include <memory>

#include "ui/render/IBitmap.h"
#include "ui/render/IBrush.h"
#include "ui/render/IMatrix.h"
#include "ui/render/IPath.h"
#include "ui/render/IPen.h"

namespace ui {

class IRenderContext;

// Makes the drawing objects of one rendering back end.
class IRenderFactory {
public:
    virtual ~IRenderFactory() = default;
    virtual std::unique_ptr<IPen> NewPen(DWORD argb, int width = 1) = 0;
    // The brush keeps its own copy of the bitmap; the caller still owns it.
    virtual std::unique_ptr<IBrush> NewBrush(HBITMAP bitmap) = 0;
    virtual std::unique_ptr<IBrush> NewBrush(DWORD argb) = 0;
    virtual std::unique_ptr<IMatrix> NewMatrix() = 0;
    virtual std::unique_ptr<IPath> NewPath() = 0;
    virtual std::unique_ptr<IBitmap> NewBitmap() = 0;
    virtual std::unique_ptr<IRenderContext> NewRenderContext() = 0;
};

} // namespace ui
