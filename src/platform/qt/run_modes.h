#pragma once
// Unattended runs of the program, chosen by environment variables:
//   TAVREL_STARTUP_PROBE=1        print how long the dialog took to come up, then cancel it;
//   TAVREL_SCREENSHOT=file.png    save the main dialog's picture, then cancel it;
//   TAVREL_SCREENSHOT_ABOUT=file.png  with the above, open the About box and save it too.
// In these runs message boxes are answered at once, so nothing waits for a user.
#include <chrono>

namespace qtfront {

class QtPlatform;

// Installs the hooks for the mode the environment asks for; false for an ordinary run.
bool InstallRunModes(QtPlatform& platform, std::chrono::steady_clock::time_point mainEntry);

// Milliseconds since the kernel started this process, or -1 when that cannot be told.
double MillisecondsSinceProcessStart();

}  // namespace qtfront
