#pragma once
// The UI thread: prepares the UI framework, opens the launcher window, and
// takes everything down again once the window has closed.
#include "pillar/FrameworkThread.h"

class UiThread : public pillar::FrameworkThread {
public:
    UiThread();

protected:
    void Init() override;
    void Cleanup() override;
};
