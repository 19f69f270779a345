#pragma once
// Builds the update list of a game folder for the operator: every file below
// the folder as "relative\name+value", entries joined with "|", in the form
// FileListPatcher reads.
#include <string>

// Walks `folder` (no trailing separator needed) and writes the list to `list`.
// Names are relative with "\" between folders, in the system code page like
// the game folder the launcher appends them to. False, with `problem` set,
// when the folder cannot be read, a file cannot be read, or a name cannot be
// written in the system code page.
bool BuildUpdateList(const std::wstring& folder, std::string& list, std::wstring& problem);
