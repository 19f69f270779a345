#pragma once
// Translucent colour fills without GDI+ per fill: what GDI+ makes of one
// colour filled over a premultiplied pixel depends only on that pixel's
// alpha and the channel's own value, so one GDI+ fill over a probe holding
// every (alpha, channel) pair learns the answer for all pixels, and later
// fills of that colour look each pixel up. The pixels come out exactly as
// GDI+ itself would draw them, on whatever GDI+ the program runs with.
#include <windows.h>

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

namespace ui {

class GdiBitmap;

class ColorBlendTable {
public:
    // One GDI+ fill of argb over the probe; null when GDI+ failed.
    static std::unique_ptr<ColorBlendTable> Learn(DWORD argb);

    DWORD Color() const { return argb_; }
    // Blends the colour over every pixel of rect (device pixels, clipped to
    // the surface).
    void Apply(GdiBitmap& surface, const RECT& rect) const;

private:
    ColorBlendTable(DWORD argb, std::vector<std::uint32_t> results) : argb_(argb), results_(std::move(results)) {}

    DWORD argb_;
    // Probe results: entry alpha * 256 + value holds, in each channel, the
    // outcome for a pixel of that alpha whose channel had that value.
    std::vector<std::uint32_t> results_;
};

// The tables of the colours filled most recently, process-wide. Bounded:
// at most kTableLimit tables of 256 KiB each.
class ColorBlendTables {
public:
    static constexpr std::size_t kTableLimit = 8;
    // A fill reaching fewer pixels than this does not learn a new colour:
    // learning costs about one GDI+ fill of that size.
    static constexpr long kLearnArea = 128 * 128;

    static ColorBlendTables& Instance();

    // The table of argb; learnt now only when learn is true. Null when there
    // is none (the caller fills with GDI+).
    std::shared_ptr<const ColorBlendTable> Find(DWORD argb, bool learn);
    std::size_t TableCount() const;

private:
    mutable std::mutex lock_;
    std::list<std::shared_ptr<const ColorBlendTable>> tables_;  // most recently used first
};

} // namespace ui
