#include "ui/render/Matrix_Gdiplus.h"

#include <cmath>

namespace ui {

Matrix_Gdiplus::Matrix_Gdiplus() : matrix_(new Gdiplus::Matrix()) {}

Matrix_Gdiplus::Matrix_Gdiplus(const Matrix_Gdiplus& other) : IMatrix(), matrix_(other.matrix_->Clone()) {}

std::unique_ptr<IMatrix> Matrix_Gdiplus::Clone() const { return std::make_unique<Matrix_Gdiplus>(*this); }

void Matrix_Gdiplus::Translate(float dx, float dy) { matrix_->Translate(dx, dy, Gdiplus::MatrixOrderAppend); }

void Matrix_Gdiplus::Scale(float sx, float sy) { matrix_->Scale(sx, sy, Gdiplus::MatrixOrderAppend); }

void Matrix_Gdiplus::Rotate(float degrees) { matrix_->Rotate(degrees, Gdiplus::MatrixOrderAppend); }

void Matrix_Gdiplus::RotateAt(float degrees, const POINT& centre) {
    const Gdiplus::PointF c(static_cast<Gdiplus::REAL>(centre.x), static_cast<Gdiplus::REAL>(centre.y));
    matrix_->RotateAt(degrees, c, Gdiplus::MatrixOrderAppend);
}

POINT Matrix_Gdiplus::TransformPoint(const POINT& pt) const {
    Gdiplus::PointF p(static_cast<Gdiplus::REAL>(pt.x), static_cast<Gdiplus::REAL>(pt.y));
    matrix_->TransformPoints(&p, 1);
    return POINT{static_cast<LONG>(std::lround(p.X)), static_cast<LONG>(std::lround(p.Y))};
}

} // namespace ui
