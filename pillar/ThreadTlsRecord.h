#pragma once
// Per-thread record of a framework thread, kept in the current-thread slot.
#include <cstdint>

namespace pillar {

class FrameworkThread;

struct ThreadTlsRecord {
    FrameworkThread* owner = nullptr;
    bool quitProperly = false;
    int32_t managedCount = 0;
    int32_t managedIdentifier = -1;  // -1: not enrolled
    void* spare = nullptr;           // for derived thread classes
};

// The calling thread's record, or null on a thread not run by a
// FrameworkThread.
ThreadTlsRecord* CurrentThreadRecord();

} // namespace pillar
