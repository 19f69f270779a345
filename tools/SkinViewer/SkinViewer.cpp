// A developer program that shows the launcher's skin in a window opened
// exactly as the launcher opens its own (same UI thread set-up, skin folder,
// style and layered window), with no launcher logic behind it.
//
//   SkinViewer.exe [SKIN_FILE] [CLICK_LOG]
//
// SKIN_FILE is the markup file in the skin folder "basic" (default
// "basic.xml"). Every click event the window receives appends the clicked
// control's name, one per line, to CLICK_LOG. Closing the window ends the
// program with 0; a skin that cannot be loaded ends it with 1 once its
// message box is dismissed.
//
// With SKINVIEWER_PAINT_LOG naming a file in the environment, the program
// also paints the whole window again a number of times once it has settled
// and writes the milliseconds of each full-window WM_PAINT there, one per
// line (for the benchmark).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "pillar/FrameworkThread.h"
#include "pillar/ScopedHandle.h"
#include "pillar/TextConversion.h"
#include "pillar/ThreadRegistry.h"
#include "pillar/WholeFile.h"
#include "ui/control/Box.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/WindowImplBase.h"

namespace {

constexpr DWORD kLauncherStyle = 0x00CE0000;
constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintIntervalMs = 40;
constexpr UINT kSettleMs = 1000;
constexpr size_t kTimedPaints = 60;

struct Options {
    std::wstring skinFile = L"basic.xml";
    std::wstring clickLog;
    std::wstring paintLog;
};

Options ReadOptions() {
    Options options;
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments) {
        if (count >= 2) options.skinFile = arguments[1];
        if (count >= 3) options.clickLog = arguments[2];
        ::LocalFree(arguments);
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"SKINVIEWER_PAINT_LOG", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) options.paintLog = path;
    return options;
}

void AppendLine(const std::wstring& path, const std::wstring& text) {
    pillar::ScopedHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string line = pillar::WideToUtf8(text) + "\n";
    DWORD written = 0;
    ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// Times full-window paints: after the window has settled it invalidates the
// whole client area every few frames and keeps the time of each paint that
// covered all of it.
class PaintTimer {
public:
    explicit PaintTimer(std::wstring log) : log_(std::move(log)) {}

    bool Enabled() const { return !log_.empty(); }
    void Start(HWND window) {
        if (Enabled()) ::SetTimer(window, kRepaintTimer, kSettleMs, nullptr);
    }
    // A repaint tick: the first one only ends the settling time.
    void Tick(HWND window, ui::Window& owner) {
        ::SetTimer(window, kRepaintTimer, kRepaintIntervalMs, nullptr);
        RECT client{};
        ::GetClientRect(window, &client);
        owner.Invalidate(client);
    }
    bool CoversClient(HWND window) const {
        RECT update{}, client{};
        ::GetUpdateRect(window, &update, FALSE);
        ::GetClientRect(window, &client);
        return ::EqualRect(&update, &client) != FALSE;
    }
    void Record(HWND window, double milliseconds) {
        times_.push_back(milliseconds);
        if (times_.size() < kTimedPaints) return;
        ::KillTimer(window, kRepaintTimer);
        std::string text;
        for (double each : times_) text += std::to_string(each) + "\n";
        pillar::WriteWholeFile(log_, text);
        log_.clear();
    }

private:
    std::wstring log_;
    std::vector<double> times_;
};

class ViewerForm : public ui::WindowImplBase {
public:
    explicit ViewerForm(const Options& options)
        : skinFile_(options.skinFile), clickLog_(options.clickLog), paintTimer_(options.paintLog) {}

    std::wstring WindowClassName() const override { return L"Basic"; }
    std::wstring SkinFolder() const override { return L"basic"; }
    std::wstring SkinFile() const override { return skinFile_; }

    void OnSkinReady() override {
        RootBox()->AddBubbledHandler(ui::EventKind::Click, MakeWeakCallback([this](ui::EventArgs* event) {
                                         if (!clickLog_.empty() && event->Sender)
                                             AppendLine(clickLog_, event->Sender->GetControlName());
                                         return true;
                                     }));
        paintTimer_.Start(NativeHandle());
    }

    LRESULT OnClose(UINT, WPARAM, LPARAM, bool& handled) override {
        ::PostQuitMessage(0);
        handled = false;
        return 0;
    }

    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == kRepaintTimer) {
            paintTimer_.Tick(NativeHandle(), *this);
            return 0;
        }
        if (message != WM_PAINT || !paintTimer_.Enabled() || !paintTimer_.CoversClient(NativeHandle()))
            return ui::WindowImplBase::ProcessMessage(message, wParam, lParam);
        LARGE_INTEGER frequency{}, before{}, after{};
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&before);
        const LRESULT result = ui::WindowImplBase::ProcessMessage(message, wParam, lParam);
        ::QueryPerformanceCounter(&after);
        paintTimer_.Record(NativeHandle(),
                           1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / frequency.QuadPart);
        return result;
    }

private:
    std::wstring skinFile_;
    std::wstring clickLog_;
    PaintTimer paintTimer_;
};

// The launcher's UI thread, without the launcher.
class ViewerThread : public pillar::FrameworkThread {
public:
    explicit ViewerThread(Options options) : pillar::FrameworkThread("MainThread"), options_(std::move(options)) {}
    ~ViewerThread() override { Stop(); }

    int ExitCode() const { return exitCode_; }

protected:
    void Init() override {
        pillar::EnrolThread(0);
        ui::UiGlobals::OpenSkinArchive("");
        ui::UiGlobals::Startup(L"resources\\", {}, false, L"themes\\default", L"lang\\zh_CN");
        // The form deletes itself once its native window is gone.
        auto* form = new ViewerForm(options_);
        if (!form->Create(nullptr, L"SkinViewer", kLauncherStyle, 0, true, RECT{0, 0, 0, 0})) {
            // The skin's message box has been shown and dismissed.
            exitCode_ = 1;
            ::PostQuitMessage(1);
            return;
        }
        form->CenterOnScreen();
        form->ShowWindow(true, true);
    }

    void Cleanup() override {
        ui::UiGlobals::CloseSkinArchive();
        ui::UiGlobals::DeleteRenderFactory();
        ui::UiGlobals::Shutdown();
        ui::UiGlobals::ShutdownGdiplus();
        pillar::WithdrawThread();
    }

private:
    Options options_;
    int exitCode_ = 0;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ViewerThread thread(ReadOptions());
    thread.RunHere(pillar::kUILoop);
    return thread.ExitCode();
}
