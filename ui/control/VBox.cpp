#include "ui/control/VBox.h"

#include "ui/control/VLayout.h"

namespace ui {

VBox::VBox() : Box(std::make_unique<VLayout>()) {}

} // namespace ui
