// Link stand-in, used only while Launcher/BasicForm_InstallGame.cpp is not
// in the tree (see Launcher/CMakeLists.txt).
#include "Launcher/BasicForm.h"

void BasicForm::InstallGame() {}
