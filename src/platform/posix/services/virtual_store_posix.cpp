// No system here virtualizes file access: every file is read and written where it is.
#include "settings/store/profile_files.h"

namespace settings::store {

std::optional<std::string> PlatformVirtualStoreCopy(const std::string&) {
    return std::nullopt;
}

bool PlatformVirtualizationAllowed() {
    return false;
}

}  // namespace settings::store
