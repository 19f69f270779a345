#pragma once
// A benchmark case registers itself with BENCH_CASE(name) { ... } and prints
// its own figures through Report.
#include <functional>
#include <string>
#include <vector>

namespace bench {

struct Case {
    std::string name;
    std::function<void()> run;
};

std::vector<Case>& Registry();

struct Registrar {
    Registrar(const char* name, void (*run)()) { Registry().push_back({name, run}); }
};

// One printed figure: "<case>: <what> = <value> <unit>".
void Report(const std::string& what, double value, const std::string& unit);

// Seconds since an arbitrary start, from the performance counter.
double Now();

// CPU time the calling thread has used, in seconds: steadier than wall time
// on a loaded machine.
double ThreadCpuSeconds();

} // namespace bench

#define BENCH_CASE_CONCAT2(a, b) a##b
#define BENCH_CASE_CONCAT(a, b) BENCH_CASE_CONCAT2(a, b)
#define BENCH_CASE(name)                                                              \
    static void BENCH_CASE_CONCAT(bench_case_, __LINE__)();                           \
    static ::bench::Registrar BENCH_CASE_CONCAT(bench_registrar_, __LINE__)(          \
        name, &BENCH_CASE_CONCAT(bench_case_, __LINE__));                             \
    static void BENCH_CASE_CONCAT(bench_case_, __LINE__)()
