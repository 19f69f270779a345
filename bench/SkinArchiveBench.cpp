// Cost of the packed skin: opening the embedded archive and inflating every
// member, as start-up and the first paint do.
#include <string>

#include "bench/BenchCase.h"
#include "ui/core/GlobalMemoryBlock.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/ZipArchive.h"

BENCH_CASE("skin_archive") {
    const int rounds = 200;
    double start = bench::Now();
    for (int i = 0; i < rounds; ++i) ui::UiGlobals::OpenSkinArchive("");
    double openSeconds = (bench::Now() - start) / rounds;
    if (!ui::UiGlobals::IsSkinArchiveOpen()) {
        bench::Report("embedded skin missing", 0, "");
        return;
    }

    // Member names come from a private reader over the same resource.
    HRSRC resource = ::FindResourceW(nullptr, MAKEINTRESOURCEW(129), L"THEME");
    const void* bytes = ::LockResource(::LoadResource(nullptr, resource));
    ui::ZipArchive names;
    names.OpenFromMemory(bytes, ::SizeofResource(nullptr, resource), "");

    double total = 0;
    start = bench::Now();
    for (int i = 0; i < rounds; ++i) {
        for (size_t m = 0; m < names.MemberCount(); ++m) {
            const std::string& name = names.MemberAt(m).name;
            size_t size = 0;
            ui::GlobalMemoryBlock block = ui::UiGlobals::GetArchiveData(std::wstring(name.begin(), name.end()), &size);
            total += static_cast<double>(size);
        }
    }
    double seconds = bench::Now() - start;
    bench::Report("open archive", openSeconds * 1e6, "us");
    bench::Report("unpack whole skin", seconds / rounds * 1e3, "ms");
    bench::Report("inflate throughput", total / seconds / 1e6, "MB/s");
    ui::UiGlobals::CloseSkinArchive();
}
