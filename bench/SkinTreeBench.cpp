// The launcher skin as the window sees it: building the control tree from
// the packed archive, one layout pass, and painting the whole 977 x 641
// tree (inside its shadow band) into an off-screen render context.
#include "bench/BenchCase.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/control/Box.h"
#include "ui/core/SkinBuilder.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/Window.h"
#include "ui/core/WindowImplBase.h"
#include "ui/render/IRenderContext.h"
#include "ui/render/IRenderFactory.h"

namespace {

class BenchWindow : public ui::Window {
public:
    std::wstring WindowClassName() const override { return L"SkinBenchWindow"; }
};

class BenchSkinHost : public ui::WindowImplBase {
public:
    std::wstring WindowClassName() const override { return L"SkinBenchHost"; }
    std::wstring SkinFolder() const override { return L"basic"; }
    std::wstring SkinFile() const override { return L"basic.xml"; }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void BenchBuild() {
    BenchWindow window;
    window.SetWindowSkinPath(L"basic");
    std::vector<double> runs;
    for (int i = 0; i < 30; ++i) {
        ui::SkinBuilder builder;
        const double start = bench::Now();
        std::unique_ptr<ui::Control> tree(builder.Create(L"basic\\basic.xml", {}, &window));
        runs.push_back((bench::Now() - start) * 1000.0);
        if (!tree) {
            bench::Report("skin did not build", 0, "");
            return;
        }
    }
    bench::Report("build basic.xml into a tree, median of 30", Median(runs), "ms");
}

void BenchLayoutAndPaint() {
    auto* host = new BenchSkinHost;  // deletes itself with its window
    HWND hwnd = host->Create(nullptr, L"Launcher", 0x00CE0000, 0);
    if (!hwnd) {
        bench::Report("window did not load the skin", 0, "");
        return;
    }
    RECT client{};
    ::GetClientRect(hwnd, &client);
    ui::Box* root = host->RootBox();

    double start = bench::Now();
    root->Place(client);
    bench::Report("first layout pass (decodes the images it measures)", (bench::Now() - start) * 1000.0, "ms");

    std::vector<double> passes;
    for (int i = 0; i < 40; ++i) {
        RECT next = client;
        ::OffsetRect(&next, i % 2, 0);  // every control moves, so every one is placed again
        start = bench::Now();
        root->Place(next);
        passes.push_back((bench::Now() - start) * 1000.0);
    }
    root->Place(client);
    bench::Report("full layout pass, median of 40", Median(passes), "ms");

    std::unique_ptr<ui::IRenderContext> rc = ui::UiGlobals::GetRenderFactory()->NewRenderContext();
    rc->ResizeSurface(client.right, client.bottom);
    auto paintMedian = [&](int runs) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            start = bench::Now();
            rc->ClearSurface();
            rc->SetTransparentMode(true);  // as for the layered window
            root->PaintWithEffects(*rc, client);
            ::GdiFlush();
            times.push_back((bench::Now() - start) * 1000.0);
        }
        return Median(times);
    };
    paintMedian(3);  // first paint loads the remaining images
    bench::Report("full paint, loading picture shown, median of 100", paintMedian(100), "ms");

    host->FindInWindow(L"loading")->SetShown(false);
    host->FindInWindow(L"gamectrl")->SetShown(true);
    root->Place(client);
    paintMedian(3);
    bench::Report("full paint, six cards shown, median of 100", paintMedian(100), "ms");
    ::DestroyWindow(hwnd);
}

} // namespace

BENCH_CASE("skin tree") {
    if (!ui::UiGlobals::OpenSkinArchive("")) {
        bench::Report("skin archive not available", 0, "");
        return;
    }
    const double start = bench::Now();
    ui::UiGlobals::Startup(L"resources\\", nullptr, false, L"themes\\default", L"lang\\zh_CN");
    bench::Report("start-up with global.xml through the builder", (bench::Now() - start) * 1000.0, "ms");
    BenchBuild();
    BenchLayoutAndPaint();
    ui::UiGlobals::Shutdown();
    ui::UiGlobals::CloseSkinArchive();
}
