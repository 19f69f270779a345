#pragma once
// A box whose children form a column.
#include "ui/control/Box.h"

namespace ui {

class VBox : public Box {
public:
    VBox();
};

} // namespace ui
