#pragma once
// The record a demo game leaves next to itself when it starts, so tests can
// tell that it ran, with which parameters and in which folder.
#include <string>

// The parameters part of a Windows command line: everything after the
// program token (quoted or not) and the blanks that follow it.
std::wstring ParametersOf(const std::wstring& commandLine);

// "<folder of module>\<module name without extension>.started".
std::wstring StartMarkerPathFor(const std::wstring& modulePath);

// The marker's UTF-8 text: one "key=value" line per fact.
std::string StartMarkerText(const std::wstring& modulePath, const std::wstring& commandLine,
                            const std::wstring& workingFolder, const std::wstring& startedUtc);

// Writes the marker through a temporary file and a rename, so a reader
// polling for it never sees half a record. False when either step fails.
bool WriteStartMarker(const std::wstring& markerPath, const std::string& text);
