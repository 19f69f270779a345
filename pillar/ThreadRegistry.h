#pragma once
// Process-wide map from a thread identifier to the framework thread that
// enrolled under it. Identifiers are chosen by the threads themselves.
#include <cstdint>

namespace pillar {

class FrameworkThread;

// Enrols the calling framework thread under identifier. Enrolling again
// under the same identifier counts; another thread's identifier fails.
bool EnrolThread(int32_t identifier);
// Undoes one EnrolThread; the last one removes the entry.
bool WithdrawThread();
// The thread enrolled under identifier, or null.
FrameworkThread* EnrolledThread(int32_t identifier);

} // namespace pillar
