#pragma once
// Runs one external console tool hidden, with its standard output and error
// on a pipe, and hands every chunk the tool prints to the driver's parser on
// a reader thread. The parsed progress goes to a handler as it changes; a
// caller that needs the end waits for it. Shared by the aria2c and 7-Zip
// drivers.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "Launcher/console/ToolProgress.h"
#include "pillar/ScopedHandle.h"

// What became of the tool started last.
enum class ToolStatus {
    Idle,     // never started, the start failed, or StopTool released it
    Running,  // the child runs, or its last output is still being parsed
    Ended,    // the child exited and all of its output has been parsed
};

class ConsoleToolRunner {
public:
    using ProgressHandler = std::function<void(const ToolProgress&)>;

    ConsoleToolRunner();
    virtual ~ConsoleToolRunner();

    ConsoleToolRunner(const ConsoleToolRunner&) = delete;
    ConsoleToolRunner& operator=(const ConsoleToolRunner&) = delete;

    // Full path of the tool's executable, set by the owner before use. Any
    // thread may read it while another sets or clears it.
    void SetToolPath(const std::wstring& path);
    std::wstring GetToolPath() const;

    // Called on the reader thread every time parsed output changes the
    // progress (completion included), never for the reset at a start. Once
    // this returns, the handler it replaced is not running and is never
    // called again. A handler must not set the handler, stop the tool or
    // wait for its end, nor wait for a thread that might (post instead).
    void SetProgressHandler(ProgressHandler handler);

    // A consistent copy of the run's progress, from any thread.
    ToolProgress Progress() const;
    // True once the tool reported completion or exited with code 0.
    bool Completed() const;

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

    // A look without waiting: a non-zero exit code is the tool's failure.
    // `exitCode` is set for Ended only.
    ToolStatus GetToolStatus(DWORD* exitCode = nullptr) const;

    // Blocks until the reader has parsed the last output of the run started
    // last. A tool that prints nothing for `silenceLimitMs` (INFINITE: no
    // limit) is terminated: Silent, unless it had reported completion
    // already. A run stopped from another thread meanwhile ends Failed with
    // exit code 1. NotStarted when there is no run to wait for.
    ToolOutcome WaitForEnd(DWORD silenceLimitMs);

protected:
    // Starts `commandLine` hidden with the pipes attached and starts the
    // reader. True when both the child and the reader thread are running.
    bool StartTool(const std::wstring& commandLine);

    // Ends an earlier run and clears its progress, so an old reader thread can
    // no longer write into the new run's record. Derived destructors call
    // StopTool so the reader is gone before their fields are.
    void EndPreviousRun();

    // Stores what the driver parsed; the handler hears of it when anything
    // changed.
    void PublishProgress(const ToolProgress& progress, bool completed);

    // Called on the reader thread, after the last chunk was parsed, when the
    // child ended with exit code 0: the tool succeeded even if its completion
    // text was split across two reads and so never matched.
    virtual void OnToolSucceeded() = 0;

    // The download's output file name (the 7-Zip driver leaves it empty).
    void SetName(const std::wstring& name);
    std::wstring GetName() const;

    // Strict decimal of a run of digits that fits a signed 32-bit integer.
    static bool ParseDecimal(const std::string& digits, int32_t& value);

private:
    void ReadOutput();
    void ReadUntilEnd();
    bool ChildEndedWell() const;
    bool OpenStandardHandles();
    bool LaunchChild(const std::wstring& commandLine);
    void EndChildLocked();
    void ReleaseRunLocked();
    bool ReaderEndedBeforeSilence(HANDLE reader, DWORD silenceLimitMs) const;
    void SilenceTool(DWORD processId);

    pillar::ScopedHandle stdinRead_;  // the null device: a tool never waits for input
    pillar::ScopedHandle stdoutRead_;
    pillar::ScopedHandle stdoutWrite_;
    SECURITY_ATTRIBUTES security_;
    pillar::ScopedHandle process_;
    // Set when the run is stopped, so the reader never waits for an exit
    // that a failed termination would not bring.
    pillar::ScopedHandle stopEvent_;
    std::atomic<int32_t> running_{0};
    std::atomic<bool> silenced_{false};
    // GetTickCount64 of the start or the latest output.
    std::atomic<uint64_t> lastOutputTick_{0};

    pillar::ScopedHandle reader_;
    std::atomic<int32_t> readerDone_{0};
    // Guards the handles: the install worker, the UI thread (shutdown) and
    // the close button may touch them at the same time.
    mutable std::mutex mutex_;

    // The progress has its own lock, taken by the reader thread, so it is
    // never held while a stop waits for that thread.
    ToolProgress progress_;
    bool completed_ = false;
    mutable std::mutex progressMutex_;
    // Held while the handler runs.
    ProgressHandler handler_;
    std::mutex handlerMutex_;

    // The texts have their own lock, so reading them never waits for a stop.
    std::wstring toolPath_;
    std::wstring name_;
    mutable std::mutex textMutex_;
};
