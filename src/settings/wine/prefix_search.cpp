#include "settings/wine/prefix_search.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <system_error>

#include "settings/wine/launcher_configs.h"
#include "settings/wine/unicode_text.h"
#include "settings/wine/vdf_reader.h"
#include "settings/wine/windows_path.h"

namespace settings::wine {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSoftware = "Software\\";
constexpr std::string_view kWow6432Node = "Wow6432Node\\";
// Registries of real prefixes are a few megabytes; anything far beyond that is not one.
constexpr std::uintmax_t kMaxRegistrySize = 256U * 1024U * 1024U;

// The whole file into `bytes` (a buffer kept across prefixes, so that its memory is reused);
// false when it is missing, too big or unreadable.
bool ReadFileInto(const fs::path& path, std::uintmax_t maxSize, std::string& bytes) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > maxSize) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    // The file may have been rewritten in between; keep what was read.
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

std::optional<fs::path> AbsoluteFolder(const std::optional<std::string>& value) {
    if (!value || value->empty()) return std::nullopt;
    fs::path path = PathFromUtf8(*value);
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

bool HoldsRegistry(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / "system.reg", ec);
}

// Subfolders of `parent` in name order, each joined with `below` (may be empty).
std::vector<fs::path> Subfolders(const fs::path& parent, const fs::path& below) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::directory_iterator it(parent, ec);
    if (ec) return found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        if (it->is_directory(ec)) found.push_back(below.empty() ? it->path() : it->path() / below);
    }
    std::sort(found.begin(), found.end());
    return found;
}

class PrefixList {
public:
    void Add(const fs::path& folder) {
        if (!HoldsRegistry(folder)) return;
        std::error_code ec;
        fs::path identity = fs::weakly_canonical(folder, ec);
        if (ec) identity = folder.lexically_normal();
        if (!m_seen.insert(identity).second) return;
        m_folders.push_back(folder);
    }
    void AddAll(const std::vector<fs::path>& folders) {
        for (const fs::path& folder : folders) Add(folder);
    }
    // The folder and the pfx/ inside it, where Proton keeps a game's prefix.
    void AddWithPfx(const fs::path& folder) {
        Add(folder);
        Add(folder / "pfx");
    }
    void AddText(const std::string& text, bool withPfx) {
        const auto folder = AbsoluteFolder(text);
        if (!folder) return;
        if (withPfx) {
            AddWithPfx(*folder);
        } else {
            Add(*folder);
        }
    }
    std::vector<fs::path> Take() { return std::move(m_folders); }

private:
    std::vector<fs::path> m_folders;
    std::set<fs::path> m_seen;
};

