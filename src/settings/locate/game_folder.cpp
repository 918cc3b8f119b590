#include "settings/locate/game_folder.h"

#include <cstdlib>
#include <utility>

#include "settings/locate/folder_paths.h"

namespace settings::locate {

namespace {

// TAVREL_GAME_DIR first, so that a game installed anywhere can be pointed at; then the registry
// or the Wine prefixes.
class DefaultLocator final : public GameFolderLocator {
public:
    std::optional<std::string> Find(LookupAccount* account) override {
        static const std::string variable(kGameDirVariable);
        const char* value = std::getenv(variable.c_str());
        if (value != nullptr && *value != '\0') {
            // Named but not there: the player meant that folder, so no other is looked for.
            if (!IdentifyOnDisk(value, true)) {
                if (account != nullptr) {
                    *account = LookupAccount{};
                    account->looked.push_back(
                        {"The environment variable " + variable, value, PassedOver::kNotThere});
                    account->advice = Advice::kFixVariable;
                }
                return std::nullopt;
            }
            if (account != nullptr) {
                *account = LookupAccount{};
                account->found = true;
                account->gameFolder = value;
                account->how.through = FoundThrough::kVariable;
                account->how.variable = variable;
            }
            return std::string(value);
        }
        return Platform().Find(account);
    }

    // The variable names one folder; the other installations are the platform's to find.
    FoundFolders FindAll(std::chrono::steady_clock::time_point deadline) override {
        return Platform().FindAll(deadline);
    }

private:
    GameFolderLocator& Platform() {
        if (!m_platform) m_platform = MakePlatformLocator();
        return *m_platform;
    }

    std::unique_ptr<GameFolderLocator> m_platform;
};

}  // namespace

std::unique_ptr<GameFolderLocator> MakeGameFolderLocator() {
    return std::make_unique<DefaultLocator>();
}

}  // namespace settings::locate
