#pragma once
// What a console tool's output says about its run, and how the run ended.
#include <windows.h>

#include <cstdint>

struct ToolProgress {
    int percent = 0;             // as the tool prints it, 0..100
    int64_t bytesDone = 0;       // 64-bit: games above 2 GiB are the point
    int64_t bytesTotal = 0;
    int64_t bytesPerSecond = 0;
    int64_t secondsLeft = 0;     // 0 when unknown
};

inline bool operator==(const ToolProgress& a, const ToolProgress& b) {
    return a.percent == b.percent && a.bytesDone == b.bytesDone && a.bytesTotal == b.bytesTotal &&
           a.bytesPerSecond == b.bytesPerSecond && a.secondsLeft == b.secondsLeft;
}
inline bool operator!=(const ToolProgress& a, const ToolProgress& b) { return !(a == b); }

enum class ToolEnd {
    Completed,   // the tool reported completion, or exited with code 0
    Failed,      // it ended otherwise (stopped included); see the exit code
    Silent,      // it printed nothing for the silence limit and was terminated
    NotStarted,  // no run to wait for
};

struct ToolOutcome {
    ToolEnd end = ToolEnd::NotStarted;
    DWORD exitCode = 0;
};
