// Stand-in for aria2c.exe in the tests, so CI does not need the real tool for
// every install. It takes aria2c's command line (--dir=, --out=, the URL
// last; other options are accepted and ignored), fetches the URL over HTTP
// and prints what aria2c prints through a pipe: a progress readout about
// every 200 ms, then the result table with "(OK):download completed." and exit
// code 0, or "(ERR):error occurred." with aria2c's exit codes (3 resource not
// found, 6 network problem, 1 anything else).
//
// Like aria2c it keeps a control file "<out>.aria2" beside the file while it
// downloads and deletes it on success, so a failed try leaves both behind.
// Every start appends its command line to "aria2c.runs" next to itself.
// Paths are wide throughout (kept as UTF-8 inside), as in the real aria2c:
// the launcher may live in a folder the system code page cannot name.
#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kTimeoutMs = 30000;
constexpr DWORD kReadBlock = 256 * 1024;
constexpr DWORD kReadoutMs = 200;
constexpr int kExitUnknown = 1;
constexpr int kExitNotFound = 3;
constexpr int kExitNetwork = 6;

std::wstring Wide(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length, nullptr, nullptr);
    return utf8;
}

void Print(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Size(long long bytes) {
    char text[32];
    if (bytes >= 1024 * 1024)
        std::snprintf(text, sizeof(text), "%.1fMiB", bytes / 1048576.0);
    else if (bytes >= 1024)
        std::snprintf(text, sizeof(text), "%.1fKiB", bytes / 1024.0);
    else
        std::snprintf(text, sizeof(text), "%lldB", bytes);
    return text;
}

void PrintReadout(long long done, long long total, long long perSecond) {
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 0;
    std::string line = "[#2a1b3c " + Size(done) + "/" + Size(total) + "(" + std::to_string(percent) +
                       "%) CN:1 DL:" + Size(perSecond);
    if (perSecond > 0 && total > done) line += " ETA:" + std::to_string((total - done) / perSecond + 1) + "s";
    Print(line + "]\n");
}

int Fail(int code, const std::string& why) {
    Print("\n[ERROR] Download aborted. " + why + "\n\nDownload Results:\ngid   |stat|avg speed  |path/URI\n"
          "======+====+===========+=======================================================\n"
          "2a1b3c|ERR |       0B/s|" + why + "\n\nStatus Legend:\n(ERR):error occurred.\n\n"
          "aria2 will resume download if the transfer is restarted.\n");
    return code;
}

void RecordStart(const std::wstring& module) {
    const std::wstring path = module.substr(0, module.rfind(L'\\') + 1) + L"aria2c.runs";
    HANDLE log = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, 0, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    const std::string line = Utf8(GetCommandLineW()) + "\n";
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
}

// Closes a WinINet handle when it goes.
struct InternetHandle {
    HINTERNET handle = nullptr;
    ~InternetHandle() {
        if (handle) InternetCloseHandle(handle);
    }
};

struct Request {
    InternetHandle session, connection, request;
};

// Sends the GET; the status code, or 0 when the server could not be reached.
DWORD Open(const std::string& url, Request& r) {
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    char host[256] = {}, path[4096] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof(path);
    if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return 0;
    r.session.handle = InternetOpenA("aria2/1.36.0", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!r.session.handle) return 0;
    r.connection.handle = InternetConnectA(r.session.handle, host, parts.nPort, nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0);
    if (!r.connection.handle) return 0;
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                        (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    r.request.handle = HttpOpenRequestA(r.connection.handle, "GET", path, nullptr, nullptr, nullptr, flags, 0);
    if (!r.request.handle) return 0;
    // Time limits hold only on the request handle.
    DWORD timeout = kTimeoutMs;
    InternetSetOptionA(r.request.handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
    InternetSetOptionA(r.request.handle, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof(timeout));
    if (!HttpSendRequestA(r.request.handle, nullptr, 0, nullptr, 0)) return 0;
    DWORD status = 0, size = sizeof(status);
    if (!HttpQueryInfoA(r.request.handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return 0;
    return status;
}

long long ContentLength(HINTERNET request) {
    char text[32] = {};
    DWORD size = sizeof(text);
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return -1;
    return std::atoll(text);
}

bool WriteAll(HANDLE file, const char* bytes, DWORD count) {
    DWORD written = 0;
    return WriteFile(file, bytes, count, &written, nullptr) && written == count;
}

} // namespace

int main() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    RecordStart(module);

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::string folder, out, url;
    for (int i = 1; argv && i < argc; ++i) {
        const std::string arg = Utf8(argv[i]);
        if (arg.rfind("--dir=", 0) == 0) folder = arg.substr(6);
        else if (arg.rfind("--out=", 0) == 0) out = arg.substr(6);
        else if (arg.rfind("--", 0) != 0) url = arg;
    }
    if (url.empty()) return Fail(kExitUnknown, "no URI given");
    if (out.empty()) out = url.substr(url.rfind('/') + 1);
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    const std::string target = folder + out;

    Request request;
    const DWORD status = Open(url, request);
    if (status == 0) return Fail(kExitNetwork, "could not reach " + url);
    if (status == 404) return Fail(kExitNotFound, "status=404 " + url);
    if (status != 200) return Fail(kExitUnknown, "status=" + std::to_string(status) + " " + url);
    const long long total = ContentLength(request.request.handle);

    const std::string control = target + ".aria2";
    HANDLE controlFile = CreateFileW(Wide(control).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (controlFile == INVALID_HANDLE_VALUE) return Fail(kExitUnknown, "cannot create " + control);
    WriteAll(controlFile, "stand-in control file\n", 22);
    CloseHandle(controlFile);
    HANDLE file = CreateFileW(Wide(target).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(kExitUnknown, "cannot create " + target);

    std::vector<char> block(kReadBlock);
    long long done = 0;
    const DWORD began = GetTickCount();
    DWORD lastReadout = began;
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.request.handle, block.data(), kReadBlock, &got)) {
            CloseHandle(file);
            return Fail(kExitNetwork, "connection lost after " + std::to_string(done) + " bytes");
        }
        if (got == 0) break;
        if (!WriteAll(file, block.data(), got)) {
            CloseHandle(file);
            return Fail(kExitUnknown, "cannot write " + target);
        }
        done += got;
        const DWORD now = GetTickCount();
        if (now - lastReadout >= kReadoutMs) {
            lastReadout = now;
            PrintReadout(done, total, done * 1000 / ((now - began) ? (now - began) : 1));
        }
    }
    CloseHandle(file);
    if (total >= 0 && done != total)
        return Fail(kExitNetwork, "the body ended after " + std::to_string(done) + " of " + std::to_string(total));

    PrintReadout(done, total > 0 ? total : done, 0);
    DeleteFileW(Wide(control).c_str());
    Print("\nDownload Results:\ngid   |stat|avg speed  |path/URI\n"
          "======+====+===========+=======================================================\n"
          "2a1b3c|OK  |   1.0MiB/s|" + target + "\n\nStatus Legend:\n(OK):download completed.\n");
    return 0;
}
