#include "settings/record/services.h"

#include "settings/locate/other_installations.h"
#include "settings/record/settings_keys.h"

namespace settings {

namespace {

Services& Installed() {
    static Services services;
    return services;
}

}  // namespace

Services PlatformServices() {
    return {locate::MakeGameFolderLocator(), std::make_unique<store::ProfileFiles>()};
}

void InstallServices(Services services) {
    Installed() = std::move(services);
}

locate::GameFolderLocator& InstalledLocator() {
    Services& services = Installed();
    if (!services.locator) services.locator = locate::MakeGameFolderLocator();
    return *services.locator;
}

store::ProfileFiles& InstalledFiles() {
    Services& services = Installed();
    if (!services.files) services.files = std::make_unique<store::ProfileFiles>();
    return *services.files;
}

WhereSettingsAre FindWhereSettingsAre(std::chrono::milliseconds othersBudget) {
    // The player waits for the whole box: the lookup's own time counts against the budget.
    const auto start = std::chrono::steady_clock::now();
    WhereSettingsAre where;
    std::optional<std::string> folder = InstalledLocator().Find(&where.account);
    std::string gameFolder;
    if (folder) {
        gameFolder = AsGameFolder(std::move(*folder));
        for (const SettingsFile file : {SettingsFile::kScripts, SettingsFile::kSfc}) {
            where.files.push_back(
                store::WhichProfileCopy(InstalledFiles(), PathInGameFolder(gameFolder, file)));
        }
    }
    where.others = locate::FindOtherInstallations(InstalledLocator(), gameFolder, othersBudget,
                                                  start, HoldsGameFiles);
    return where;
}

}  // namespace settings
