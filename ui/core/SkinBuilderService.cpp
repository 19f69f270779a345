#include "ui/core/SkinBuilderService.h"

#include "ui/control/Control.h"
#include "ui/core/SkinBuilder.h"
#include "ui/core/Window.h"

namespace ui {

SkinBuilderService& SkinBuilderService::Instance() {
    static SkinBuilderService service;
    return service;
}

bool SkinBuilderService::LoadGlobalStyles(const std::wstring& markup) {
    Window temporary;
    SkinBuilder builder;
    // A global file holds no controls; any it does hold are not kept.
    std::unique_ptr<Control> stray(builder.Create(markup, {}, &temporary));
    return builder.HasDocument();
}

std::shared_ptr<SkinBuilder> SkinBuilderService::NewBuilder() { return std::make_shared<SkinBuilder>(); }

Control* SkinBuilderService::Create(SkinBuilder& builder, const std::wstring& markup,
                                    const CreateControlCallback& callback) {
    return builder.Create(markup, callback);
}

} // namespace ui
