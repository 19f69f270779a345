#pragma once
// A parsed b2sum hash list as the patcher looks files up: by the name with
// "/" between folders, as wide text. A file named twice with two different
// hashes makes the list unusable: which one the release means is unknown.
#include <map>
#include <string>

#include "Launcher/trust/B2sumList.h"

bool StrongHashesOf(const trust::B2sumList& list, std::map<std::wstring, std::string>& hashes);
