#include "ui/core/SkinRootSettings.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cwchar>

#include "ui/control/AttributeValues.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/Window.h"

namespace ui {

namespace {

constexpr int kDefaultFontSize = 12;

template <typename Apply>
void ForEachAttribute(MarkupNode& node, Apply apply) {
    const int count = node.AttributeCount();
    for (int i = 0; i < count; ++i) apply(node.AttributeName(i), node.AttributeValue(i));
}

RECT ShadowBand(const Window& window) {
    return window.Shadow().IsAttached() ? window.Shadow().ShadowCorner() : RECT{0, 0, 0, 0};
}

// The content height is a share of the monitor's work area, kept within the
// window's minimum and maximum heights; the width stays what it is now.
void ApplyHeightPercent(Window& window, double percent) {
    window.SetHeightPercent(percent);
    HWND handle = window.NativeHandle();
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromWindow(handle, MONITOR_DEFAULTTOPRIMARY), &info)) return;
    const double wanted = std::trunc((info.rcWork.bottom - info.rcWork.top) * percent);
    int height = std::isnan(wanted) || wanted < 0 ? 0 : static_cast<int>(std::min<double>(wanted, INT_MAX));

    const RECT band = ShadowBand(window);
    const int bandHeight = band.top + band.bottom;
    if (window.MinInfo().cy != 0) height = std::max<int>(height, window.MinInfo().cy - bandHeight);
    if (window.MaxInfo().cy != 0) height = std::min<int>(height, window.MaxInfo().cy - bandHeight);
    RECT client{};
    ::GetClientRect(handle, &client);
    window.SetStartSize(client.right - client.left - band.left - band.right, height, false, false);
}

void ApplyWindowAttribute(Window& window, const std::wstring& name, const std::wstring& value) {
    if (name == L"size") {
        const SIZE size = ReadSize(value);
        window.SetStartSize(size.cx, size.cy);
    } else if (name == L"heightpercent") {
        ApplyHeightPercent(window, std::wcstod(value.c_str(), nullptr));
    } else if (name == L"sizebox") {
        window.SetSizeBox(ReadRect(value), false);
    } else if (name == L"caption") {
        window.SetCaptionRect(ReadRect(value));
    } else if (name == L"textid") {
        window.SetWindowTitle(UiGlobals::Strings().LookupString(value));
    } else if (name == L"roundcorner") {
        const SIZE round = ReadSize(value);
        window.SetRoundCorner(round.cx, round.cy);
    } else if (name == L"mininfo") {
        const SIZE size = ReadSize(value);
        window.SetMinInfo(size.cx, size.cy);
    } else if (name == L"maxinfo") {
        const SIZE size = ReadSize(value);
        window.SetMaxInfo(size.cx, size.cy);
    } else if (name == L"shadowattached") {
        window.Shadow().SetAttached(IsTrueValue(value));
    } else if (name == L"shadowimage") {
        window.Shadow().SetShadowImage(value);
    } else if (name == L"shadowcorner") {
        window.Shadow().SetShadowCorner(ReadRect(value));
    } else if (name == L"alphafixcorner" || name == L"custom_shadow") {
        window.SetAlphaFixCorner(ReadRect(value));
    }
}

// Link and selection colours are resolved once, when the file is read.
std::wstring ResolvedColorText(const std::wstring& name) {
    wchar_t text[16];
    std::swprintf(text, 16, L"#%08X", static_cast<unsigned>(UiGlobals::NamedColor(name)));
    return text;
}

void ApplyGlobalAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"disabledfontcolor")
        UiGlobals::SetDefaultDisabledColor(value);
    else if (name == L"defaultfontcolor")
        UiGlobals::SetDefaultTextColor(value);
    else if (name == L"linkfontcolor")
        UiGlobals::SetDefaultLinkColor(ResolvedColorText(value));
    else if (name == L"linkhoverfontcolor")
        UiGlobals::SetDefaultLinkHoverColor(ResolvedColorText(value));
    else if (name == L"selectedcolor")
        UiGlobals::SetDefaultSelectedBkColor(ResolvedColorText(value));
}

std::wstring Attribute(MarkupNode& node, const wchar_t* name) {
    std::wstring value;
    node.AttributeValue(name, value);
    return value;
}

} // namespace

void ApplyWindowAttributes(MarkupNode root, Window& window) {
    ForEachAttribute(root, [&window](const std::wstring& name, const std::wstring& value) {
        ApplyWindowAttribute(window, name, value);
    });
}

void ApplyGlobalAttributes(MarkupNode root) { ForEachAttribute(root, ApplyGlobalAttribute); }

void RegisterFontElement(MarkupNode node) {
    const std::wstring face = Attribute(node, L"name");
    if (face.empty()) return;
    std::wstring size;
    const int pixels = node.AttributeValue(L"size", size) ? ReadInt(size) : kDefaultFontSize;
    UiGlobals::AddNamedFont(Attribute(node, L"id"), face, pixels, IsTrueValue(Attribute(node, L"bold")),
                            IsTrueValue(Attribute(node, L"underline")), IsTrueValue(Attribute(node, L"italic")),
                            IsTrueValue(Attribute(node, L"default")));
}

void RegisterTextColorElement(MarkupNode node) {
    const std::wstring name = Attribute(node, L"name");
    if (!name.empty()) UiGlobals::AddNamedColor(name, Attribute(node, L"value"));
}

std::wstring ClassAttributeText(MarkupNode node) {
    std::wstring text;
    const int count = node.AttributeCount();
    for (int i = 0; i < count; ++i) {
        const std::wstring name = node.AttributeName(i);
        const std::wstring value = node.AttributeValue(i);
        if (name == L"name") continue;
        if (name == L"value")
            text += value;
        else if (name == L"_value")
            text += L" value=\"" + value + L"\"";
        else
            text += L" " + name + L"=\"" + value + L"\"";
    }
    const size_t start = text.find_first_not_of(L" \t\r\n");
    return start == std::wstring::npos ? std::wstring() : text.substr(start);
}

} // namespace ui
