// velk3-manager: the desktop program. -server NAME BAUD runs the relay, -listdevices the device
// listing; with no mode word it is the window.
#include "app/ManagerApp.h"
#include "app/ModePrompt.h"

int main(int argc, char** argv) {
    const auto prompt = CreateModePrompt();
    CScopedUserPrompt installed(*prompt);
    CManagerApp app;
    return app.InitInstance(argc, argv);
}
