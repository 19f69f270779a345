#include "ui/render/ColorBlendTable.h"

#include "ui/render/GdiBitmap.h"
#include "ui/render/GdiPlusHeaders.h"

namespace ui {

namespace {

constexpr int kSide = 256;

// Row = pixel alpha, column = the value of every colour channel; pixels
// whose colour exceeds their alpha are included, so whatever a surface holds
// has its answer.
std::vector<std::uint32_t> MakeProbe() {
    std::vector<std::uint32_t> probe(kSide * kSide);
    for (std::uint32_t alpha = 0; alpha < kSide; ++alpha) {
        for (std::uint32_t value = 0; value < kSide; ++value)
            probe[alpha * kSide + value] = (alpha << 24) | (value << 16) | (value << 8) | value;
    }
    return probe;
}

} // namespace

std::unique_ptr<ColorBlendTable> ColorBlendTable::Learn(DWORD argb) {
    std::vector<std::uint32_t> results = MakeProbe();
    {
        // The same kind of fill as a render context makes: a solid brush over
        // a PARGB bitmap, integer rectangle, default quality settings.
        Gdiplus::Bitmap bitmap(kSide, kSide, kSide * 4, PixelFormat32bppPARGB,
                               reinterpret_cast<BYTE*>(results.data()));
        if (bitmap.GetLastStatus() != Gdiplus::Ok) return nullptr;
        Gdiplus::Graphics graphics(&bitmap);
        if (graphics.GetLastStatus() != Gdiplus::Ok) return nullptr;
        Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
        if (graphics.FillRectangle(&brush, 0, 0, kSide, kSide) != Gdiplus::Ok) return nullptr;
    }
    return std::unique_ptr<ColorBlendTable>(new ColorBlendTable(argb, std::move(results)));
}

void ColorBlendTable::Apply(GdiBitmap& surface, const RECT& rect) const {
    const RECT bounds = {0, 0, surface.SurfaceWidth(), surface.SurfaceHeight()};
    RECT r;
    if (!surface.PixelData() || !IntersectRect(&r, &rect, &bounds)) return;
    GdiFlush();
    for (int y = r.top; y < r.bottom; ++y) {
        auto* pixel = reinterpret_cast<std::uint32_t*>(surface.PixelAt(r.left, y));
        for (int x = r.left; x < r.right; ++x, ++pixel) {
            const std::uint32_t p = *pixel;
            const std::uint32_t* row = &results_[(p >> 24) * kSide];
            *pixel = (row[0] & 0xFF000000u) | (row[(p >> 16) & 0xFF] & 0x00FF0000u) |
                     (row[(p >> 8) & 0xFF] & 0x0000FF00u) | (row[p & 0xFF] & 0x000000FFu);
        }
    }
}

ColorBlendTables& ColorBlendTables::Instance() {
    // Never destroyed, like the other render caches: fills may run during
    // static destruction.
    static ColorBlendTables* tables = new ColorBlendTables;
    return *tables;
}

std::shared_ptr<const ColorBlendTable> ColorBlendTables::Find(DWORD argb, bool learn) {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = tables_.begin(); it != tables_.end(); ++it) {
        if ((*it)->Color() == argb) {
            tables_.splice(tables_.begin(), tables_, it);
            return tables_.front();
        }
    }
    if (!learn) return nullptr;
    std::shared_ptr<const ColorBlendTable> table = ColorBlendTable::Learn(argb);
    if (!table) return nullptr;
    tables_.push_front(table);
    if (tables_.size() > kTableLimit) tables_.pop_back();
    return table;
}

std::size_t ColorBlendTables::TableCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return tables_.size();
}

} // namespace ui
