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
// Without a script it exits with code 0 at once.
#include <windows.h>

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

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

} // namespace

void SpawnLingeringChild(const std::string& self, const std::string& pidPath) {
    std::string line = "\"" + self + "\" --linger";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        std::ofstream(pidPath, std::ios::binary | std::ios::trunc) << info.dwProcessId;
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--linger") Sleep(INFINITE);
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string self = module;
    const std::string folder = self.substr(0, self.rfind('\\') + 1);
    std::string base = self.substr(folder.size());
    base = base.substr(0, base.rfind('.'));

    {
        std::ofstream args(folder + base + ".args", std::ios::binary | std::ios::trunc);
        args << "pid " << GetCurrentProcessId() << "\n";
        args << "line " << GetCommandLineA() << "\n";
        for (int i = 0; i < argc; ++i) args << "arg " << argv[i] << "\n";
    }

    std::ifstream script(folder + base + ".script", std::ios::binary);
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
            while (!Exists(folder + argument)) Sleep(5);
        } else if (command == "exit") {
            return std::atoi(argument.c_str());
        } else if (command == "spawn") {
            SpawnLingeringChild(self, folder + base + ".child");
        } else if (command == "hang") {
            Sleep(INFINITE);
        }
    }
    return 0;
}
