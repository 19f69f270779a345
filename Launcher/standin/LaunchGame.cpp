// Link stand-in, used only while Launcher/BasicForm_LaunchGame.cpp is not in
// the tree (see Launcher/CMakeLists.txt).
#include "Launcher/BasicForm.h"

bool BasicForm::LaunchGame() { return false; }
