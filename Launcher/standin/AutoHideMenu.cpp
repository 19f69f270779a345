// Link stand-in, used only while Launcher/BasicForm_AutoHideMenu.cpp is not
// in the tree (see Launcher/CMakeLists.txt).
#include "Launcher/BasicForm.h"

bool BasicForm::AutoHideMenu() { return true; }
