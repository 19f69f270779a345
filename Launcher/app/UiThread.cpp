#include "Launcher/app/UiThread.h"

#include "Launcher/app/LauncherWindow.h"
#include "pillar/ThreadRegistry.h"
#include "pillar/ThreadTlsRecord.h"
#include "ui/control/ImageSlot.h"
#include "ui/core/UiGlobals.h"

namespace {

constexpr int32_t kUiThreadIdentifier = 0;
// WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX: no maximise box.
constexpr DWORD kLauncherStyle = 0x00CE0000;

} // namespace

UiThread::UiThread() : pillar::FrameworkThread("UiThread") {}

void UiThread::Init() {
    pillar::EnrolThread(kUiThreadIdentifier);
    ui::UiGlobals::OpenSkinArchive("");
    ui::UiGlobals::Startup(L"resources\\", nullptr, false, L"themes\\default", L"lang\\zh_CN");
    // Before any worker decodes a picture into the shared cache.
    ui::RegisterImageDecoder();
    // The form deletes itself once its native window is gone, which a
    // failed creation (a skin that did not load) already is: then there is
    // nothing to show and nothing would ever end the loop.
    LauncherWindow* form = new LauncherWindow();
    if (!form->Create(nullptr, LauncherClassName, kLauncherStyle, 0, true, RECT{0, 0, 0, 0})) {
        ::PostQuitMessage(0);
        return;
    }
    form->CenterOnScreen();
    form->ShowWindow(true, true);
}

void UiThread::Cleanup() {
    if (ui::UiGlobals::IsSkinArchiveOpen()) ui::UiGlobals::CloseSkinArchive();
    ui::UiGlobals::DeleteRenderFactory();
    ui::UiGlobals::Shutdown();
    ui::UiGlobals::ShutdownGdiplus();
    if (pillar::ThreadTlsRecord* record = pillar::CurrentThreadRecord()) record->quitProperly = true;
    pillar::WithdrawThread();
}
