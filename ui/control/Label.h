#pragma once
// A control with a text: the text itself or a language string id, a font
// id, per-state text colours, text padding and format flags, measuring for
// auto sizes, and painting.
//
// The template's members are defined in Label.cpp, which instantiates it
// explicitly over Control and Box (the only two bases); the extern
// declarations below keep other files from instantiating it.
#include <windows.h>

#include <map>
#include <string>

#include "ui/control/Box.h"
#include "ui/control/Control.h"

namespace ui {

// Format flags of a label and of a button (DrawText bit values).
constexpr UINT kLabelTextFormat = 0x8120;   // left, top, single line, no clip, end ellipsis
constexpr UINT kButtonTextFormat = 0x8125;  // the same, centred both ways

template <typename Base>
class LabelTemplate : public Base {
public:
    // Auto size over Control, stretch over Box; normal text colour
    // "textdefaultcolor", disabled "textdefaultdisablecolor".
    LabelTemplate();

    // --- virtual operations added after those of the base ------------------------
    // The text; when empty, the language string of the text id.
    virtual std::wstring DisplayText() const;
    virtual std::string DisplayTextUtf8() const;
    // An unchanged text does nothing; auto-sized labels re-lay out, others repaint.
    virtual void SetTextValue(const std::wstring& text);
    virtual void SetTextValueUtf8(const std::string& text);
    virtual void SetTextKey(const std::wstring& id);
    virtual void SetTextKeyUtf8(const std::string& id);

    // --- overrides ------------------------------------------------------------------
    SIZE MeasureTextSize(int availableWidth, int availableHeight, bool& needsReestimate) override;
    bool HasHotLook() const override;
    void SetAttributeValue(const std::wstring& name, const std::wstring& value) override;
    void PaintLabelText(IRenderContext& target) override;

    // --- non-virtual ----------------------------------------------------------------
    // A hot colour adds the hot fade.
    void SetTextColorForState(int state, const std::wstring& name);
    std::wstring TextColorForState(int state) const;
    // DPI-scaled.
    void SetTextInset(const RECT& padding);
    const RECT& TextInset() const { return textPadding_; }
    void SetFontId(const std::wstring& id);
    const std::wstring& FontId() const { return fontId_; }
    UINT TextFormatFlags() const { return textFormat_; }
    void SetTextFormatFlags(UINT flags) { textFormat_ = flags; }
    bool IsSingleLine() const { return singleLine_; }
    bool HasLineLimit() const { return lineLimit_; }
    const std::wstring& TextValue() const { return text_; }
    const std::wstring& TextKey() const { return textId_; }

private:
    void ResizeOrRepaint();

    std::wstring fontId_;
    UINT textFormat_ = kLabelTextFormat;
    bool singleLine_ = true;
    bool lineLimit_ = false;
    RECT textPadding_{0, 0, 0, 0};
    std::wstring text_;
    std::wstring textId_;
    std::map<int, std::wstring> textColors_;
};

extern template class LabelTemplate<Control>;
extern template class LabelTemplate<Box>;

using Label = LabelTemplate<Control>;
using LabelBox = LabelTemplate<Box>;

} // namespace ui
