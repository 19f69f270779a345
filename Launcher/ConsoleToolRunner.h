#pragma once
// Runs one external console tool hidden, with its standard output and error
// on a pipe, and hands every chunk the tool prints to the driver's parser on
// a reader thread. Shared by the aria2c and 7-Zip drivers.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "pillar/ScopedHandle.h"

// What became of the tool started last.
enum class ToolStatus {
    Idle,     // never started, the start failed, or StopTool released it
    Running,  // the child runs, or its last output is still being parsed
    Ended,    // the child exited and all of its output has been parsed
};

class ConsoleToolRunner {
public:
    ConsoleToolRunner();
    virtual ~ConsoleToolRunner();

    ConsoleToolRunner(const ConsoleToolRunner&) = delete;
    ConsoleToolRunner& operator=(const ConsoleToolRunner&) = delete;

    // Full path of the tool's executable, set once by the owner before use.
    void SetToolPath(const std::string& path) { toolPath_ = path; }
    const std::string& GetToolPath() const { return toolPath_; }

    // Parses one chunk of the tool's output; called on the reader thread.
    virtual void ParseOutput(const std::string& chunk) = 0;

    // 1 after a successful start, 0 before and after TerminateTool/StopTool.
    int32_t IsRunning() const { return running_.load(); }

    // Terminates the child (exit code 1) and clears the running flag; used on
    // its own when the launcher ends the process at once.
    void TerminateTool();

    // TerminateTool, then waits for the reader thread and releases the pipes,
    // the process and the tool path. Safe to call when nothing was started.
    void StopTool();

    // Lets a caller notice a tool that ended without reporting completion.
    // Never touches the progress fields. `exitCode` is set for Ended only.
    ToolStatus GetToolStatus(DWORD* exitCode = nullptr) const;

protected:
    // Starts `commandLine` hidden with the pipes attached and starts the
    // reader. True when both the child and the reader thread are running.
    bool StartTool(const std::string& commandLine);

    // Ends an earlier run before a driver resets its progress fields, so an
    // old reader thread can no longer write them. Derived destructors call
    // StopTool so the reader is gone before their fields are.
    void EndPreviousRun();

    // Strict decimal of a run of digits that fits a signed 32-bit integer.
    static bool ParseDecimal(const std::string& digits, int32_t& value);

    std::string name_;

private:
    static unsigned __stdcall ReaderMain(void* self);
    void ReadOutput();
    void ReleaseRunLocked();

    pillar::ScopedHandle stdinRead_;
    pillar::ScopedHandle stdinWrite_;
    pillar::ScopedHandle stdoutRead_;
    pillar::ScopedHandle stdoutWrite_;
    SECURITY_ATTRIBUTES security_;
    std::string toolPath_;
    pillar::ScopedHandle process_;
    std::atomic<int32_t> running_{0};

    pillar::ScopedHandle reader_;
    std::atomic<int32_t> readerDone_{0};
    // Guards the handles: the install worker, the UI thread (shutdown) and
    // the close button may touch them at the same time.
    mutable std::mutex mutex_;
};
