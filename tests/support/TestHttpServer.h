#pragma once
// Starts tests/support/http_test_server.py from inside a test program that
// runs under Wine, and stops it again. Header only.
//
//   testsupport::TestHttpServer server(L"C:\\some\\folder");  // folder to serve
//   ASSERT_TRUE(server.Start());
//   std::string url = server.Url("_bytes/25000");             // "http://127.0.0.1:<port>/_bytes/25000"
//   std::vector<std::string> seen = server.Requests();         // {"GET /_bytes/25000", ...}
//   server.ClearRequests();
//   server.StateLines(L"connections.log");                      // {"50112", ...}: one per connection
//
// The routes are listed at the top of http_test_server.py: files of the served
// folder, /_status/<code>, /_empty, /_bytes/<n>, /_chunked/<n>,
// /_truncated/<n>, /_slow/<n>/<piece>/<ms>, /_huge/<length>. The byte pattern
// of the generated bodies is PatternByte below.
// Routes that go quiet: /_silent (no answer) and /_stall/<n>/<sent> (part of
// the body, then nothing); /_large/<n> streams a body larger than memory.
//
// How it works under Wine (checked on this machine):
// - The server is the Linux program /usr/bin/python3, started with
//   CreateProcessW on "Z:\usr\bin\python3". Wine runs it as a Unix process;
//   its arguments reach it unchanged, so they are Unix paths (Windows paths
//   are converted with Wine's wine_get_unix_file_name).
// - Its standard output does not come back through pipes, so everything goes
//   through a private state folder (below %TEMP%): the server writes its port
//   to "port", appends every request to "requests.log" and exits when "stop"
//   appears.
// - Stop() creates "stop" and waits for the server to delete its port file on
//   the way out; the process handle Wine hands back for a Linux program is not
//   relied upon.
// - It never outlives the test program. Wine starts Linux programs detached
//   (their Unix parent is init, so watching the parent does not work, and
//   "Z:\proc\self" names the wineserver, which opens files for Wine).
//   Instead this object holds a "lifeline" connection to the server's
//   /_lifeline route; when the program ends, however abruptly, the wineserver
//   closes its sockets and the server exits within 0.1 s. As a fallback it
//   exits when "alive" was not touched for 30 s; a thread of this object
//   touches it every second. Winsock is loaded at run time, so users of this
//   header link nothing extra.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "pillar/TextConversion.h"

namespace testsupport {

// Byte i of every generated body (/_bytes, /_chunked, /_truncated, /_slow).
inline unsigned char PatternByte(size_t i) { return static_cast<unsigned char>((i * 7 + 3) % 251); }

inline std::string PatternBytes(size_t n) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(PatternByte(i));
    return bytes;
}

// The Unix path Wine maps a Windows path to; the input unchanged outside Wine.
inline std::string UnixPathOf(const std::wstring& windowsPath) {
    typedef char*(CDECL * ToUnix)(LPCWSTR);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    ToUnix toUnix = kernel ? reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
                                 GetProcAddress(kernel, "wine_get_unix_file_name")))
                           : nullptr;
    if (toUnix != nullptr) {
        if (char* unixPath = toUnix(windowsPath.c_str())) {
            std::string result(unixPath);
            HeapFree(GetProcessHeap(), 0, unixPath);
            return result;
        }
    }
    return pillar::WideToUtf8(windowsPath);
}

// Deletes a folder tree (test scratch folders only).
inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// A new empty folder below %TEMP%, named after `tag`, this process and a counter.
inline std::wstring MakeScratchFolder(const wchar_t* tag) {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(counter++);
    RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// A TCP connection to 127.0.0.1 that stays open until Close (or the end of
// the program). Winsock is resolved at run time.
class Lifeline {
public:
    Lifeline() = default;
    ~Lifeline() { Close(); }
    Lifeline(const Lifeline&) = delete;
    Lifeline& operator=(const Lifeline&) = delete;

    bool Open(int port, const std::string& request) {
        library_ = LoadLibraryW(L"ws2_32.dll");
        if (library_ == nullptr) return false;
        auto startup = Resolve<decltype(&::WSAStartup)>("WSAStartup");
        auto makeSocket = Resolve<decltype(&::socket)>("socket");
        auto connectTo = Resolve<decltype(&::connect)>("connect");
        auto sendBytes = Resolve<decltype(&::send)>("send");
        auto receive = Resolve<decltype(&::recv)>("recv");
        if (!startup || !makeSocket || !connectTo || !sendBytes || !receive) return false;
        WSADATA data;
        if (startup(MAKEWORD(2, 2), &data) != 0) return false;
        started_ = true;
        socket_ = makeSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (socket_ == INVALID_SOCKET) return false;
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = static_cast<u_short>(((port & 0xFF) << 8) | ((port >> 8) & 0xFF));
        address.sin_addr.s_addr = 0x0100007F;  // 127.0.0.1 in network order
        if (connectTo(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return false;
        if (sendBytes(socket_, request.data(), static_cast<int>(request.size()), 0) != static_cast<int>(request.size())) {
            return false;
        }
        // Wait for the answer, so the server holds the line before we go on.
        char answer[256];
        return receive(socket_, answer, sizeof(answer), 0) > 0;
    }

    void Close() {
        if (socket_ != INVALID_SOCKET) {
            if (auto closeSocket = Resolve<decltype(&::closesocket)>("closesocket")) closeSocket(socket_);
            socket_ = INVALID_SOCKET;
        }
        if (started_) {
            if (auto cleanup = Resolve<decltype(&::WSACleanup)>("WSACleanup")) cleanup();
            started_ = false;
        }
        if (library_ != nullptr) {
            FreeLibrary(library_);
            library_ = nullptr;
        }
    }

private:
    template <typename F>
    F Resolve(const char* name) const {
        return library_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library_, name))) : nullptr;
    }

    HMODULE library_ = nullptr;
    bool started_ = false;
    SOCKET socket_ = INVALID_SOCKET;
};

