#pragma once
#include <memory>

#include "ui/render/GdiPlusHeaders.h"
#include "ui/render/IPath.h"

namespace ui {

class Path_Gdiplus : public IPath {
public:
    Path_Gdiplus();
    Path_Gdiplus(const Path_Gdiplus& other);
    Path_Gdiplus& operator=(const Path_Gdiplus&) = delete;

    std::unique_ptr<IPath> Clone() const override;
    void Reset() override;
    void SetFillMode(FillMode mode) override;
    FillMode GetFillMode() const override;
    void StartFigure() override;
    void CloseFigure() override;
    void AddLine(int x1, int y1, int x2, int y2) override;
    void AddLines(const POINT* points, int count) override;
    void AddBezier(const POINT& p1, const POINT& p2, const POINT& p3, const POINT& p4) override;
    void AddCurve(const POINT* points, int count) override;
    void AddRect(const RECT& rect) override;
    void AddEllipse(const RECT& rect) override;
    void AddArc(const RECT& rect, float startAngle, float sweepAngle) override;
    void AddPie(const RECT& rect, float startAngle, float sweepAngle) override;
    void AddPolygon(const POINT* points, int count) override;
    void Transform(const IMatrix& matrix) override;
    RECT GetBounds(const IPen* pen) const override;
    bool IsVisible(int x, int y) const override;

    Gdiplus::GraphicsPath* native() const { return path_.get(); }

private:
    std::unique_ptr<Gdiplus::GraphicsPath> path_;
};

} // namespace ui
