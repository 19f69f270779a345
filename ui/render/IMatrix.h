#pragma once
#include <windows.h>
#include <memory>

namespace ui {

// An affine transform; operations are appended (applied after the current ones).
class IMatrix {
public:
    virtual ~IMatrix() = default;
    virtual std::unique_ptr<IMatrix> Clone() const = 0;
    virtual void Translate(float dx, float dy) = 0;
    virtual void Scale(float sx, float sy) = 0;
    virtual void Rotate(float degrees) = 0;
    virtual void RotateAt(float degrees, const POINT& centre) = 0;
    // Maps a point through the transform.
    virtual POINT TransformPoint(const POINT& pt) const = 0;
};

} // namespace ui
