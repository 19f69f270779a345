#include "Launcher/app/LauncherWindow.h"
#include "Launcher/flows/GameLaunchPlan.h"

bool LauncherWindow::LaunchGame() {
    const GameCard& slot = slots[selectedCard.load()];
    // A missing executable or a refused start ends the workflow as a start
    // does; the game is not the launcher's concern once it runs.
    StartGame(MakeGameLaunchPlan(gameFolder, slot.exePath, slot.parameters));
    return true;
}
