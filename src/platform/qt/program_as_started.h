#pragma once
// How the Linux program was started, as a command a player can type again.
#include <string>

namespace qt {

// argv[0] as typed when a shell finds it on PATH (a wrapper script keeps its own name with
// exec -a "$0"), an absolute path when it was started by one, else the executable's own path.
std::string ProgramAsStarted();

}  // namespace qt
