#include "settings/locate/other_installations.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "settings/locate/folder_paths.h"

namespace settings::locate {

OtherInstallations FindOtherInstallations(GameFolderLocator& locator, std::string_view edited,
                                          std::chrono::milliseconds budget,
                                          std::chrono::steady_clock::time_point start,
                                          GameFilesTest holdsGameFiles) {
    const auto deadline = start + budget;
    FoundFolders all = locator.FindAll(deadline);
    OtherInstallations others;
    others.incomplete = all.incomplete;
    if (all.incomplete) others.waited = budget;
    // Judged by identity on disk: two spellings (a link, another drive letter) of one folder
    // are one installation, and the edited one is not "another".
    std::vector<DiskIdentity> seen;
    if (!edited.empty()) {
        if (const auto identity = IdentifyOnDisk(edited, true)) seen.push_back(*identity);
    }
    for (FoundFolder& folder : all.found) {
        const auto identity = IdentifyOnDisk(folder.folder, true);
        if (!identity || !holdsGameFiles(folder.folder)) continue;
        if (std::find(seen.begin(), seen.end(), *identity) != seen.end()) continue;
        seen.push_back(*identity);
        others.found.push_back(std::move(folder));
    }
    return others;
}

}  // namespace settings::locate
