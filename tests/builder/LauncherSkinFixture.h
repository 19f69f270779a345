#pragma once
// The launcher's own skin, from the archive packed into this test program,
// loaded by a window base that is created but never shown.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/control/Box.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/WindowImplBase.h"

namespace builder_test {

// The launcher's window style (caption, system menu, sizing frame, minimise).
constexpr DWORD kLauncherStyle = 0x00CE0000;

class SkinHost : public ui::WindowImplBase {
public:
    SkinHost(std::wstring folder, std::wstring file) : folder_(std::move(folder)), file_(std::move(file)) {}
    std::wstring WindowClassName() const override { return L"BuilderTestSkinHost"; }
    std::wstring SkinFolder() const override { return folder_; }
    std::wstring SkinFile() const override { return file_; }

private:
    std::wstring folder_;
    std::wstring file_;
};

class LauncherSkin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ui::UiGlobals::OpenSkinArchive(""));
        ui::UiGlobals::Startup(L"resources\\", nullptr, false, L"themes\\default", L"lang\\zh_CN");
    }
    void TearDown() override {
        if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);  // the host deletes itself
        ui::UiGlobals::CloseSkinArchive();
        ui::UiGlobals::Shutdown();
    }

    // Creates the hidden launcher window; null when the skin did not load.
    SkinHost* CreateHost(const std::wstring& file = L"basic.xml") {
        auto* host = new SkinHost(L"basic", file);
        hwnd_ = host->Create(nullptr, L"Launcher", kLauncherStyle, 0);
        return hwnd_ ? host : nullptr;
    }

    // One layout pass over the whole client area, as the first paint does.
    static void LayOut(SkinHost& host) {
        RECT client{};
        ::GetClientRect(host.NativeHandle(), &client);
        host.RootBox()->Place(client);
    }

    HWND hwnd_ = nullptr;
};

} // namespace builder_test
