#pragma once
// The prefixes a search will try, as the steps of the search order (search_order.h) add them,
// with the places passed over on the way; and the reading of folders and launchers' files that
// those steps share.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "settings/locate/lookup_account.h"

namespace settings::prefixes {

// Launchers' configuration files are a few kilobytes; anything this big is not one of them.
inline constexpr std::uintmax_t kMaxLauncherConfigSize = 1024U * 1024U;

// Where a prefix to try came from, for the account of the search.
struct PrefixOrigin {
    std::string launcher;        // "Wine", "Heroic", "Steam", ...
    std::filesystem::path file;  // the launcher's file that names it; empty when listed
    std::string entry;           // the game's entry in that file, when it names several
};

struct PrefixCandidate {
    std::filesystem::path prefix;
    PrefixOrigin origin;
};

// The registry file of a prefix that holds HKEY_LOCAL_MACHINE, where the game's key is.
std::filesystem::path MachineRegistry(const std::filesystem::path& prefix);

// The whole file into `bytes` (a buffer kept across files, so that its memory is reused); false
// when it is missing, not a regular file, bigger than `maxSize` or unreadable, or when
// `deadline` passes before it is read (it is checked between pieces of a few megabytes).
bool ReadFileInto(
    const std::filesystem::path& path, std::uintmax_t maxSize, std::string& bytes,
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

// The value as a folder when it is an absolute path.
std::optional<std::filesystem::path> AbsoluteFolder(const std::optional<std::string>& value);

// Subfolders of `parent` in name order, each joined with `below` (may be empty).
std::vector<std::filesystem::path> Subfolders(const std::filesystem::path& parent,
                                              const std::filesystem::path& below);

// Entries of `folder` whose names end in `extension`, in name order (ReadFileInto passes over
// those that are not regular files).
std::vector<std::filesystem::path> ConfigFiles(const std::filesystem::path& folder,
                                               std::string_view extension);

// A folder named by a launcher's file that is still to be tried, with how to try it.
struct FolderToTry {
    std::filesystem::path folder;
    bool withPfx = false;
    PrefixOrigin origin;
};

class PrefixList {
public:
    explicit PrefixList(std::filesystem::path home) : m_home(std::move(home)) {}

    // Adds the folder when it holds a registry; a folder reached twice is kept once.
    bool Add(const std::filesystem::path& folder, const PrefixOrigin& origin);
    // The folder and the pfx/ inside it, where Proton keeps a game's prefix.
    bool AddWithPfx(const std::filesystem::path& folder, const PrefixOrigin& origin);
    bool AddNamed(const FolderToTry& named);
    // A folder in a launcher's file, as text. From a Flatpak's file (`flatpakApp` set), a folder
    // below the home that does not exist is tried later under ~/.var/app/<app id>/ as well.
    void AddText(const std::string& text, bool withPfx, const PrefixOrigin& origin,
                 std::string_view flatpakApp = {});
    // Where a Flatpak sees a path below the home that is missing outside its sandbox.
    std::optional<std::filesystem::path> FlatpakPlace(const std::filesystem::path& folder,
                                                      std::string_view app) const;
    // Every subfolder of `parent` (joined with `below`) that holds a registry.
    void AddListed(const std::filesystem::path& parent, const std::filesystem::path& below,
                   const PrefixOrigin& origin);
    void Note(const std::string& group, const std::filesystem::path& path, locate::PassedOver why);

    const std::filesystem::path& Home() const { return m_home; }
    std::vector<FolderToTry>& FlatpakLater() { return m_flatpakLater; }
    std::vector<PrefixCandidate>& Found() { return m_found; }
    // Places noted before candidate i was added.
    std::size_t NotesBefore(std::size_t i) const { return m_notesBefore[i]; }
    const std::vector<locate::LookedPlace>& Notes() const { return m_notes; }

private:
    std::filesystem::path m_home;
    std::vector<PrefixCandidate> m_found;
    std::vector<std::size_t> m_notesBefore;
    std::vector<locate::LookedPlace> m_notes;
    std::vector<FolderToTry> m_flatpakLater;
    std::set<std::filesystem::path> m_seen;
};

// Reads a launcher's file into `text`; one that is there but cannot be read is noted.
bool ReadLauncherFile(PrefixList& list, const std::string& launcher,
                      const std::filesystem::path& file, std::string& text);

// Hands each <dir>/*<extension> and its text to `use`, directory by directory.
template <typename Use>
void ForEachConfig(PrefixList& list, const std::string& launcher,
                   const std::vector<std::filesystem::path>& dirs, std::string_view extension,
                   Use use) {
    std::string text;
    for (const std::filesystem::path& dir : dirs) {
        std::error_code ec;
        if (!std::filesystem::is_directory(dir, ec)) {
            list.Note(launcher, dir, locate::PassedOver::kNotThere);
            continue;
        }
        for (const std::filesystem::path& file : ConfigFiles(dir, extension)) {
            if (ReadLauncherFile(list, launcher, file, text)) use(file, text);
        }
    }
}

}  // namespace settings::prefixes
