// The launcher skin as the window sees it: building the control tree from
// the packed archive, one layout pass, and painting the whole 977 x 641
// tree (inside its shadow band) into an off-screen render context.
#include "bench/BenchCase.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ui/control/Box.h"
#include "ui/core/SkinBuilder.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/Window.h"
#include "ui/core/WindowImplBase.h"
#include "ui/render/IRenderContext.h"
#include "ui/render/IRenderFactory.h"
#include "ui/render/RenderScopes.h"

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
    rc->SetTransparentMode(true);
    const RECT corner = host->Shadow().ShadowCorner();
    const RECT opaque{client.left + corner.left + 1, client.top + corner.top + 1, client.right - corner.right - 1,
                      client.bottom - corner.bottom - 1};
    // What the layered window does for a damaged area: clear it, paint the
    // tree clipped to it, give the window's own pixels their alpha back.
    auto paintArea = [&](const RECT& area) {
        rc->FillAlpha(area, 0);
        {
            ui::RectClipScope clip(*rc, area);
            root->PaintWithEffects(*rc, area);
        }
        RECT repair{};
        if (::IntersectRect(&repair, &area, &opaque)) rc->FillAlpha(repair, 255);
        ::GdiFlush();
    };
    auto report = [&](const std::string& what, const RECT& area, int runs) {
        for (int i = 0; i < 3; ++i) paintArea(area);  // the first paints load the remaining images
        std::vector<double> times;
        const double cpuStart = bench::ThreadCpuSeconds();
        for (int i = 0; i < runs; ++i) {
            start = bench::Now();
            paintArea(area);
            times.push_back((bench::Now() - start) * 1000.0);
        }
        const double cpu = (bench::ThreadCpuSeconds() - cpuStart) * 1000.0 / runs;
        bench::Report(what + ", median of " + std::to_string(runs), Median(times), "ms");
        bench::Report(what + ", thread CPU per paint", cpu, "ms");
    };
    report("full paint, loading picture shown", client, 100);
    ui::Control* loading = host->FindInWindow(L"loading");
    auto* loadingBox = dynamic_cast<ui::Box*>(loading);
    ui::Control* picture = loadingBox ? loadingBox->ChildAt(0) : nullptr;
    ui::Control* cards = host->FindInWindow(L"gamectrl");
    if (!picture || !cards) {
        bench::Report("skin lacks the loading picture or the cards", 0, "");
        ::DestroyWindow(hwnd);
        return;
    }
    // What each animation frame repaints.
    report("loading picture's 360 x 240 rectangle", picture->Position(), 300);

    loading->SetShown(false);
    cards->SetShown(true);
    root->Place(client);
    report("full paint, six cards shown", client, 100);
    rc->SetTransparentMode(false);
    report("full paint, six cards shown, opaque blits (halftone stretch)", client, 100);
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
