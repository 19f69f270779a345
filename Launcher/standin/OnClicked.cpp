// Link stand-in, used only while Launcher/BasicForm_OnClicked.cpp is not in
// the tree (see Launcher/CMakeLists.txt): clicks do nothing.
#include "Launcher/BasicForm.h"

bool BasicForm::OnClicked(ui::EventArgs*) { return true; }
