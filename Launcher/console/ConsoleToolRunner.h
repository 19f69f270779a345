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

    // Full path of the tool's executable, set by the owner before use. Any
    // thread may read it while another sets or clears it.
    void SetToolPath(const std::string& path);
    std::string GetToolPath() const;

    // Parses one chunk of the tool's output; called on the reader thread.
    virtual void ParseOutput(const std::string& chunk) = 0;

    // 1 after a successful start, 0 before and after TerminateTool/StopTool.
    int32_t IsRunning() const { return running_.load(); }

    // Terminates the child (exit code 1) and clears the running flag; used on
    // its own when the launcher ends the process at once.
    void TerminateTool();

    // TerminateTool, then waits for the reader thread and releases the pipes,
    // the process, the tool path and the name. Safe to call when nothing was
    // started.
    void StopTool();

    // Lets a caller notice a tool that ended without reporting completion: a
    // non-zero exit code is the tool's failure. Never touches the progress
    // fields. `exitCode` is set for Ended only.
    ToolStatus GetToolStatus(DWORD* exitCode = nullptr) const;

protected:
    // Starts `commandLine` (system code page) hidden with the pipes attached
    // and starts the reader. True when both the child and the reader thread
    // are running.
    bool StartTool(const std::string& commandLine);

    // Ends an earlier run before a driver resets its progress fields, so an
    // old reader thread can no longer write them. Derived destructors call
    // StopTool so the reader is gone before their fields are.
    void EndPreviousRun();

    // Called on the reader thread, after the last chunk was parsed, when the
    // child ended with exit code 0: the tool succeeded even if its completion
    // text was split across two reads and so never matched.
    virtual void OnToolSucceeded() = 0;

    // The download's output file name (the 7-Zip driver leaves it empty).
    void SetName(const std::string& name);
    std::string GetName() const;

    // Strict decimal of a run of digits that fits a signed 32-bit integer.
    static bool ParseDecimal(const std::string& digits, int32_t& value);

private:
    static unsigned __stdcall ReaderMain(void* self);
    void ReadOutput();
    void ReadUntilEnd();
    bool ChildEndedWell() const;
    bool OpenStandardHandles();
    bool LaunchChild(const std::string& commandLine);
    void ReleaseRunLocked();

    pillar::ScopedHandle stdinRead_;  // the null device: a tool never waits for input
    pillar::ScopedHandle stdoutRead_;
    pillar::ScopedHandle stdoutWrite_;
    SECURITY_ATTRIBUTES security_;
    pillar::ScopedHandle process_;
    std::atomic<int32_t> running_{0};

    pillar::ScopedHandle reader_;
    std::atomic<int32_t> readerDone_{0};
    // Guards the handles: the install worker, the UI thread (shutdown) and
    // the close button may touch them at the same time.
    mutable std::mutex mutex_;

    // The texts have their own lock, so reading them never waits for a stop.
    std::string toolPath_;
    std::string name_;
    mutable std::mutex textMutex_;
};
