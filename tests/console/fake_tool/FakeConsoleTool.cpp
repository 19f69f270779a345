// Stand-in for aria2c.exe and 7z.exe in the console tests. Copied under the
// real tool's name, it records how it was started in "<name>.args" next to
// itself and then plays "<name>.script" from the same folder:
//   print TEXT   write TEXT to standard output (\n, \r and \\ are escapes)
//   eprint TEXT  the same on standard error
//   sleep MS     pause
//   wait FILE    pause until FILE (relative to the tool's folder) exists
//   exit CODE    end with CODE
//   hang         never end
//   spawn        start a copy of itself that inherits the output handles and
//                never ends; its process id goes to "<name>.child"
// Without a script it exits with code 0 at once. It works in wide paths
// throughout and records in UTF-8, so it runs from any folder.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

void Write(DWORD which, const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int count = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(count > 0 ? static_cast<size_t>(count) : 0, '\0');
    if (count > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &out[0], count, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring out(count > 0 ? static_cast<size_t>(count) : 0, L'\0');
    if (count > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &out[0], count);
    return out;
}

void SpawnLingeringChild(const std::wstring& self, const std::wstring& pidPath) {
    std::wstring line = L"\"" + self + L"\" --linger";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        std::ofstream(pidPath.c_str(), std::ios::binary | std::ios::trunc) << info.dwProcessId;
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}

} // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) return 2;
    if (argc == 2 && std::wstring(argv[1]) == L"--linger") Sleep(INFINITE);
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring self = module;
    const std::wstring folder = self.substr(0, self.rfind(L'\\') + 1);
    std::wstring base = self.substr(folder.size());
    base = base.substr(0, base.rfind(L'.'));

    {
        std::ofstream args((folder + base + L".args").c_str(), std::ios::binary | std::ios::trunc);
        args << "pid " << GetCurrentProcessId() << "\n";
        args << "line " << Utf8(GetCommandLineW()) << "\n";
        for (int i = 0; i < argc; ++i) args << "arg " << Utf8(argv[i]) << "\n";
    }
    LocalFree(argv);

    std::ifstream script((folder + base + L".script").c_str(), std::ios::binary);
    std::string line;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
        if (command == "print") {
            Write(STD_OUTPUT_HANDLE, Unescape(argument));
        } else if (command == "eprint") {
            Write(STD_ERROR_HANDLE, Unescape(argument));
        } else if (command == "sleep") {
            Sleep(static_cast<DWORD>(std::atoi(argument.c_str())));
        } else if (command == "wait") {
            while (!Exists(folder + Wide(argument))) Sleep(5);
        } else if (command == "exit") {
            return std::atoi(argument.c_str());
        } else if (command == "spawn") {
            SpawnLingeringChild(self, folder + base + L".child");
        } else if (command == "hang") {
            Sleep(INFINITE);
        }
    }
    return 0;
}
