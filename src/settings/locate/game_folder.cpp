#include "settings/locate/game_folder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/ascii_case.h"

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

// A word every shell takes as it is, so the command stays easy to read. No "=": a command word
// "a=b" would be one more assignment.
bool PlainShellWord(std::string_view word) {
    if (word.empty()) return false;
    for (const char c : word) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') ||
                           std::string_view("_@+:,./-").find(c) != std::string_view::npos;
        if (!plain) return false;
    }
    return true;
}

// Single quotes keep every byte as it is in sh, bash and zsh, but fish reads \\ and \' inside
// them as escapes. So the quote and the backslash stand outside the quotes, each escaped by a
// backslash, which all of them read alike: a\b'c -> 'a'\\'b'\''c'.
std::string ShellQuoted(std::string_view word) {
    if (word.empty()) return "''";
    std::string quoted;
    bool open = false;
    for (const char c : word) {
        const bool escaped = c == '\'' || c == '\\';
        if (escaped == open) {
            quoted.push_back('\'');
            open = !open;
        }
        if (escaped) quoted.push_back('\\');
        quoted.push_back(c);
    }
    if (open) quoted.push_back('\'');
    return quoted;
}

}  // namespace

std::unique_ptr<GameFolderLocator> MakeGameFolderLocator() {
    return std::make_unique<DefaultLocator>();
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
    if (others.found.empty()) return others;
    const std::string program = ProgramAsStarted();
    for (FoundFolder& folder : others.found) {
#ifdef _WIN32
        folder.commands = {CmdStartCommand(program, folder.folder),
                           PowerShellStartCommand(program, folder.folder)};
#else
        if (auto command = PosixStartCommand(program, folder.folder)) {
            folder.commands.push_back(std::move(*command));
        }
#endif
    }
    return others;
}

std::optional<std::string> PosixStartCommand(std::string_view program, std::string_view folder) {
    // Quoted, a line break would still end the line a player copies.
    if (program.find('\n') != std::string_view::npos ||
        folder.find('\n') != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(kGameDirVariable) + "=" + ShellQuoted(folder) + " " +
           (PlainShellWord(program) ? std::string(program) : ShellQuoted(program));
}

std::string CmdStartCommand(std::string_view program, std::string_view folder) {
    // The value is left unquoted, since "set" would keep inner quotes: a caret makes each
    // special character plain, "%" included (quotes would not stop it naming a variable), and
    // "&&" follows it directly so that no blank ends the value. The program's path is quoted;
    // a lone "%" in it stays as it is.
    std::string command = "set " + std::string(kGameDirVariable) + "=";
    for (const char c : folder) {
        if (std::string_view("^&|<>()%").find(c) != std::string_view::npos) command.push_back('^');
        command.push_back(c);
    }
    return command + "&& \"" + std::string(program) + "\"";
}

}  // namespace settings::locate
