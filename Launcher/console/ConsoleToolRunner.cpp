#include "Launcher/console/ConsoleToolRunner.h"

#include <cstdio>
#include <vector>

#include "pillar/DecimalText.h"
#include "pillar/WorkerThread.h"

namespace {

// How long a stop waits for the reader after the child's end before it
// cancels the read (a grandchild may still hold the pipe).
constexpr DWORD kReaderGraceMs = 2000;
constexpr DWORD kReadSize = 4095;

HANDLE CreateKillOnCloseJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

// Every tool runs in this job. The handle is never closed here: the system
// closes it when the launcher's process ends, however it ends, and that
// kills every tool still running.
HANDLE ToolJob() {
    static const HANDLE job = CreateKillOnCloseJob();
    return job;
}

// The attribute list that hands a child exactly the given handles.
class InheritedHandleList {
public:
    InheritedHandleList(HANDLE* handles, size_t count) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        initialized_ = true;
        if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                      count * sizeof(HANDLE), nullptr, nullptr)) {
            list_ = list;
        }
    }
    ~InheritedHandleList() {
        if (initialized_)
            DeleteProcThreadAttributeList(reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data()));
    }
    InheritedHandleList(const InheritedHandleList&) = delete;
    InheritedHandleList& operator=(const InheritedHandleList&) = delete;

    // Null when the list could not be made.
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

private:
    std::vector<char> buffer_;
    bool initialized_ = false;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Waits for a reader whose tool was ended. A grandchild that inherited the
// output pipe keeps the read pending past the tool's end: cancel it, again if
// the reader was between two reads when the first cancel came.
void JoinEndedReader(HANDLE reader) {
    while (WaitForSingleObject(reader, kReaderGraceMs) == WAIT_TIMEOUT) CancelSynchronousIo(reader);
}

bool DuplicateForWait(HANDLE source, pillar::ScopedHandle& copy) {
    const HANDLE self = GetCurrentProcess();
    return DuplicateHandle(self, source, self, copy.Receive(), 0, FALSE, DUPLICATE_SAME_ACCESS) != FALSE;
}

} // namespace

ConsoleToolRunner::ConsoleToolRunner() : security_{} {}

ConsoleToolRunner::~ConsoleToolRunner() {
    // Derived drivers have stopped already; this only releases leftovers.
    std::lock_guard<std::mutex> lock(mutex_);
    ReleaseRunLocked();
}

void ConsoleToolRunner::SetToolPath(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(textMutex_);
    toolPath_ = path;
}

std::wstring ConsoleToolRunner::GetToolPath() const {
    std::lock_guard<std::mutex> lock(textMutex_);
    return toolPath_;
}

void ConsoleToolRunner::SetName(const std::wstring& name) {
    std::lock_guard<std::mutex> lock(textMutex_);
    name_ = name;
}

std::wstring ConsoleToolRunner::GetName() const {
    std::lock_guard<std::mutex> lock(textMutex_);
    return name_;
}

void ConsoleToolRunner::SetProgressHandler(ProgressHandler handler) {
    std::lock_guard<std::mutex> lock(handlerMutex_);
    handler_ = std::move(handler);
}

ToolProgress ConsoleToolRunner::Progress() const {
    std::lock_guard<std::mutex> lock(progressMutex_);
    return progress_;
}

bool ConsoleToolRunner::Completed() const {
    std::lock_guard<std::mutex> lock(progressMutex_);
    return completed_;
}

void ConsoleToolRunner::PublishProgress(const ToolProgress& progress, bool completed) {
    {
        std::lock_guard<std::mutex> lock(progressMutex_);
        if (progress == progress_ && completed == completed_) return;
        progress_ = progress;
        completed_ = completed;
    }
    // The handler runs outside the progress lock, so it may read Progress();
    // under its own, so that a replaced handler is never called again.
    std::lock_guard<std::mutex> lock(handlerMutex_);
    if (handler_) handler_(progress);
}

void ConsoleToolRunner::TerminateTool() {
    std::lock_guard<std::mutex> lock(mutex_);
    EndChildLocked();
}

