#include "Launcher/BasicForm.h"
#include "Launcher/GameLaunchPlan.h"

bool BasicForm::LaunchGame() {
    const GameSlot& slot = slots[selectedSlot.load()];
    // A missing executable or a refused start ends the workflow as a start
    // does; the game is not the launcher's concern once it runs.
    StartGame(MakeGameLaunchPlan(gameFolder, slot.exePath, slot.parameters));
    return true;
}