// Entries of `folder` whose names end in `extension`, in name order (ReadFileInto passes over
// those that are not regular files).
std::vector<fs::path> ConfigFiles(const fs::path& folder, std::string_view extension) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string name = Utf8FromPath(it->path().filename());
        if (name.size() > extension.size() && name.ends_with(extension)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Hands the text of each <dir>/*<extension> to `use`, directory by directory.
template <typename Use>
void ForEachConfig(const std::vector<fs::path>& dirs, std::string_view extension, Use use) {
    std::string text;
    for (const fs::path& dir : dirs) {
        for (const fs::path& file : ConfigFiles(dir, extension)) {
            if (ReadFileInto(file, kMaxLauncherConfigSize, text)) use(text);
        }
    }
}

void AddHeroic(PrefixList& list, const fs::path& home, const std::optional<fs::path>& configHome) {
    std::vector<fs::path> dirs;
    if (configHome) dirs.push_back(*configHome / "heroic/GamesConfig");
    dirs.push_back(home / ".config/heroic/GamesConfig");
    dirs.push_back(home / ".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig");
    ForEachConfig(dirs, ".json", [&](const std::string& text) {
        for (const std::string& prefix : HeroicWinePrefixes(text)) list.AddText(prefix, true);
    });
    for (const fs::path& folder : Subfolders(home / "Games/Heroic/Prefixes/default", {})) {
        list.AddWithPfx(folder);
    }
    for (const fs::path& folder : Subfolders(home / "Games/Heroic/Prefixes", {})) {
        list.AddWithPfx(folder);
    }
}

void AddLutris(PrefixList& list, const fs::path& home, const std::optional<fs::path>& configHome,
               const std::optional<fs::path>& dataHome) {
    std::vector<fs::path> dirs;
    if (configHome) dirs.push_back(*configHome / "lutris/games");
    dirs.push_back(home / ".config/lutris/games");
    if (dataHome) dirs.push_back(*dataHome / "lutris/games");
    dirs.push_back(home / ".local/share/lutris/games");
    dirs.push_back(home / ".var/app/net.lutris.Lutris/config/lutris/games");
    dirs.push_back(home / ".var/app/net.lutris.Lutris/data/lutris/games");
    const std::string homeText = Utf8FromPath(home);
    ForEachConfig(dirs, ".yml", [&](const std::string& text) {
        if (const auto prefix = LutrisGamePrefix(text, homeText)) list.AddText(*prefix, false);
    });
    list.AddAll(Subfolders(home / "Games", {}));
}

void AddSteam(PrefixList& list, const fs::path& home) {
    const fs::path roots[] = {
        home / ".local/share/Steam",
        home / ".steam/steam",
        home / ".var/app/com.valvesoftware.Steam/.local/share/Steam",
        home / "snap/steam/common/.local/share/Steam",
    };
    std::string text;
    for (const fs::path& root : roots) {
        std::vector<fs::path> libraries = {root};
        for (const char* listing : {"steamapps/libraryfolders.vdf", "config/libraryfolders.vdf"}) {
            if (!ReadFileInto(root / listing, kMaxLauncherConfigSize, text)) continue;
            for (const std::string& library : SteamLibraryFolders(text)) {
                if (auto folder = AbsoluteFolder(library)) libraries.push_back(std::move(*folder));
            }
        }
        for (const fs::path& library : libraries) {
            list.AddAll(Subfolders(library / "steamapps/compatdata", "pfx"));
        }
    }
}

// The value's folder in one prefix, read from its system.reg into `buffer`.
std::optional<GameFolderMatch> MatchInPrefix(const fs::path& prefix, std::string_view keyPath,
                                             std::string_view valueName, std::string& buffer) {
    if (!ReadFileInto(prefix / "system.reg", kMaxRegistrySize, buffer)) return std::nullopt;
    auto value = ReadMachineString(buffer, keyPath, valueName);
    if (!value) return std::nullopt;
    auto folder = ToHostPath(prefix, *value);
    if (!folder) return std::nullopt;
    GameFolderMatch match{prefix, std::move(*value), std::move(*folder), false};
    std::error_code ec;
    match.exists = fs::is_directory(match.folder, ec);
    return match;
}

}  // namespace

std::vector<std::string> MachineKeyViews(std::string_view keyPath, Arch arch) {
    std::vector<std::string> views;
    const bool underSoftware = keyPath.size() > kSoftware.size() &&
                               EqualsFolded(keyPath.substr(0, kSoftware.size()), kSoftware);
    const std::string_view below = underSoftware ? keyPath.substr(kSoftware.size()) : "";
    const bool alreadyRedirected = underSoftware && below.size() >= kWow6432Node.size() &&
                                   EqualsFolded(below.substr(0, kWow6432Node.size()), kWow6432Node);
    if (underSoftware && !alreadyRedirected && arch != Arch::Win32) {
        views.push_back(std::string(keyPath.substr(0, kSoftware.size())) +
                        std::string(kWow6432Node) + std::string(below));
    }
    views.emplace_back(keyPath);
    return views;
}

std::optional<std::string> ReadMachineString(std::string_view systemReg, std::string_view keyPath,
                                             std::string_view valueName) {
    // "#arch" comes before the first section: only the views that count are read.
    const std::vector<std::string> views = MachineKeyViews(keyPath, ReadRegistryArch(systemReg));
    const std::vector<std::string_view> keys(views.begin(), views.end());
    const auto file = RegistryFile::ScanKeys(systemReg, keys);
    if (!file) return std::nullopt;
    for (const std::string& view : views) {
        if (auto text = file->FindString(view, valueName)) return text;
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> ListPrefixes(const Environment& env) {
    PrefixList list;
    const std::optional<fs::path> home = AbsoluteFolder(env.home);
    if (const auto prefix = AbsoluteFolder(env.winePrefix)) {
        list.Add(*prefix);
    } else if (home) {
        list.Add(*home / ".wine");
    }
    if (!home) return list.Take();

    const std::optional<fs::path> dataHome = AbsoluteFolder(env.xdgDataHome);
    const std::optional<fs::path> configHome = AbsoluteFolder(env.xdgConfigHome);
    AddHeroic(list, *home, configHome);
    AddLutris(list, *home, configHome, dataHome);
    AddSteam(list, *home);

    list.AddAll(Subfolders(*home / ".cxoffice", {}));

    if (dataHome) list.AddAll(Subfolders(*dataHome / "bottles/bottles", {}));
    list.AddAll(Subfolders(*home / ".local/share/bottles/bottles", {}));
    list.AddAll(Subfolders(*home / ".var/app/com.usebottles.bottles/data/bottles/bottles", {}));

    list.AddAll(Subfolders(*home / ".PlayOnLinux/wineprefix", {}));

    if (dataHome) list.AddAll(Subfolders(*dataHome / "wineprefixes", {}));
    list.AddAll(Subfolders(*home / ".local/share/wineprefixes", {}));
    return list.Take();
}

std::optional<GameFolderMatch> FindGameFolder(const Environment& env, std::string_view keyPath,
                                              std::string_view valueName) {
    std::optional<GameFolderMatch> firstHeld;
    std::string buffer;
    for (const fs::path& prefix : ListPrefixes(env)) {
        auto match = MatchInPrefix(prefix, keyPath, valueName, buffer);
        if (!match) continue;
        if (match->exists) return match;
        if (!firstHeld) firstHeld = std::move(match);
    }
    return firstHeld;
}

std::optional<GameFolderMatch> GameFolderSearch::Find(const Environment& env,
                                                      std::string_view keyPath,
                                                      std::string_view valueName) {
    if (m_prefix) {
        std::string buffer;
        auto match = MatchInPrefix(*m_prefix, keyPath, valueName, buffer);
        if (match && match->exists) return match;
        m_prefix.reset();
    }
    auto match = FindGameFolder(env, keyPath, valueName);
    if (match && match->exists) m_prefix = match->prefix;
    return match;
}

}  // namespace settings::wine
