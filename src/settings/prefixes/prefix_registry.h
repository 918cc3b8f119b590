#pragma once
// The game's key within one prefix: where a 32-bit program's HKLM key is, reading it from the
// prefix's system.reg, and the folder the value names.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/locate/lookup_account.h"
#include "settings/prefixes/prefix_list.h"
#include "settings/wine/registry_file.h"

namespace settings::prefixes {

// Where a 32-bit program's HKLM key is found, in the order tried. A win64 prefix (and one that
// does not say) keeps a 32-bit installer's keys under Software\Wow6432Node, so that copy comes
// first and Software\... second; a win32 prefix has only Software\....
std::vector<std::string> MachineKeyViews(std::string_view keyPath, wine::Arch arch);

// A string value of HKLM from the text of a prefix's system.reg, looked up in MachineKeyViews
// order; nullopt when no view holds it. The text is read once, up to the end of the last view's
// section (RegistryFile::ScanKeys).
// `view`, when given, gets the key path of the view that held it.
std::optional<std::string> ReadMachineString(std::string_view systemReg, std::string_view keyPath,
                                             std::string_view valueName,
                                             std::string* view = nullptr);

struct GameFolderMatch {
    std::filesystem::path prefix;
    std::string windowsPath;       // the value as stored
    std::filesystem::path folder;  // its host path
    bool exists = false;
    PrefixOrigin origin;
    std::string keyView;  // the key that held the value
};

// The value's folder in one prefix, read from its system.reg into `buffer` (kept across
// prefixes, so that its memory is reused); `why` says why there is none, or that the folder it
// names is missing. A registry not read by `deadline` counts as not there.
std::optional<GameFolderMatch> MatchInPrefix(
    const PrefixCandidate& candidate, std::string_view keyPath, std::string_view valueName,
    std::string& buffer, locate::PassedOver& why,
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

}  // namespace settings::prefixes
