#pragma once
// A box whose children form a row.
#include "ui/control/Box.h"

namespace ui {

class HBox : public Box {
public:
    HBox();
};

} // namespace ui
