#pragma once
// How a card's game is started: its executable below the game folder, in its
// own folder, with the configured parameters.
#include <string>

// The text before the last "\" or "/" of `path`; the whole path when it has
// neither.
std::wstring ParentFolder(const std::wstring& path);

struct GameLaunchPlan {
    std::wstring executablePath;  // game folder + ExePath
    std::wstring workingFolder;   // ParentFolder(executablePath) + "\"
    // The executable path, in double quotes when it holds a blank (so Windows
    // cannot take a leading part such as "C:\Program" for the program), then
    // one space and the parameters unless they are empty.
    std::wstring commandLine;
};

// `gameFolder` ends in "\"; `exePath` and `parameters` are the
// configuration's values.
GameLaunchPlan MakeGameLaunchPlan(const std::wstring& gameFolder, const std::wstring& exePath,
                                  const std::wstring& parameters);

// Starts the game in a new console and does not wait for it. False, with
// nothing started, when the executable cannot be opened for reading; false
// too when the system refuses the start.
bool StartGame(const GameLaunchPlan& plan);
