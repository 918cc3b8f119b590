#pragma once
// The other installations of the game that F1 lists beside the one Load and Save edit.
#include <chrono>
#include <string_view>

#include "settings/locate/game_folder.h"
#include "settings/locate/lookup_account.h"

namespace settings::locate {

// Whether a folder holds the game's files; the record knows where they lie in it.
using GameFilesTest = bool (*)(std::string_view folder);

// The installations of the game F1 lists besides the one at `edited` (the folder Load and Save
// use; may be empty): each folder `locator` names that exists and `holdsGameFiles`, once, in the
// order found. The search ends `budget` after `start`.
OtherInstallations FindOtherInstallations(GameFolderLocator& locator, std::string_view edited,
                                          std::chrono::milliseconds budget,
                                          std::chrono::steady_clock::time_point start,
                                          GameFilesTest holdsGameFiles);

}  // namespace settings::locate
