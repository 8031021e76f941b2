// velk3-manager: the desktop program. -server NAME BAUD runs the relay, -listdevices the device
// listing; with no mode word it is the window.
#include <iostream>

#include "app/ManagerApp.h"
#include "app/ManagerUsage.h"
#include "app/ModePrompt.h"

int main(int argc, char** argv) {
    if (const auto answered = AnswerInformationRequest(argc, argv, std::cout)) return *answered;
    CStderrPrompt prompt;
    CManagerApp app(prompt);
    return app.InitInstance(argc, argv);
}
