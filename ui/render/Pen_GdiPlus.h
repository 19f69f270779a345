#pragma once
#include <memory>

#include "ui/render/GdiPlusHeaders.h"
#include "ui/render/IPen.h"

namespace ui {

class Pen_GdiPlus : public IPen {
public:
    Pen_GdiPlus(DWORD argb, int width);
    Pen_GdiPlus(const Pen_GdiPlus& other);
    Pen_GdiPlus& operator=(const Pen_GdiPlus&) = delete;

    std::unique_ptr<IPen> Clone() const override;
    void SetWidth(int width) override;
    int GetWidth() const override;
    void SetColor(DWORD argb) override;
    DWORD GetColor() const override;

    Gdiplus::Pen* native() const { return pen_.get(); }

private:
    std::unique_ptr<Gdiplus::Pen> pen_;
};

} // namespace ui
