#include "ui/control/HBox.h"

#include "ui/control/HLayout.h"

namespace ui {

HBox::HBox() : Box(std::make_unique<HLayout>()) {}

} // namespace ui
