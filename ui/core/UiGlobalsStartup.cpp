// Start and end of the UI framework. Kept apart from the registries so code
// that only uses the registries does not pull in the render back end.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "ui/core/UiGlobals.h"
#include "ui/core/SkinBuilderService.h"
#include "ui/render/GdiPlusSession.h"
#include "ui/render/RenderFactory_GdiPlus.h"

namespace ui {
namespace {

constexpr const wchar_t* kGlobalStyleFile = L"global.xml";

std::unique_ptr<GdiPlusSession>& Gdiplus() {
    static std::unique_ptr<GdiPlusSession>* session = new std::unique_ptr<GdiPlusSession>;
    return *session;
}

} // namespace

void UiGlobals::Startup(const std::wstring& resourceRoot, const CreateControlCallback& callback, bool adaptDpi,
                        const std::wstring& theme, const std::wstring& language) {
    SetRenderFactory(std::make_unique<RenderFactory_GdiPlus>());
    SetAdaptDpi(adaptDpi);
    SetResourceRoot(resourceRoot + theme);
    SetCreateControlCallback(callback);
    // The skin builder serves unless the application put another in its place.
    if (!GetSkinBuilderService()) SetSkinBuilderService(&SkinBuilderService::Instance());
    GetSkinBuilderService()->LoadGlobalStyles(kGlobalStyleFile);
    LoadLanguage(resourceRoot, language);

    if (!Gdiplus()) Gdiplus() = std::make_unique<GdiPlusSession>();
    ::InitCommonControls();
}

void UiGlobals::ShutdownGdiplus() { Gdiplus().reset(); }

} // namespace ui
