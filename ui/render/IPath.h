#pragma once
#include <windows.h>
#include <memory>

namespace ui {

class IMatrix;
class IPen;

// A sequence of figures made of lines and curves.
class IPath {
public:
    enum class FillMode { Alternate, Winding };

    virtual ~IPath() = default;
    virtual std::unique_ptr<IPath> Clone() const = 0;
    virtual void Reset() = 0;
    virtual void SetFillMode(FillMode mode) = 0;
    virtual FillMode GetFillMode() const = 0;
    virtual void StartFigure() = 0;
    virtual void CloseFigure() = 0;
    virtual void AddLine(int x1, int y1, int x2, int y2) = 0;
    virtual void AddLines(const POINT* points, int count) = 0;
    virtual void AddBezier(const POINT& p1, const POINT& p2, const POINT& p3, const POINT& p4) = 0;
    virtual void AddCurve(const POINT* points, int count) = 0;
    virtual void AddRect(const RECT& rect) = 0;
    virtual void AddEllipse(const RECT& rect) = 0;
    virtual void AddArc(const RECT& rect, float startAngle, float sweepAngle) = 0;
    virtual void AddPie(const RECT& rect, float startAngle, float sweepAngle) = 0;
    virtual void AddPolygon(const POINT* points, int count) = 0;
    virtual void Transform(const IMatrix& matrix) = 0;
    // Bounding box, widened by the pen when one is given.
    virtual RECT GetBounds(const IPen* pen) const = 0;
    virtual bool IsVisible(int x, int y) const = 0;
};

} // namespace ui
