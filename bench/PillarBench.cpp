#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "bench/BenchCase.h"
#include "pillar/MessageLoop.h"
#include "pillar/MessageLoopProxy.h"

namespace {

// Tasks posted from other threads through a proxy to a running UI loop;
// timed from the first post until the last task has run.
template <typename Loop>
void ProxyThroughput(const char* kind, int tasks, int posters) {
    Loop loop;
    auto proxy = loop.Proxy();
    int ran = 0;
    double start = 0;
    double end = 0;
    std::vector<std::thread> threads;
    loop.QueueTask([&]() {
        start = bench::Now();
        for (int p = 0; p < posters; ++p) {
            const int share = tasks / posters + (p < tasks % posters ? 1 : 0);
            threads.emplace_back([&, share]() {
                for (int i = 0; i < share; ++i) {
                    proxy->QueueTask([&]() {
                        if (++ran == tasks) {
                            end = bench::Now();
                            loop.Quit();
                        }
                    });
                }
            });
        }
    });
    loop.Run();
    for (auto& thread : threads)
        thread.join();
    bench::Report(std::string(kind) + " loop, posts from " + std::to_string(posters) + " thread(s)",
                  tasks / (end - start),
                  "tasks/s");
}

} // namespace

BENCH_CASE("pillar.proxy_to_ui_loop") {
    ProxyThroughput<pillar::UIMessageLoop>("UI", 1000000, 1);
    ProxyThroughput<pillar::UIMessageLoop>("UI", 1000000, 4);
}

// The same through the event pump: shows what the Windows message queue costs.
BENCH_CASE("pillar.proxy_to_default_loop") {
    ProxyThroughput<pillar::MessageLoop>("default", 1000000, 1);
    ProxyThroughput<pillar::MessageLoop>("default", 1000000, 4);
}
