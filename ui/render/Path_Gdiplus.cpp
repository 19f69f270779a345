#include "ui/render/Path_Gdiplus.h"

#include <cmath>
#include <vector>

#include "ui/render/Matrix_Gdiplus.h"
#include "ui/render/Pen_GdiPlus.h"

namespace ui {

namespace {

std::vector<Gdiplus::Point> ToPoints(const POINT* points, int count) {
    std::vector<Gdiplus::Point> out;
    if (!points || count <= 0) return out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) out.emplace_back(points[i].x, points[i].y);
    return out;
}

Gdiplus::Rect ToRect(const RECT& r) { return Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

} // namespace

Path_Gdiplus::Path_Gdiplus() : path_(new Gdiplus::GraphicsPath()) {}

Path_Gdiplus::Path_Gdiplus(const Path_Gdiplus& other) : IPath(), path_(other.path_->Clone()) {}

std::unique_ptr<IPath> Path_Gdiplus::Clone() const { return std::make_unique<Path_Gdiplus>(*this); }

void Path_Gdiplus::Reset() { path_->Reset(); }

void Path_Gdiplus::SetFillMode(FillMode mode) {
    path_->SetFillMode(mode == FillMode::Winding ? Gdiplus::FillModeWinding : Gdiplus::FillModeAlternate);
}

IPath::FillMode Path_Gdiplus::GetFillMode() const {
    return path_->GetFillMode() == Gdiplus::FillModeWinding ? FillMode::Winding : FillMode::Alternate;
}

void Path_Gdiplus::StartFigure() { path_->StartFigure(); }

void Path_Gdiplus::CloseFigure() { path_->CloseFigure(); }

void Path_Gdiplus::AddLine(int x1, int y1, int x2, int y2) {
    path_->AddLine(static_cast<INT>(x1), static_cast<INT>(y1), static_cast<INT>(x2), static_cast<INT>(y2));
}

void Path_Gdiplus::AddLines(const POINT* points, int count) {
    const auto pts = ToPoints(points, count);
    if (pts.size() >= 2) path_->AddLines(pts.data(), static_cast<INT>(pts.size()));
}

void Path_Gdiplus::AddBezier(const POINT& p1, const POINT& p2, const POINT& p3, const POINT& p4) {
    path_->AddBezier(Gdiplus::Point(p1.x, p1.y), Gdiplus::Point(p2.x, p2.y), Gdiplus::Point(p3.x, p3.y),
                     Gdiplus::Point(p4.x, p4.y));
}

void Path_Gdiplus::AddCurve(const POINT* points, int count) {
    const auto pts = ToPoints(points, count);
    if (pts.size() >= 2) path_->AddCurve(pts.data(), static_cast<INT>(pts.size()));
}

void Path_Gdiplus::AddRect(const RECT& rect) { path_->AddRectangle(ToRect(rect)); }

void Path_Gdiplus::AddEllipse(const RECT& rect) { path_->AddEllipse(ToRect(rect)); }

void Path_Gdiplus::AddArc(const RECT& rect, float startAngle, float sweepAngle) {
    path_->AddArc(ToRect(rect), startAngle, sweepAngle);
}

void Path_Gdiplus::AddPie(const RECT& rect, float startAngle, float sweepAngle) {
    path_->AddPie(ToRect(rect), startAngle, sweepAngle);
}

void Path_Gdiplus::AddPolygon(const POINT* points, int count) {
    const auto pts = ToPoints(points, count);
    if (pts.size() >= 3) path_->AddPolygon(pts.data(), static_cast<INT>(pts.size()));
}

void Path_Gdiplus::Transform(const IMatrix& matrix) {
    if (auto* m = dynamic_cast<const Matrix_Gdiplus*>(&matrix)) path_->Transform(m->native());
}

RECT Path_Gdiplus::GetBounds(const IPen* pen) const {
    const auto* p = dynamic_cast<const Pen_GdiPlus*>(pen);
    Gdiplus::RectF bounds;
    RECT out = {0, 0, 0, 0};
    if (path_->GetBounds(&bounds, nullptr, p ? p->native() : nullptr) != Gdiplus::Ok) return out;
    out.left = static_cast<LONG>(std::floor(bounds.X));
    out.top = static_cast<LONG>(std::floor(bounds.Y));
    out.right = static_cast<LONG>(std::ceil(bounds.X + bounds.Width));
    out.bottom = static_cast<LONG>(std::ceil(bounds.Y + bounds.Height));
    return out;
}

bool Path_Gdiplus::IsVisible(int x, int y) const { return path_->IsVisible(x, y) != FALSE; }

} // namespace ui
