// Markup attributes of a control: the name table, attribute texts and the
// apply action of markup events.
#include <windows.h>

#include <unordered_map>

#include "ui/control/AttributeValues.h"
#include "ui/control/Box.h"
#include "ui/control/Control.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/Window.h"

namespace ui {

namespace {

using AttributeSetter = void (*)(Control&, const std::wstring&);

// A keyword of `words` (index = value), or -1.
int KeywordIndex(const std::wstring& value, std::initializer_list<const wchar_t*> words) {
    int index = 0;
    for (const wchar_t* word : words) {
        if (value == word)
            return index;
        ++index;
    }
    return -1;
}

// "stretch", "auto" or a number.
int SizeValue(const std::wstring& value) {
    if (value == L"stretch")
        return kSizeStretch;
    if (value == L"auto")
        return kSizeAuto;
    return ReadInt(value);
}

void ApplyClasses(Control& control, const std::wstring& names) {
    std::size_t pos = 0;
    while (pos < names.size()) {
        std::size_t end = names.find(L' ', pos);
        if (end == std::wstring::npos)
            end = names.size();
        const std::wstring name = names.substr(pos, end - pos);
        pos = end + 1;
        if (name.empty())
            continue;
        std::wstring attributes = UiGlobals::StyleClassAttributes(name);
        if (attributes.empty() && control.HostWindow())
            attributes = control.HostWindow()->StyleClassAttributes(name);
        if (!attributes.empty())
            control.ApplyAttributeText(attributes);
    }
}

void ApplyBorderSize(Control& control, const std::wstring& value) {
    if (value.find(L',') == std::wstring::npos)
        control.SetBorderWidths(ReadInt(value));
    else
        control.SetBorderWidths(ReadRect(value));
}

void ApplyState(Control& control, const std::wstring& value) {
    const int state = KeywordIndex(value, {L"normal", L"hot", L"pushed", L"disabled"});
    if (state < 0)
        return;
    if (state == kStateNormal)
        control.SetHotAlpha(0);
    else if (state == kStateHot)
        control.SetHotAlpha(255);
    control.SetVisualState(state);
    control.MarkDirty();
}

void ApplyAnimationFlag(Control& control, AnimationKind kind, const std::wstring& value) {
    if (IsTrueValue(value))
        control.AddAnimation(kind);
    else
        control.RemoveAnimation(kind);
}

template <int State>
void StateColor(Control& control, const std::wstring& value) {
    control.SetColorForState(State, value);
}

template <int State>
void StateImage(Control& control, const std::wstring& value) {
    control.SetImageForState(State, value);
}

template <int State>
void ForeImage(Control& control, const std::wstring& value) {
    control.SetForeImageForState(State, value);
}

template <int Side>
void SideBorder(Control& control, const std::wstring& value) {
    control.SetSideBorderWidth(Side, ReadInt(value));
}

template <AnimationKind Kind>
void AnimationFlag(Control& control, const std::wstring& value) {
    ApplyAnimationFlag(control, Kind, value);
}

const std::unordered_map<std::wstring, AttributeSetter>& AttributeTable() {
    static const std::unordered_map<std::wstring, AttributeSetter> table = {
        {L"class", ApplyClasses},
        {L"halign",
         [](Control& c, const std::wstring& v) {
             const int align = KeywordIndex(v, {L"left", L"center", L"right"});
             if (align >= 0)
                 c.SetHorizontalAlign(align);
         }},
        {L"valign",
         [](Control& c, const std::wstring& v) {
             const int align = KeywordIndex(v, {L"top", L"center", L"bottom"});
             if (align >= 0)
                 c.SetVerticalAlign(align);
         }},
        {L"margin", [](Control& c, const std::wstring& v) { c.SetMarginRect(ReadRect(v), true); }},
        {L"bkcolor", [](Control& c, const std::wstring& v) { c.SetBackgroundColor(v); }},
        {L"bkcolor1", [](Control& c, const std::wstring& v) { c.SetBackgroundColor(v); }},
        {L"bordersize", ApplyBorderSize},
        {L"borderround",
         [](Control& c, const std::wstring& v) {
             const SIZE round = ReadSize(v);
             c.SetCornerRound(round.cx, round.cy);
         }},
        {L"width", [](Control& c, const std::wstring& v) { c.SetWidthSpec(SizeValue(v), true, true); }},
        {L"height", [](Control& c, const std::wstring& v) { c.SetHeightSpec(SizeValue(v), true); }},
        {L"maxwidth", [](Control& c, const std::wstring& v) { c.SetWidthMax(SizeValue(v)); }},
        {L"maxheight", [](Control& c, const std::wstring& v) { c.SetHeightMax(SizeValue(v)); }},
        {L"minwidth", [](Control& c, const std::wstring& v) { c.SetWidthMin(ReadInt(v)); }},
        {L"minheight", [](Control& c, const std::wstring& v) { c.SetHeightMin(ReadInt(v)); }},
        {L"state", ApplyState},
        {L"cursortype",
         [](Control& c, const std::wstring& v) {
             const int cursor = KeywordIndex(v, {L"arrow", L"hand", L"ibeam"});
             if (cursor >= 0)
                 c.SetCursorKind(cursor);
         }},
        {L"renderoffset",
         [](Control& c, const std::wstring& v) {
             const SIZE offset = ReadSize(v);
             c.SetRenderOffset(POINT{offset.cx, offset.cy}, true);
         }},
        {L"normalcolor", StateColor<kStateNormal>},
        {L"hotcolor", StateColor<kStateHot>},
        {L"pushedcolor", StateColor<kStatePushed>},
        {L"disabledcolor", StateColor<kStateDisabled>},
        {L"bordercolor", [](Control& c, const std::wstring& v) { c.SetBorderColorName(v); }},
        {L"leftbordersize", SideBorder<0>},
        {L"topbordersize", SideBorder<1>},
        {L"rightbordersize", SideBorder<2>},
        {L"bottombordersize", SideBorder<3>},
        {L"bkimage", [](Control& c, const std::wstring& v) { c.SetBackgroundImage(v); }},
        {L"name", [](Control& c, const std::wstring& v) { c.SetControlName(v); }},
        {L"tooltiptext", [](Control& c, const std::wstring& v) { c.SetTooltip(v); }},
        {L"tooltiptextid", [](Control& c, const std::wstring& v) { c.SetTooltipId(v); }},
        {L"dataid", [](Control& c, const std::wstring& v) { c.SetDataTag(v); }},
        {L"enabled", [](Control& c, const std::wstring& v) { c.SetInteractive(IsTrueValue(v)); }},
        {L"mouse", [](Control& c, const std::wstring& v) { c.SetAcceptsMouse(IsTrueValue(v)); }},
        {L"keyboard", [](Control& c, const std::wstring& v) { c.SetAcceptsKeyboard(IsTrueValue(v)); }},
        {L"visible", [](Control& c, const std::wstring& v) { c.SetShown(IsTrueValue(v)); }},
        {L"fadevisible", [](Control& c, const std::wstring& v) { c.ShowAnimated(IsTrueValue(v)); }},
        {L"float", [](Control& c, const std::wstring& v) { c.SetFloat(IsTrueValue(v)); }},
        {L"menu", [](Control& c, const std::wstring& v) { c.SetContextMenuEnabled(IsTrueValue(v)); }},
        {L"cache", [](Control& c, const std::wstring& v) { c.SetCacheEnabled(IsTrueValue(v)); }},
        // The value is not examined: "nofocus"="false" refuses focus too.
        {L"nofocus", [](Control& c, const std::wstring&) { c.SetRefusesFocus(true); }},
        {L"alpha", [](Control& c, const std::wstring& v) { c.SetOpacity(ReadInt(v)); }},
        {L"normalimage", StateImage<kStateNormal>},
        {L"hotimage", StateImage<kStateHot>},
        {L"pushedimage", StateImage<kStatePushed>},
        {L"disabledimage", StateImage<kStateDisabled>},
        {L"forenormalimage", ForeImage<kStateNormal>},
        {L"forehotimage", ForeImage<kStateHot>},
        {L"forepushedimage", ForeImage<kStatePushed>},
        {L"foredisabledimage", ForeImage<kStateDisabled>},
        {L"fadealpha", AnimationFlag<kAnimationFadeAlpha>},
        {L"fadehot", AnimationFlag<kAnimationFadeHot>},
        {L"fadewidth", AnimationFlag<kAnimationFadeWidth>},
        {L"fadeheight", AnimationFlag<kAnimationFadeHeight>},
        {L"fadeinoutxfromleft", AnimationFlag<kAnimationSlideFromLeft>},
        {L"fadeinoutxfromright", AnimationFlag<kAnimationSlideFromRight>},
        {L"fadeinoutyfromtop", AnimationFlag<kAnimationSlideFromTop>},
        {L"fadeinoutyfrombottom", AnimationFlag<kAnimationSlideFromBottom>},
        {L"receivepointer", [](Control& c, const std::wstring& v) { c.SetReceivesPointer(IsTrueValue(v)); }},
    };
    return table;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

} // namespace

void Control::SetAttributeValue(const std::wstring& name, const std::wstring& value) {
    const auto& table = AttributeTable();
    auto it = table.find(name);
    if (it != table.end())
        it->second(*this, value);
}

void Control::ApplyAttributeText(const std::wstring& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t equals = text.find(L'=', pos);
        if (equals == std::wstring::npos || equals + 1 >= text.size() || text[equals + 1] != L'"')
            return;
        const std::size_t close = text.find(L'"', equals + 2);
        if (close == std::wstring::npos)
            return;
        SetAttributeValue(text.substr(pos, equals - pos), text.substr(equals + 2, close - equals - 2));
        pos = close + 1;
        if (pos >= text.size() || text[pos] != L' ')
            return;
        ++pos;
    }
}

bool Control::ApplyAttributeTo(const std::wstring& receiver, const std::wstring& attributeText) {
    Control* target = nullptr;
    if (StartsWith(receiver, L".\\") || StartsWith(receiver, L"./")) {
        if (Box* box = dynamic_cast<Box*>(this)) {
            target = box->FindByName(receiver.substr(2));
            if (target == this)
                target = nullptr;  // descendants only
        }
    } else if (Window* window = HostWindow()) {
        target = window->FindInWindow(receiver);
    }
    if (target)
        target->ApplyAttributeText(attributeText);
    return true;
}

} // namespace ui
