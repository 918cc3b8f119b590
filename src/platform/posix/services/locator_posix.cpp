// The game folder on Linux and other POSIX systems: the game runs in a Wine prefix, whose
// system.reg holds the value its installer wrote.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "settings/locate/folder_paths.h"
#include "settings/locate/game_folder.h"
#include "settings/locate/lookup_account.h"
#include "settings/prefixes/prefix_search.h"
#include "settings/store/file_store.h"
#include "settings/wine/windows_path.h"

namespace settings::locate {

namespace {

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

// Wine falls back to the account's home folder when HOME is not set.
std::optional<std::string> AccountHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384U);
    passwd entry{};
    passwd* result = nullptr;
    while (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == ERANGE &&
           buffer.size() < (1U << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (result == nullptr || result->pw_dir == nullptr || *result->pw_dir == '\0') {
        return std::nullopt;
    }
    return std::string(result->pw_dir);
}

prefixes::Environment CurrentEnvironment() {
    prefixes::Environment env;
    env.winePrefix = Variable("WINEPREFIX");
    env.home = Variable("HOME");
    if (!env.home) env.home = AccountHome();
    env.xdgDataHome = Variable("XDG_DATA_HOME");
    env.xdgConfigHome = Variable("XDG_CONFIG_HOME");
    return env;
}

class WinePrefixLocator final : public GameFolderLocator {
public:
    std::optional<std::string> Find(LookupAccount* account) override {
        const prefixes::Environment env = CurrentEnvironment();
        if (account != nullptr) *account = LookupAccount{};
        const auto match = m_search.Find(env, kGameRegistryKey, kGameRegistryValue, account);
        if (account != nullptr && !account->found) account->advice = Advice::kLauncherOrWinePrefix;
        if (!match) {
            store::SetLastErrorCode(ENOENT);
            return std::nullopt;
        }
        return wine::Utf8FromPath(match->folder);
    }

    FoundFolders FindAll(std::chrono::steady_clock::time_point deadline) override {
        FoundFolders all;
        for (const prefixes::GameFolderMatch& match :
             prefixes::FindAllGameFolders(CurrentEnvironment(), kGameRegistryKey,
                                          kGameRegistryValue, deadline, all.incomplete)) {
            all.found.push_back({wine::Utf8FromPath(match.folder), match.origin.launcher,
                                 prefixes::HowFound(match)});
        }
        return all;
    }

private:
    // Load and Save each ask twice; after the first success only that prefix is read.
    prefixes::GameFolderSearch m_search;
};

}  // namespace

std::optional<DiskIdentity> IdentifyOnDisk(std::string_view path, bool folder) {
    struct stat info {};
    if (stat(std::string(path).c_str(), &info) != 0) return std::nullopt;
    if (folder ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode)) {
        errno = folder ? ENOTDIR : EISDIR;
        return std::nullopt;
    }
    return DiskIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

std::unique_ptr<GameFolderLocator> MakePlatformLocator() {
    return std::make_unique<WinePrefixLocator>();
}

}  // namespace settings::locate
