#pragma once
// Free room on the drive that holds a folder, asked before a job writes a
// large file, so a player hears "not enough space" before the wait instead
// of a failure after it.
#include <cstdint>
#include <string>

namespace pillar {

struct DriveRoom {
    std::wstring drive;       // the volume's root as the player knows it: L"C:\\"
    int64_t freeBytes = -1;   // what this user may write there; -1 when unknown
};

// The room on the volume of `folder` (an existing folder, ending in "\" or
// not). Follows links, so a folder that is a link onto another drive gives
// that drive's room. freeBytes stays -1 when the system cannot tell.
DriveRoom RoomOnDriveOf(const std::wstring& folder);

} // namespace pillar
