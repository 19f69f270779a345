#pragma once
// A Windows critical section with scoped locking.
#include <windows.h>

namespace pillar {

class CriticalSection {
public:
    explicit CriticalSection(DWORD spinCount = 2000) {
        InitializeCriticalSectionAndSpinCount(&section_, spinCount);
    }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Lock() { EnterCriticalSection(&section_); }
    void Unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class AutoLock {
public:
    explicit AutoLock(CriticalSection& section) : section_(section) { section_.Lock(); }
    ~AutoLock() { section_.Unlock(); }
    AutoLock(const AutoLock&) = delete;
    AutoLock& operator=(const AutoLock&) = delete;

private:
    CriticalSection& section_;
};

} // namespace pillar
