#include "settings/prefixes/prefix_account.h"

#include <string>

#include "settings/wine/windows_path.h"

namespace settings::prefixes {

locate::FoundHow HowFound(const GameFolderMatch& match) {
    locate::FoundHow how;
    how.through = locate::FoundThrough::kWinePrefix;
    how.launcher = match.origin.launcher;
    if (!match.origin.file.empty()) how.launcherFile = wine::Utf8FromPath(match.origin.file);
    how.entry = match.origin.entry;
    how.prefix = wine::Utf8FromPath(match.prefix);
    how.registryFile = wine::Utf8FromPath(MachineRegistry(match.prefix));
    how.key = match.keyView;
    how.view32 = match.keyView.find("\\Wow6432Node\\") != std::string::npos;
    how.storedAs = match.windowsPath;
    return how;
}

void DescribeMatch(const GameFolderMatch& match, locate::LookupAccount& account) {
    account.found = match.exists;
    account.gameFolder = wine::Utf8FromPath(match.folder);
    account.how = HowFound(match);
}

}  // namespace settings::prefixes
