#pragma once
#include <memory>

#include "ui/render/GdiPlusHeaders.h"
#include "ui/render/IMatrix.h"

namespace ui {

class Matrix_Gdiplus : public IMatrix {
public:
    Matrix_Gdiplus();
    Matrix_Gdiplus(const Matrix_Gdiplus& other);
    Matrix_Gdiplus& operator=(const Matrix_Gdiplus&) = delete;

    std::unique_ptr<IMatrix> Clone() const override;
    void Translate(float dx, float dy) override;
    void Scale(float sx, float sy) override;
    void Rotate(float degrees) override;
    void RotateAt(float degrees, const POINT& centre) override;
    POINT TransformPoint(const POINT& pt) const override;

    Gdiplus::Matrix* native() const { return matrix_.get(); }

private:
    std::unique_ptr<Gdiplus::Matrix> matrix_;
};

} // namespace ui
