#include "settings/game_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/ascii_case.h"
#include "settings/lookup_account.h"

namespace settings {

namespace {

// TAVREL_GAME_DIR first, so that a game installed anywhere can be pointed at; then the registry
// or the Wine prefixes.
class DefaultLocator final : public GameFolderLocator {
public:
    std::optional<std::string> Find() override {
        static const std::string variable(kGameDirVariable);
        const char* value = std::getenv(variable.c_str());
        if (value != nullptr && *value != '\0') {
            LookupAccount account;
            account.found = true;
            account.gameFolder = value;
            account.how.push_back("Found through: the environment variable " + variable);
            SetLastLookupAccount(std::move(account));
            return std::string(value);
        }
        if (!m_platform) m_platform = MakePlatformLocator();
        return m_platform->Find();
    }

private:
    std::unique_ptr<GameFolderLocator> m_platform;
};

std::unique_ptr<GameFolderLocator>& LocatorSlot() {
    static std::unique_ptr<GameFolderLocator> locator;
    return locator;
}

bool EndsWithSeparator(std::string_view path) {
#ifdef _WIN32
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
#else
    return !path.empty() && path.back() == '/';
#endif
}

#ifndef _WIN32
// The spelling of `name` in `folder` as Wine would find it: the exact entry when there is one,
// else the first entry in directory order that differs only in ASCII case.
std::string SpellingOnDisk(std::string_view folder, std::string_view name) {
    namespace fs = std::filesystem;
    const std::string wanted(name);
    if (folder.empty() || wanted.empty()) return wanted;
    const fs::path base{std::string(folder)};
    std::error_code ec;
    if (fs::exists(fs::symlink_status(base / wanted, ec))) return wanted;
    fs::directory_iterator it(base, ec);
    if (ec) return wanted;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::string entry = it->path().filename().string();
        if (base::EqualsNoCase(entry, wanted)) return entry;
    }
    return wanted;
}
#endif

}  // namespace

GameFolderLocator& CurrentLocator() {
    std::unique_ptr<GameFolderLocator>& locator = LocatorSlot();
    if (!locator) locator = std::make_unique<DefaultLocator>();
    return *locator;
}

void SetLocator(std::unique_ptr<GameFolderLocator> locator) {
    LocatorSlot() = std::move(locator);
}

std::string AppendPathComponent(std::string_view folder, std::string_view name, bool isFolder) {
    std::string path(folder);
    if (!path.empty() && !EndsWithSeparator(path)) path.push_back(kPathSeparator);
    if (name.empty()) return path;
#ifdef _WIN32
    path.append(name);
#else
    path.append(SpellingOnDisk(folder, name));
#endif
    if (isFolder) path.push_back(kPathSeparator);
    return path;
}

}  // namespace settings