void ConsoleToolRunner::StopTool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ReleaseRunLocked();
    }
    std::lock_guard<std::mutex> lock(textMutex_);
    toolPath_.clear();
    name_.clear();
}

void ConsoleToolRunner::EndPreviousRun() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ReleaseRunLocked();
    }
    std::lock_guard<std::mutex> lock(progressMutex_);
    progress_ = ToolProgress{};
    completed_ = false;
}

void ConsoleToolRunner::EndChildLocked() {
    if (process_) TerminateProcess(process_.Get(), 1);
    running_.store(0);
    if (stopEvent_) SetEvent(stopEvent_.Get());
}

void ConsoleToolRunner::ReleaseRunLocked() {
    EndChildLocked();
    // With every write end gone the reader's pending read fails.
    stdoutWrite_.Close();
    stdinRead_.Close();
    if (reader_) {
        JoinEndedReader(reader_.Get());
        reader_.Close();
    }
    // Closed only after the reader is gone so it never reads a stale handle.
    stdoutRead_.Close();
    process_.Close();
    stopEvent_.Close();
}

ToolStatus ConsoleToolRunner::GetToolStatus(DWORD* exitCode) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!process_) return ToolStatus::Idle;
    if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0) return ToolStatus::Running;
    // The child is gone, but its last lines may still be in the pipe; report
    // the end only once the reader has parsed them.
    if (readerDone_.load() == 0) return ToolStatus::Running;
    if (exitCode) {
        DWORD code = 0;
        *exitCode = GetExitCodeProcess(process_.Get(), &code) ? code : 0;
    }
    return ToolStatus::Ended;
}

ToolOutcome ConsoleToolRunner::WaitForEnd(DWORD silenceLimitMs) {
    // Own copies of the handles: a StopTool on another thread closes the
    // runner's while this thread still waits.
    pillar::ScopedHandle reader;
    pillar::ScopedHandle process;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!reader_ || !process_) return ToolOutcome{};
        if (!DuplicateForWait(reader_.Get(), reader) || !DuplicateForWait(process_.Get(), process)) {
            // Without them this thread cannot wait: end the run rather than
            // leave it unwatched.
            EndChildLocked();
            return ToolOutcome{ToolEnd::Failed, 1};
        }
    }
    if (!ReaderEndedBeforeSilence(reader.Get(), silenceLimitMs)) {
        SilenceTool(GetProcessId(process.Get()));
        JoinEndedReader(reader.Get());
    }
    // The reader ends only after the child's end or a stop that terminated
    // it, so the exit code is there or moments away.
    WaitForSingleObject(process.Get(), kReaderGraceMs);
    ToolOutcome outcome;
    if (!GetExitCodeProcess(process.Get(), &outcome.exitCode)) outcome.exitCode = 1;
    if (Completed()) outcome.end = ToolEnd::Completed;
    else if (silenced_.load()) outcome.end = ToolEnd::Silent;
    else outcome.end = ToolEnd::Failed;
    return outcome;
}

bool ConsoleToolRunner::ReaderEndedBeforeSilence(HANDLE reader, DWORD silenceLimitMs) const {
    if (silenceLimitMs == INFINITE) return WaitForSingleObject(reader, INFINITE) != WAIT_TIMEOUT;
    // Each wait lasts until the silence would be complete; output that came
    // meanwhile moves that moment on.
    for (;;) {
        const uint64_t quiet = GetTickCount64() - lastOutputTick_.load();
        const DWORD left = quiet >= silenceLimitMs ? 0 : static_cast<DWORD>(silenceLimitMs - quiet);
        if (WaitForSingleObject(reader, left) != WAIT_TIMEOUT) return true;
        if (left == 0) return false;
    }
}

void ConsoleToolRunner::SilenceTool(DWORD processId) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Another thread may have started the next run meanwhile; leave that one.
    if (!process_ || GetProcessId(process_.Get()) != processId) return;
    silenced_.store(true);
    EndChildLocked();
}

