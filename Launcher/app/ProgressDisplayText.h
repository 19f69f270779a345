#pragma once
// The texts of a card's progress display: the bar's value, the label's
// percentage, and the short notice a failed install leaves on the label.
#include <string>

#include "Launcher/flows/ArchiveInstall.h"

// "37" for the bar's "value" attribute.
std::wstring ProgressValueText(int percent);
// "37%" for the label's "text" attribute.
std::wstring ProgressLabelText(int percent);

// The notice for a failed install in `language` (0 English, anything else
// Chinese); empty for a successful one.
std::wstring InstallFailureText(ArchiveInstall::Result result, int language);
