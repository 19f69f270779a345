#pragma once
// The pump of a plain task loop: waits on an auto-reset event.
#include <windows.h>

#include "pillar/MessagePump.h"
#include "pillar/ScopedHandle.h"

namespace pillar {

class DefaultMessagePump : public MessagePump {
public:
    DefaultMessagePump();
    ~DefaultMessagePump() override;
    DefaultMessagePump(const DefaultMessagePump&) = delete;
    DefaultMessagePump& operator=(const DefaultMessagePump&) = delete;

    void Run(Delegate* delegate) override;
    void Quit() override;
    void Wake() override;
    void WakeAt(int64_t due) override;

private:
    ScopedHandle event_;
    bool shouldQuit_ = false;
    int64_t due_ = 0;
};

} // namespace pillar
