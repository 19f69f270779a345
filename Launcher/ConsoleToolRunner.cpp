#include "Launcher/ConsoleToolRunner.h"

#include <process.h>

#include <cstdio>
#include <vector>

namespace {

// How long StopTool waits for the reader after the child's end before it
// cancels the read (a grandchild may still hold the pipe).
constexpr DWORD kReaderGraceMs = 2000;
constexpr DWORD kReadSize = 4095;

} // namespace

ConsoleToolRunner::ConsoleToolRunner() : security_{} {}

ConsoleToolRunner::~ConsoleToolRunner() {
    // Derived drivers have stopped already; this only releases leftovers.
    std::lock_guard<std::mutex> lock(mutex_);
    ReleaseRunLocked();
}

void ConsoleToolRunner::TerminateTool() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (process_) TerminateProcess(process_.Get(), 1);
    running_.store(0);
}

void ConsoleToolRunner::StopTool() {
    std::lock_guard<std::mutex> lock(mutex_);
    ReleaseRunLocked();
    toolPath_.clear();
    name_.clear();
}

void ConsoleToolRunner::EndPreviousRun() {
    std::lock_guard<std::mutex> lock(mutex_);
    ReleaseRunLocked();
}

void ConsoleToolRunner::ReleaseRunLocked() {
    if (process_) TerminateProcess(process_.Get(), 1);
    running_.store(0);
    // With every write end gone the reader's pending read fails.
    stdoutWrite_.Close();
    stdinRead_.Close();
    stdinWrite_.Close();
    if (reader_) {
        if (WaitForSingleObject(reader_.Get(), kReaderGraceMs) != WAIT_OBJECT_0) {
            CancelSynchronousIo(reader_.Get());
            WaitForSingleObject(reader_.Get(), INFINITE);
        }
        reader_.Close();
    }
    // Closed only after the reader is gone so it never reads a stale handle.
    stdoutRead_.Close();
    process_.Close();
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

bool ConsoleToolRunner::StartTool(const std::string& commandLine) {
    std::lock_guard<std::mutex> lock(mutex_);
    ReleaseRunLocked();

    security_ = {};
    security_.nLength = sizeof(security_);
    security_.lpSecurityDescriptor = nullptr;
    security_.bInheritHandle = TRUE;

    if (!CreatePipe(stdoutRead_.Receive(), stdoutWrite_.Receive(), &security_, 0) ||
        !CreatePipe(stdinRead_.Receive(), stdinWrite_.Receive(), &security_, 0)) {
        ReleaseRunLocked();
        return false;
    }
    // The launcher's own ends stay out of every child, so the output pipe
    // reaches end-of-file when the tool exits.
    SetHandleInformation(stdoutRead_.Get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(stdinWrite_.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = stdoutWrite_.Get();
    startup.hStdError = stdoutWrite_.Get();
    startup.hStdInput = stdinRead_.Get();
    startup.wShowWindow = 0;

    // CreateProcessA may write into the command line buffer.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
        ReleaseRunLocked();
        return false;
    }
    process_.Reset(info.hProcess);
    CloseHandle(info.hThread);
    // The child holds its own copies; ours would keep the pipe open forever.
    stdoutWrite_.Close();
    stdinRead_.Close();

    running_.store(1);
    readerDone_.store(0);
    uintptr_t thread = _beginthreadex(nullptr, 0, &ConsoleToolRunner::ReaderMain, this, 0, nullptr);
    if (thread == 0) {
        ReleaseRunLocked();
        return false;
    }
    reader_.Reset(reinterpret_cast<HANDLE>(thread));
    return true;
}

unsigned __stdcall ConsoleToolRunner::ReaderMain(void* self) {
    static_cast<ConsoleToolRunner*>(self)->ReadOutput();
    return 0;
}

void ConsoleToolRunner::ReadOutput() {
    char buffer[kReadSize + 1];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(stdoutRead_.Get(), buffer, kReadSize, &got, nullptr) || got == 0) break;
        buffer[got] = '\0';
        const std::string chunk(buffer);  // output with zero bytes is cut there
        std::fwrite(chunk.data(), 1, chunk.size(), stdout);
        std::fputc('\n', stdout);
        ParseOutput(chunk);
        if (running_.load() == 0) break;
    }
    readerDone_.store(1);
}

bool ConsoleToolRunner::ParseDecimal(const std::string& digits, int32_t& value) {
    if (digits.empty()) return false;
    int64_t result = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + (c - '0');
        if (result > INT32_MAX) return false;
    }
    value = static_cast<int32_t>(result);
    return true;
}
