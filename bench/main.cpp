// Runs every registered benchmark case, or those whose name contains argv[1].
#include "bench/BenchCase.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace bench {

std::vector<Case>& Registry() {
    static std::vector<Case> cases;
    return cases;
}

static const char* g_current = "";

void Report(const std::string& what, double value, const std::string& unit) {
    std::printf("%s: %s = %.2f %s\n", g_current, what.c_str(), value, unit.c_str());
    std::fflush(stdout);
}

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / frequency;
}

double ThreadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

} // namespace bench

int main(int argc, char** argv) {
    const char* filter = argc > 1 ? argv[1] : "";
    for (const auto& c : bench::Registry()) {
        if (std::strstr(c.name.c_str(), filter) == nullptr) continue;
        bench::g_current = c.name.c_str();
        std::printf("== %s\n", c.name.c_str());
        c.run();
    }
    return 0;
}
