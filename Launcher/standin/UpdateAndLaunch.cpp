// Link stand-in, used only while Launcher/BasicForm_UpdateAndLaunch.cpp is
// not in the tree (see Launcher/CMakeLists.txt).
#include "Launcher/BasicForm.h"

void BasicForm::UpdateAndLaunch() {}
void BasicForm::RefreshUpdateProgress() {}
void BasicForm::OnUpdateProgress(int) {}
void BasicForm::OnFileProgress(int) {}
