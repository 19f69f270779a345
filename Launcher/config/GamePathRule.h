#pragma once
// What the configuration may name below the Game folder. The launcher runs as
// administrator and joins FolderName and ExePath to the Game folder, so a
// value that could leave it ("..\..\Windows", "C:\x", "\\host\share") would
// let a server write or start anything on the disk. Checked whether or not
// the configuration is signed: a signing key can leak, a Windows folder
// cannot be repaired.
#include <string_view>

struct GameCard;

// A plain relative path: one or more names separated by "\" or "/", none
// empty (so no leading, trailing or doubled separator, no UNC prefix), none
// "." or ".." in any form Windows accepts, no ":" at all (no drive, no NTFS
// stream) and no control character.
bool IsSafeGamePath(std::wstring_view path);

// The card's FolderName and ExePath both pass IsSafeGamePath.
bool HasSafeGamePaths(const GameCard& card);
