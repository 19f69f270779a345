#pragma once
// Builds the update list of a game folder for the operator: every file below
// the folder as "relative\name+value", entries joined with "|", in the form
// FileListPatcher reads.
#include <string>

// Walks `folder` (no trailing separator needed) and writes the list to `list`
// as UTF-8 text, so it names the same files on every player's system. Names
// are relative with "\" between folders. False, with `problem` set, when the
// folder cannot be read, a file cannot be read, or a name holds a list
// separator ("|" or "+") or is not valid Unicode.
bool BuildUpdateList(const std::wstring& folder, std::string& list, std::wstring& problem);
