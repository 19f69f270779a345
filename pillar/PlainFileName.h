#pragma once
// Checks for names taken from outside (URLs, update lists) before they are
// joined to a local folder.
#include <string>
#include <string_view>

namespace pillar {

// What a path component made only of dots and spaces means to Windows, which
// drops the trailing dots and spaces of a name: the folder itself (no dot or
// one: "", " ", ".", " . ") or its parent (two dots or more: "..", "...",
// ".. ", ". ."). Any other component is an ordinary name.
enum class DotComponent { Name, Self, Parent };
DotComponent ClassifyDotComponent(std::string_view component);
DotComponent ClassifyDotComponent(std::wstring_view component);

// A name that can only mean a file directly inside the folder it is joined
// to: not empty, no "\", "/" or ":", and not "." or ".." in any form.
bool IsPlainFileName(std::string_view name);
bool IsPlainFileName(std::wstring_view name);

} // namespace pillar
