#pragma once
// One posted task.
#include <cstdint>
#include <functional>

namespace pillar {

using Closure = std::function<void()>;

struct QueuedTask {
    Closure closure;
    int64_t due = 0;       // TickClock microseconds; 0 = immediate
    int32_t sequence = 0;  // order among equal due times, set on entering the delayed heap
    bool nestable = true;  // false: never runs inside a nested run
};

} // namespace pillar
