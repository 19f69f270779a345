// Parse time of the launcher's window layout, read once from the source tree.
#include <fstream>
#include <iterator>
#include <string>

#include "bench/BenchCase.h"
#include "ui/core/MarkupDocument.h"

namespace {

std::string SourceTreeFile(const std::string& relative) {
    // This file sits in <root>/bench/; Wine maps the Unix root as drive Z:.
    std::string here = __FILE__;
    const size_t slash = here.find_last_of("/\\");
    const std::string root = here.substr(0, slash) + "/../";
    return (root.size() > 0 && root[0] == '/' ? "Z:" : "") + root + relative;
}

} // namespace

BENCH_CASE("markup_parse_basic_xml") {
    std::ifstream in(SourceTreeFile("resources/themes/default/basic/basic.xml"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        bench::Report("basic.xml not found", 0, "");
        return;
    }
    ui::MarkupDocument doc;
    const int warmup = 20, runs = 2000;
    int elements = 0;
    for (int i = 0; i < warmup; ++i) doc.LoadBuffer(bytes.data(), bytes.size());
    const double start = bench::Now();
    for (int i = 0; i < runs; ++i) {
        if (doc.LoadBuffer(bytes.data(), bytes.size())) ++elements;
    }
    const double elapsed = bench::Now() - start;
    if (elements != runs) {
        bench::Report("parse failures", runs - elements, "");
        return;
    }
    bench::Report("file size", static_cast<double>(bytes.size()), "bytes");
    bench::Report("mean parse time", elapsed / runs * 1e6, "us");
    bench::Report("throughput", bytes.size() * runs / elapsed / 1e6, "MB/s");
}