bool ConsoleToolRunner::StartTool(const std::wstring& commandLine) {
    std::lock_guard<std::mutex> lock(mutex_);
    ReleaseRunLocked();
    stopEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopEvent_ || !OpenStandardHandles() || !LaunchChild(commandLine)) {
        ReleaseRunLocked();
        return false;
    }
    // The child holds its own copies; ours would keep the pipe open forever.
    stdoutWrite_.Close();
    stdinRead_.Close();

    running_.store(1);
    readerDone_.store(0);
    silenced_.store(false);
    lastOutputTick_.store(GetTickCount64());
    reader_ = pillar::StartThread([this] { ReadOutput(); });
    if (!reader_) {
        ReleaseRunLocked();
        return false;
    }
    return true;
}
bool ConsoleToolRunner::OpenStandardHandles() {
    security_ = {};
    security_.nLength = sizeof(security_);
    security_.lpSecurityDescriptor = nullptr;
    security_.bInheritHandle = TRUE;

    if (!CreatePipe(stdoutRead_.Receive(), stdoutWrite_.Receive(), &security_, 0)) return false;
    // The launcher's own end stays out of every child, so the output pipe
    // reaches end-of-file when the tool exits.
    SetHandleInformation(stdoutRead_.Get(), HANDLE_FLAG_INHERIT, 0);
    // An empty input: a tool that asks a question reads end-of-file and
    // gives up instead of waiting for an answer that never comes.
    stdinRead_.Reset(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &security_,
                                 OPEN_EXISTING, 0, nullptr));
    return stdinRead_.Valid();
}

bool ConsoleToolRunner::LaunchChild(const std::wstring& commandLine) {
    // The child inherits exactly its own two handles, never those of a tool
    // that another thread is starting at the same moment.
    HANDLE inherited[] = {stdoutWrite_.Get(), stdinRead_.Get()};
    InheritedHandleList handleList(inherited, 2);
    if (!handleList.Get()) return false;

    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdOutput = stdoutWrite_.Get();
    startup.StartupInfo.hStdError = stdoutWrite_.Get();
    startup.StartupInfo.hStdInput = stdinRead_.Get();
    startup.StartupInfo.wShowWindow = 0;
    startup.lpAttributeList = handleList.Get();

    // The call may write into the buffer.
    if (commandLine.empty()) return false;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION info = {};
    // Suspended until it is in the job, so not even its first instruction
    // runs outside it.
    const DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                        &startup.StartupInfo, &info)) {
        return false;
    }
    process_.Reset(info.hProcess);
    pillar::ScopedHandle thread(info.hThread);
    // Without the job (a launcher inside a job that allows no nesting) the
    // tool still runs; only the clean-up on a crash is lost.
    if (HANDLE job = ToolJob()) AssignProcessToJobObject(job, process_.Get());
    if (ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
        TerminateProcess(process_.Get(), 1);
        return false;
    }
    return true;
}

void ConsoleToolRunner::ReadOutput() {
    ReadUntilEnd();
    if (ChildEndedWell()) OnToolSucceeded();
    readerDone_.store(1);
}

void ConsoleToolRunner::ReadUntilEnd() {
    char buffer[kReadSize + 1];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(stdoutRead_.Get(), buffer, kReadSize, &got, nullptr) || got == 0) break;
        buffer[got] = '\0';
        const std::string chunk(buffer);  // output with zero bytes is cut there
        lastOutputTick_.store(GetTickCount64());
        std::fwrite(chunk.data(), 1, chunk.size(), stdout);
        std::fputc('\n', stdout);
        ParseOutput(chunk);
        if (running_.load() == 0) break;
    }
}

bool ConsoleToolRunner::ChildEndedWell() const {
    // The output ends as the child exits; its exit code follows a moment
    // later. A run stopped before its end was terminated with code 1; one
    // whose output a grandchild kept open may have ended well before.
    const HANDLE ends[] = {process_.Get(), stopEvent_.Get()};
    WaitForMultipleObjects(2, ends, FALSE, INFINITE);
    if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    return GetExitCodeProcess(process_.Get(), &code) && code == 0;
}

bool ConsoleToolRunner::ParseDecimal(const std::string& digits, int32_t& value) {
    uint64_t result = 0;
    if (!pillar::ParseDecimal(digits, INT32_MAX, result)) return false;
    value = static_cast<int32_t>(result);
    return true;
}
