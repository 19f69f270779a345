#pragma once
#include <windows.h>
#include <memory>

namespace ui {

// A stroke: colour (ARGB) and width in pixels.
class IPen {
public:
    virtual ~IPen() = default;
    virtual std::unique_ptr<IPen> Clone() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual int GetWidth() const = 0;
    virtual void SetColor(DWORD argb) = 0;
    virtual DWORD GetColor() const = 0;
};

} // namespace ui
