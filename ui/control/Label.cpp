#include "ui/control/Label.h"

#include <memory>
#include <type_traits>

#include "pillar/TextConversion.h"
#include "ui/control/AttributeValues.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/Window.h"
#include "ui/render/IRenderContext.h"
#include "ui/render/IRenderFactory.h"

namespace ui {

namespace {

constexpr const wchar_t* kDefaultTextColor = L"textdefaultcolor";
constexpr const wchar_t* kDefaultDisabledTextColor = L"textdefaultdisablecolor";

// How one word of the "align" value changes the format flags.
struct AlignWord {
    const wchar_t* word;
    UINT clears;
    UINT sets;
};

// Searched as substrings, always in this order: "vcenter" therefore also
// applies the "center" row, and later rows win.
constexpr AlignWord kAlignWords[] = {
    {L"left", 0x27, 0x00},   {L"center", 0x02, 0x01}, {L"right", 0x25, 0x02},
    {L"top", 0x0C, 0x20},    {L"vcenter", 0x08, 0x25}, {L"bottom", 0x04, 0x28},
};

UINT ApplyAlignWords(UINT flags, const std::wstring& value) {
    for (const AlignWord& row : kAlignWords) {
        if (value.find(row.word) == std::wstring::npos) continue;
        flags = (flags & ~row.clears) | row.sets;
    }
    return flags;
}

int TextColorState(const std::wstring& name) {
    if (name == L"normaltextcolor") return kStateNormal;
    if (name == L"hottextcolor") return kStateHot;
    if (name == L"pushedtextcolor") return kStatePushed;
    if (name == L"disabledtextcolor") return kStateDisabled;
    return -1;
}

UINT WithSingleLine(UINT flags, bool singleLine) {
    return singleLine ? (flags | kTextSingleLine) : (flags & ~static_cast<UINT>(kTextSingleLine));
}

// Text is measured with the window's render context; a tree that has no
// window yet (built or laid out off-screen) shares one made for measuring.
IRenderContext* MeasuringContext(Window* window) {
    if (window && window->RenderContext()) return window->RenderContext();
    static std::unique_ptr<IRenderContext> shared;
    if (!shared) {
        IRenderFactory* factory = UiGlobals::GetRenderFactory();
        if (factory) shared = factory->NewRenderContext();
    }
    return shared.get();
}

} // namespace

template <typename Base>
LabelTemplate<Base>::LabelTemplate() {
    const int size = std::is_same<Base, Box>::value ? kSizeStretch : kSizeAuto;
    this->SetWidthSpec(size, false);
    this->SetHeightSpec(size);
    textColors_[kStateNormal] = kDefaultTextColor;
    textColors_[kStateDisabled] = kDefaultDisabledTextColor;
}

template <typename Base>
std::wstring LabelTemplate<Base>::DisplayText() const {
    if (!text_.empty() || textId_.empty()) return text_;
    return UiGlobals::Strings().LookupString(textId_);
}

template <typename Base>
std::string LabelTemplate<Base>::DisplayTextUtf8() const {
    return pillar::WideToUtf8(DisplayText());
}

template <typename Base>
void LabelTemplate<Base>::SetTextValue(const std::wstring& text) {
    if (text == text_) return;
    text_ = text;
    ResizeOrRepaint();
}

template <typename Base>
void LabelTemplate<Base>::ResizeOrRepaint() {
    // A label that sizes itself to its text needs a new place; others repaint.
    if (this->IsAutoSized())
        this->RequestParentLayout();
    else
        this->MarkDirty();
}

template <typename Base>
void LabelTemplate<Base>::SetTextValueUtf8(const std::string& text) {
    SetTextValue(pillar::Utf8ToWide(text));
}

template <typename Base>
void LabelTemplate<Base>::SetTextKey(const std::wstring& id) {
    if (id == textId_) return;
    textId_ = id;
    ResizeOrRepaint();
}

template <typename Base>
void LabelTemplate<Base>::SetTextKeyUtf8(const std::string& id) {
    SetTextKey(pillar::Utf8ToWide(id));
}

template <typename Base>
SIZE LabelTemplate<Base>::MeasureTextSize(int availableWidth, int /*availableHeight*/, bool& needsReestimate) {
    textFormat_ = WithSingleLine(textFormat_, singleLine_);
    const std::wstring text = DisplayText();
    if (text.empty()) return SIZE{0, 0};
    IRenderContext* context = MeasuringContext(this->HostWindow());
    if (!context) return SIZE{0, 0};

    const int horizontalPadding = textPadding_.left + textPadding_.right;
    const int widthLimit = this->FixedWidth() < 0 ? 0 : this->FixedWidth();
    RECT measured = context->MeasureTextBox(text, fontId_, textFormat_, widthLimit);
    if (!singleLine_ && this->FixedWidth() == kSizeAuto && this->MaxWidth() == kSizeStretch) {
        // Wrapping text depends on the width the parent can give.
        needsReestimate = true;
        const int room = availableWidth - horizontalPadding;
        if (room < measured.right - measured.left) measured = context->MeasureTextBox(text, fontId_, textFormat_, room);
    }
    return SIZE{horizontalPadding + (measured.right - measured.left),
                textPadding_.top + textPadding_.bottom + (measured.bottom - measured.top)};
}

template <typename Base>
bool LabelTemplate<Base>::HasHotLook() const {
    return Base::HasHotLook() || !TextColorForState(kStateHot).empty();
}

template <typename Base>
void LabelTemplate<Base>::SetAttributeValue(const std::wstring& name, const std::wstring& value) {
    if (name == L"align") {
        textFormat_ = ApplyAlignWords(textFormat_, value);
    } else if (name == L"endellipsis") {
        textFormat_ = IsTrueValue(value) ? (textFormat_ | kTextEndEllipsis)
                                         : (textFormat_ & ~static_cast<UINT>(kTextEndEllipsis));
    } else if (name == L"linelimit") {
        const bool on = IsTrueValue(value);
        if (on == lineLimit_) return;
        lineLimit_ = on;
        this->MarkDirty();
    } else if (name == L"singleline") {
        const bool on = IsTrueValue(value);
        if (on == singleLine_) return;
        singleLine_ = on;
        this->MarkDirty();
    } else if (name == L"text") {
        SetTextValue(value);
    } else if (name == L"textid") {
        SetTextKey(value);
    } else if (name == L"font") {
        SetFontId(value);
    } else if (TextColorState(name) == kStateHot) {
        SetTextColorForState(kStateHot, value);
    } else if (TextColorState(name) >= 0) {
        textColors_[TextColorState(name)] = value;
        this->MarkDirty();
    } else if (name == L"textpadding") {
        SetTextInset(ReadRect(value));
    } else {
        Base::SetAttributeValue(name, value);
    }
}

template <typename Base>
void LabelTemplate<Base>::SetTextColorForState(int state, const std::wstring& name) {
    if (state == kStateHot) this->AddAnimation(kAnimationFadeHot);
    textColors_[state] = name;
    this->MarkDirty();
}

template <typename Base>
std::wstring LabelTemplate<Base>::TextColorForState(int state) const {
    auto it = textColors_.find(state);
    return it == textColors_.end() ? std::wstring() : it->second;
}

template <typename Base>
void LabelTemplate<Base>::SetTextInset(const RECT& padding) {
    textPadding_ = ScaleRectByDpi(padding);
    ResizeOrRepaint();
}

template <typename Base>
void LabelTemplate<Base>::SetFontId(const std::wstring& id) {
    fontId_ = id;
    this->MarkDirty();
}

template <typename Base>
void LabelTemplate<Base>::PaintLabelText(IRenderContext& target) {
    const std::wstring text = DisplayText();
    if (text.empty()) return;
    const RECT& position = this->Position();
    const RECT rect{position.left + textPadding_.left, position.top + textPadding_.top,
                    position.right - textPadding_.right, position.bottom - textPadding_.bottom};

    // A state without its own colour borrows: pushed from hot, hot and
    // disabled from normal.
    int state = this->VisualState();
    if (state == kStatePushed && TextColorForState(kStatePushed).empty()) state = kStateHot;
    if ((state == kStateHot || state == kStateDisabled) && TextColorForState(state).empty()) state = kStateNormal;
    textFormat_ = WithSingleLine(textFormat_, singleLine_);

    auto draw = [&](const std::wstring& colorName, int alpha) {
        const uint32_t color = UiGlobals::NamedColor(colorName);
        if (color == 0) return;  // unknown or empty names draw nothing
        target.RenderText(rect, text, color, fontId_, textFormat_, static_cast<BYTE>(alpha), lineLimit_);
    };
    const std::wstring hotColor = TextColorForState(kStateHot);
    if (this->HasAnimation(kAnimationFadeHot) && (state == kStateNormal || state == kStateHot) && !hotColor.empty()) {
        draw(TextColorForState(kStateNormal), 255);
        const int hotAlpha = this->HotAlpha() > 255 ? 255 : this->HotAlpha();
        if (hotAlpha >= 1) draw(hotColor, hotAlpha);
        return;
    }
    draw(TextColorForState(state), 255);
}

template class LabelTemplate<Control>;
template class LabelTemplate<Box>;

} // namespace ui
