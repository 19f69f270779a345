#pragma once
// The skin builder behind the registry's ISkinBuilderService hook: start-up
// loads global.xml through it and the builder cache makes its builders here.
#include <memory>
#include <string>

#include "ui/core/UiGlobals.h"

namespace ui {

class SkinBuilderService : public ISkinBuilderService {
public:
    // The one instance UiGlobals::Startup registers when no other service is set.
    static SkinBuilderService& Instance();

    // Builds the global style file against a temporary window that is never
    // created; true when the file was read and parsed.
    bool LoadGlobalStyles(const std::wstring& markup) override;
    std::shared_ptr<SkinBuilder> NewBuilder() override;
    Control* Create(SkinBuilder& builder, const std::wstring& markup, const CreateControlCallback& callback) override;
};

} // namespace ui
