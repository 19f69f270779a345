#pragma once
#include <windows.h>
#include <memory>

namespace ui {

// A fill: a solid colour or a bitmap texture.
class IBrush {
public:
    virtual ~IBrush() = default;
    virtual std::unique_ptr<IBrush> Clone() const = 0;
    // The solid colour (ARGB); 0 for a bitmap brush.
    virtual DWORD GetColor() const = 0;
};

} // namespace ui