class TestHttpServer {
public:
    explicit TestHttpServer(std::wstring rootFolder) : root_(std::move(rootFolder)) {}
    ~TestHttpServer() { Stop(); }
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    // Starts the server and waits until it listens. False when it did not
    // come up within `timeoutMs`.
    bool Start(DWORD timeoutMs = 20000) {
        if (port_ != 0) return true;
        state_ = MakeScratchFolder(L"http-server");
        Touch(L"alive");
        std::wstring command = L"\"Z:\\usr\\bin\\python3\" \"" + pillar::Utf8ToWide(ScriptPath()) + L"\" --root \"" +
                               pillar::Utf8ToWide(UnixPathOf(root_)) + L"\" --state \"" + pillar::Utf8ToWide(UnixPathOf(state_)) +
                               L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::vector<wchar_t> line(command.begin(), command.end());
        line.push_back(L'\0');
        if (!CreateProcessW(L"Z:\\usr\\bin\\python3", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            return false;
        }
        if (process.hThread) CloseHandle(process.hThread);
        if (process.hProcess) CloseHandle(process.hProcess);
        started_ = true;
        heartbeat_ = std::thread([this] { Beat(); });
        for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
            std::string text = ReadStateFile(L"port");
            if (!text.empty()) {
                port_ = std::atoi(text.c_str());
                if (port_ > 0 && lifeline_.Open(port_, "GET /_lifeline HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")) {
                    return true;
                }
                break;
            }
            Sleep(20);
        }
        Stop();
        return false;
    }

    // Asks the server to exit and waits (at most ~5 s) until it has.
    void Stop() {
        if (!started_) return;
        started_ = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (heartbeat_.joinable()) heartbeat_.join();
        Touch(L"stop");
        lifeline_.Close();
        for (int i = 0; i < 250 && GetFileAttributesW((state_ + L"\\port").c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
            Sleep(20);
        }
        port_ = 0;
        RemoveTree(state_);
    }

    int Port() const { return port_; }

    // "http://127.0.0.1:<port>/" followed by `path` (given without leading "/").
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
    }

    // Every request so far, oldest first, as "METHOD PATH".
    std::vector<std::string> Requests() const { return StateLines(L"requests.log"); }

    // The non-empty lines of a log in the state folder ("answers.log",
    // "connections.log"), oldest first.
    std::vector<std::string> StateLines(const wchar_t* name) const {
        std::vector<std::string> lines;
        std::istringstream text(ReadStateFile(name));
        for (std::string line; std::getline(text, line);) {
            if (!line.empty()) lines.push_back(line);
        }
        return lines;
    }

    void ClearStateFile(const wchar_t* name) {
        HANDLE log = CreateFileW((state_ + L"\\" + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, TRUNCATE_EXISTING, 0, nullptr);
        if (log != INVALID_HANDLE_VALUE) CloseHandle(log);
    }

    // Forgets the requests seen so far.
    void ClearRequests() {
        HANDLE log = CreateFileW((state_ + L"\\requests.log").c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, TRUNCATE_EXISTING, 0, nullptr);
        if (log != INVALID_HANDLE_VALUE) CloseHandle(log);
    }

    const std::wstring& StateFolder() const { return state_; }

private:
    static std::string ScriptPath() {
        // Next to this header, whose path the compiler saw as a Unix path.
        std::string header = __FILE__;
        size_t slash = header.find_last_of("/\\");
        return (slash == std::string::npos ? std::string(".") : header.substr(0, slash)) + "/http_test_server.py";
    }

    void Touch(const wchar_t* name) const {
        HANDLE file = CreateFileW((state_ + L"\\" + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(file, "1", 1, &written, nullptr);
        CloseHandle(file);
    }

    std::string ReadStateFile(const wchar_t* name) const {
        std::ifstream in((state_ + L"\\" + name).c_str(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void Beat() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_; })) Touch(L"alive");
        stopping_ = false;
    }

    std::wstring root_;
    std::wstring state_;
    int port_ = 0;
    bool started_ = false;
    Lifeline lifeline_;
    std::thread heartbeat_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

} // namespace testsupport
