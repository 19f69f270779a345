// The element names the builder makes by itself. Controls this framework
// does not implement yet are made as the nearest kind it has, so that a
// skin naming them still loads: containers as boxes with the nearest
// layout, selectable items as buttons, value controls as progress bars and
// text controls as labels.
#include <map>

#include "ui/control/Box.h"
#include "ui/control/Button.h"
#include "ui/control/HBox.h"
#include "ui/control/Label.h"
#include "ui/control/Progress.h"
#include "ui/control/VBox.h"
#include "ui/core/SkinBuilder.h"

namespace ui {

namespace {

using Factory = std::unique_ptr<Control> (*)();

template <typename T>
std::unique_ptr<Control> Make() {
    return std::make_unique<T>();
}

const std::map<std::wstring, Factory>& ElementTable() {
    static const std::map<std::wstring, Factory> table = {
        {L"Box", &Make<Box>},
        {L"HBox", &Make<HBox>},
        {L"VBox", &Make<VBox>},
        {L"TabBox", &Make<Box>},          // pages overlay each other
        {L"TileBox", &Make<HBox>},        // tiles in a row
        {L"ChildBox", &Make<Box>},
        {L"Control", &Make<Control>},
        {L"Label", &Make<Label>},
        {L"Button", &Make<Button>},
        {L"Option", &Make<Button>},
        {L"CheckBox", &Make<Button>},
        {L"LabelBox", &Make<LabelBox>},
        {L"ButtonBox", &Make<ButtonBox>},
        {L"OptionBox", &Make<ButtonBox>},
        {L"CheckBoxBox", &Make<ButtonBox>},
        {L"Progress", &Make<Progress>},
        {L"CircleProgress", &Make<Progress>},
        {L"Slider", &Make<Progress>},     // a value between a minimum and a maximum
        {L"ScrollBar", &Make<Control>},
        {L"Combo", &Make<Label>},         // shows the chosen text
        {L"RichEdit", &Make<Label>},
        {L"ListBox", &Make<Box>},
        {L"HListBox", &Make<HBox>},
        {L"VListBox", &Make<VBox>},
        {L"TileListBox", &Make<HBox>},
        {L"VirtualListBox", &Make<VBox>},
        {L"ListContainerElement", &Make<ButtonBox>},  // a selectable item holding controls
        {L"TreeView", &Make<VBox>},
        {L"TreeNode", &Make<ButtonBox>},
    };
    return table;
}

} // namespace

std::unique_ptr<Control> SkinBuilder::MakeControlByName(const std::wstring& name) {
    const auto& table = ElementTable();
    auto it = table.find(name);
    return it == table.end() ? nullptr : it->second();
}

} // namespace ui
