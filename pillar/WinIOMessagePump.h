#pragma once
// The I/O loop's pump: waits on a completion port; wakes are completion
// packets addressed to the pump itself.
#include <windows.h>

#include "pillar/ObserverList.h"
#include "pillar/ScopedHandle.h"
#include "pillar/WinMessagePump.h"

namespace pillar {

class IOHandler;

// One overlapped operation. The OVERLAPPED comes first so the port's
// packet pointer leads back to it. A context whose handler has gone away
// (handler null) is freed by the pump when its packet arrives.
struct IOContext {
    OVERLAPPED overlapped{};
    IOHandler* handler = nullptr;
};

class IOHandler {
public:
    virtual ~IOHandler() = default;
    virtual void OnIOCompleted(IOContext* context, DWORD bytes, DWORD error) = 0;
};

class IOObserver {
public:
    virtual ~IOObserver() = default;
    virtual void WillProcessIOEvent() = 0;
    virtual void DidProcessIOEvent() = 0;
};

class WinIOMessagePump : public WinMessagePump {
public:
    WinIOMessagePump();
    ~WinIOMessagePump() override;
    WinIOMessagePump(const WinIOMessagePump&) = delete;
    WinIOMessagePump& operator=(const WinIOMessagePump&) = delete;

    void Wake() override;
    void WakeAt(int64_t due) override;

    // Associates a file handle with the port; its packets go to handler.
    bool RegisterIOHandler(HANDLE file, IOHandler* handler);

    void AddObserver(IOObserver* observer) { observers_.Add(observer); }
    void RemoveObserver(IOObserver* observer) { observers_.Remove(observer); }

protected:
    void RunLoopBody() override;

private:
    // Waits up to timeoutMs for one packet and handles it; true if one came.
    bool WaitForIOCompletion(DWORD timeoutMs);

    ScopedHandle port_;
    ObserverList<IOObserver> observers_;
};

} // namespace pillar
