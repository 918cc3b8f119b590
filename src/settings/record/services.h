#pragma once
// The system's services the settings record reaches: where the game is, and how its files are
// read and written. The program installs the platform's once at start, as each front end
// installs the dialog layer's platform; tests install their own the same way.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "settings/locate/game_folder.h"
#include "settings/locate/lookup_account.h"
#include "settings/store/profile_files.h"

namespace settings {

struct Services {
    std::unique_ptr<locate::GameFolderLocator> locator;
    std::unique_ptr<store::ProfileFiles> files;
};

// TAVREL_GAME_DIR, then the registry or the Wine prefixes; each file where the game reads it.
Services PlatformServices();

// Replaces every service at once; a part left empty is the platform's. Until the first call,
// every service is the platform's.
void InstallServices(Services services);

locate::GameFolderLocator& InstalledLocator();
store::ProfileFiles& InstalledFiles();

// What F1 tells: a fresh lookup of the game folder with its account, the two files as Load
// reads them (none when the lookup fails), and the other installations, searched for until
// `othersBudget` after the start.
struct WhereSettingsAre {
    locate::LookupAccount account;
    std::vector<store::ProfileCopies> files;
    locate::OtherInstallations others;
};
WhereSettingsAre FindWhereSettingsAre(std::chrono::milliseconds othersBudget);

}  // namespace settings
