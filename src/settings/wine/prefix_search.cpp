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

constexpr std::string_view kSteamApps = "steamapps";

// A folder named by a launcher's file that is still to be tried, with how to try it.
struct Named {
    fs::path folder;
    bool withPfx = false;
    PrefixOrigin origin;
};

class PrefixList {
public:
    explicit PrefixList(fs::path home) : m_home(std::move(home)) {}

    // Adds the folder when it holds a registry.
    bool Add(const fs::path& folder, const PrefixOrigin& origin) {
        if (!HoldsRegistry(folder)) return false;
        std::error_code ec;
        fs::path identity = fs::weakly_canonical(folder, ec);
        if (ec) identity = folder.lexically_normal();
        if (m_seen.insert(identity).second) {
            m_found.push_back({folder, origin});
            m_notesBefore.push_back(m_notes.size());
        }
        return true;
    }
    // The folder and the pfx/ inside it, where Proton keeps a game's prefix.
    bool AddWithPfx(const fs::path& folder, const PrefixOrigin& origin) {
        const bool plain = Add(folder, origin);
        return Add(folder / "pfx", origin) || plain;
    }
    bool AddNamed(const Named& named) {
        const bool added = named.withPfx ? AddWithPfx(named.folder, named.origin)
                                         : Add(named.folder, named.origin);
        if (!added) Note(named.origin.launcher, named.folder, PassedOver::kNotThere);
        return added;
    }
    // A folder in a launcher's file, as text. From a Flatpak's file (`flatpakApp` set), a folder
    // below the home that does not exist is tried later under ~/.var/app/<app id>/ as well.
    void AddText(const std::string& text, bool withPfx, const PrefixOrigin& origin,
                 std::string_view flatpakApp = {}) {
        const auto folder = AbsoluteFolder(text);
        if (!folder) {
            Note(origin.launcher, origin.file, PassedOver::kUnreadable);
            return;
        }
        const Named named{*folder, withPfx, origin};
        AddNamed(named);
        if (const auto inside = FlatpakPlace(*folder, flatpakApp)) {
            m_flatpakLater.push_back({*inside, withPfx, origin});
        }
    }
    // Where a Flatpak sees a path below the home that is missing outside its sandbox.
    std::optional<fs::path> FlatpakPlace(const fs::path& folder, std::string_view app) const {
        std::error_code ec;
        if (app.empty() || fs::exists(folder, ec)) return std::nullopt;
        const fs::path relative = folder.lexically_normal().lexically_relative(m_home);
        if (relative.empty() || *relative.begin() == "..") return std::nullopt;
        return m_home / ".var/app" / std::string(app) / relative;
    }
    // Every subfolder of `parent` (joined with `below`) that holds a registry.
    void AddListed(const fs::path& parent, const fs::path& below, const PrefixOrigin& origin) {
        std::error_code ec;
        if (!fs::is_directory(parent, ec)) {
            Note(origin.launcher, parent, PassedOver::kNotThere);
            return;
        }
        for (const fs::path& folder : Subfolders(parent, below)) Add(folder, origin);
    }
    void Note(const std::string& group, const fs::path& path, PassedOver why) {
        m_notes.push_back({group, Utf8FromPath(path), why});
    }

    const fs::path& Home() const { return m_home; }
    std::vector<Named>& FlatpakLater() { return m_flatpakLater; }
    std::vector<PrefixCandidate>& Found() { return m_found; }
    // Places noted before candidate i was added.
    std::size_t NotesBefore(std::size_t i) const { return m_notesBefore[i]; }
    const std::vector<LookedPlace>& Notes() const { return m_notes; }

private:
    fs::path m_home;
    std::vector<PrefixCandidate> m_found;
    std::vector<std::size_t> m_notesBefore;
    std::vector<LookedPlace> m_notes;
    std::vector<Named> m_flatpakLater;
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

// Reads a launcher's file into `text`; one that is there but cannot be read is noted.
bool ReadLauncherFile(PrefixList& list, const std::string& launcher, const fs::path& file,
                      std::string& text) {
    if (ReadFileInto(file, kMaxLauncherConfigSize, text)) return true;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(file, ec))) {
        list.Note(launcher, file, PassedOver::kUnreadable);
    }
    return false;
}

// Hands each <dir>/*<extension> and its text to `use`, directory by directory.
template <typename Use>
void ForEachConfig(PrefixList& list, const std::string& launcher, const std::vector<fs::path>& dirs,
                   std::string_view extension, Use use) {
    std::string text;
    for (const fs::path& dir : dirs) {
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) {
            list.Note(launcher, dir, PassedOver::kNotThere);
            continue;
        }
        for (const fs::path& file : ConfigFiles(dir, extension)) {
            if (ReadLauncherFile(list, launcher, file, text)) use(file, text);
        }
    }
}

constexpr std::string_view kHeroicFlatpak = "com.heroicgameslauncher.hgl";
constexpr std::string_view kSteamFlatpak = "com.valvesoftware.Steam";

void AddHeroic(PrefixList& list, const std::optional<fs::path>& configHome) {
    const fs::path& home = list.Home();
    std::vector<fs::path> dirs;
    if (configHome) dirs.push_back(*configHome / "heroic/GamesConfig");
    dirs.push_back(home / ".config/heroic/GamesConfig");
    const fs::path flatpak = home / ".var/app" / std::string(kHeroicFlatpak);
    dirs.push_back(flatpak / "config/heroic/GamesConfig");
    ForEachConfig(
        list, "Heroic", dirs, ".json", [&](const fs::path& file, const std::string& text) {
            const auto prefixes = HeroicWinePrefixes(text);
            if (!prefixes) {
                list.Note("Heroic", file, PassedOver::kUnreadable);
                return;
            }
            const bool inFlatpak = file.native().starts_with(flatpak.native());
            for (const std::string& prefix : *prefixes) {
                list.AddText(prefix, true, {"Heroic", file, {}}, inFlatpak ? kHeroicFlatpak : "");
            }
        });
    const PrefixOrigin listed{"Heroic", {}, {}};
    for (const fs::path& parent :
         {home / "Games/Heroic/Prefixes/default", home / "Games/Heroic/Prefixes"}) {
        std::error_code ec;
        if (!fs::is_directory(parent, ec)) {
            list.Note("Heroic", parent, PassedOver::kNotThere);
            continue;
        }
        for (const fs::path& folder : Subfolders(parent, {})) list.AddWithPfx(folder, listed);
    }
}

void AddLutris(PrefixList& list, const std::optional<fs::path>& configHome,
               const std::optional<fs::path>& dataHome) {
    const fs::path& home = list.Home();
    std::vector<fs::path> dirs;
    if (configHome) dirs.push_back(*configHome / "lutris/games");
    dirs.push_back(home / ".config/lutris/games");
    if (dataHome) dirs.push_back(*dataHome / "lutris/games");
    dirs.push_back(home / ".local/share/lutris/games");
    dirs.push_back(home / ".var/app/net.lutris.Lutris/config/lutris/games");
    dirs.push_back(home / ".var/app/net.lutris.Lutris/data/lutris/games");
    const std::string homeText = Utf8FromPath(home);
    ForEachConfig(list, "Lutris", dirs, ".yml", [&](const fs::path& file, const std::string& text) {
        if (const auto prefix = LutrisGamePrefix(text, homeText)) {
            list.AddText(*prefix, false, {"Lutris", file, {}});
        } else {
            list.Note("Lutris", file, PassedOver::kUnreadable);
        }
    });
    list.AddListed(home / "Games", {}, {"Lutris", {}, {}});
}

// The entries of `library` that are its steamapps folder spelled in another case.
std::vector<fs::path> SteamAppsInOtherCase(const fs::path& library) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::directory_iterator it(library, ec);
    if (ec) return found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string name = Utf8FromPath(it->path().filename());
        if (name != kSteamApps && EqualsFolded(name, kSteamApps) && it->is_directory(ec)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Steam libraries for the later steps: those a Flatpak Steam sees inside its sandbox, and every
// library, for a steamapps folder spelled in another case.
struct SteamLater {
    std::vector<std::pair<fs::path, PrefixOrigin>> flatpak;
    std::vector<std::pair<fs::path, PrefixOrigin>> anyCase;
    // Listed only by a libraryfolders.vdf inside such a folder: all their spellings come later.
    std::vector<std::pair<fs::path, PrefixOrigin>> onlyLater;
};

void ReadSteamListing(PrefixList& list, const fs::path& vdf, bool flatpak,
                      std::vector<std::pair<fs::path, PrefixOrigin>>& libraries,
                      SteamLater& later) {
    std::string text;
    if (!ReadLauncherFile(list, "Steam", vdf, text)) return;
    const std::vector<std::string> folders = SteamLibraryFolders(text);
    if (folders.empty()) list.Note("Steam", vdf, PassedOver::kUnreadable);
    for (const std::string& library : folders) {
        const auto folder = AbsoluteFolder(library);
        if (!folder) continue;
        const PrefixOrigin origin{"Steam", vdf, {}};
        libraries.emplace_back(*folder, origin);
        if (const auto inside = list.FlatpakPlace(*folder, flatpak ? kSteamFlatpak : "")) {
            later.flatpak.emplace_back(*inside, origin);
        }
    }
}

void AddSteam(PrefixList& list, SteamLater& later) {
    const fs::path& home = list.Home();
    const fs::path flatpakRoot =
        home / ".var/app" / std::string(kSteamFlatpak) / ".local/share/Steam";
    const fs::path roots[] = {
        home / ".local/share/Steam",
        home / ".steam/steam",
        flatpakRoot,
        home / "snap/steam/common/.local/share/Steam",
    };
    for (const fs::path& root : roots) {
        std::error_code ec;
        if (!fs::is_directory(root, ec)) {
            list.Note("Steam", root, PassedOver::kNotThere);
            continue;
        }
        const bool flatpak = root == flatpakRoot;
        std::vector<std::pair<fs::path, PrefixOrigin>> libraries = {{root, {"Steam", {}, {}}}};
        for (const char* listing : {"steamapps/libraryfolders.vdf", "config/libraryfolders.vdf"}) {
            ReadSteamListing(list, root / listing, flatpak, libraries, later);
        }
        for (const fs::path& other : SteamAppsInOtherCase(root)) {
            ReadSteamListing(list, other / "libraryfolders.vdf", flatpak, later.onlyLater, later);
        }
        for (const auto& [library, origin] : libraries) {
            list.AddListed(library / kSteamApps / "compatdata", "pfx", origin);
            later.anyCase.emplace_back(library, origin);
        }
    }
}

void AddSteamInOtherCase(PrefixList& list, SteamLater& later) {
    for (const auto& [library, origin] : later.onlyLater) {
        list.AddListed(library / kSteamApps / "compatdata", "pfx", origin);
        later.anyCase.emplace_back(library, origin);
    }
    for (const auto& [library, origin] : later.anyCase) {
        for (const fs::path& steamApps : SteamAppsInOtherCase(library)) {
            list.AddListed(steamApps / "compatdata", "pfx", origin);
        }
    }
}

constexpr std::string_view kFaugusFlatpak = "io.github.Faugus.faugus-launcher";

void AddFaugus(PrefixList& list, const std::optional<fs::path>& configHome,
               const std::optional<fs::path>& dataHome) {
    const fs::path& home = list.Home();
    const fs::path flatpak = home / ".var/app" / std::string(kFaugusFlatpak);
    std::vector<std::pair<fs::path, std::string_view>> files;
    if (dataHome) files.emplace_back(*dataHome / "faugus-launcher/games.json", "");
    files.emplace_back(home / ".local/share/faugus-launcher/games.json", "");
    if (configHome) files.emplace_back(*configHome / "faugus-launcher/games.json", "");
    files.emplace_back(home / ".config/faugus-launcher/games.json", "");
    files.emplace_back(flatpak / "data/faugus-launcher/games.json", kFaugusFlatpak);
    files.emplace_back(flatpak / "config/faugus-launcher/games.json", kFaugusFlatpak);
    std::set<fs::path> read;
    std::string text;
    for (const auto& [file, app] : files) {
        std::error_code ec;
        const fs::path identity = fs::weakly_canonical(file, ec);
        if (!read.insert(ec ? file : identity).second) continue;
        if (!ReadLauncherFile(list, "Faugus Launcher", file, text)) continue;
        const auto games = FaugusGamePrefixes(text);
        if (!games) {
            list.Note("Faugus Launcher", file, PassedOver::kUnreadable);
            continue;
        }
        for (const NamedPrefix& game : *games) {
            list.AddText(game.prefix, false, {"Faugus Launcher", file, game.entry}, app);
        }
    }
    list.AddListed(home / "Faugus", {}, {"Faugus Launcher", {}, {}});
}

void AddPortProton(PrefixList& list, const std::optional<fs::path>& configHome) {
    const fs::path& home = list.Home();
    std::vector<fs::path> files;
    if (configHome) files.push_back(*configHome / "PortProton.conf");
    files.push_back(home / ".config/PortProton.conf");
    std::string text;
    for (const fs::path& file : files) {
        if (!ReadLauncherFile(list, "PortProton", file, text)) continue;
        const auto folder = PortProtonFolder(text);
        const auto absolute = AbsoluteFolder(folder);
        if (!absolute) {
            list.Note("PortProton", file, PassedOver::kUnreadable);
            continue;
        }
        list.AddListed(*absolute / "data/prefixes", {}, {"PortProton", file, {}});
    }
    list.AddListed(home / ".var/app/ru.linux_gaming.PortProton/data/prefixes", {},
                   {"PortProton", {}, {}});
}

constexpr std::string_view kBottlesFlatpak = "com.usebottles.bottles";

void AddMovedBottles(PrefixList& list, const fs::path& library, std::string_view app) {
    std::string text;
    for (const fs::path& bottle : Subfolders(library, {})) {
        const fs::path placeholder = bottle / "placeholder.yml";
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(placeholder, ec))) continue;
        if (!ReadLauncherFile(list, "Bottles", placeholder, text)) continue;
        const auto path = YamlTopLevelText(text, "Path");
        // A placeholder is there to name the folder: one that names none is of no use.
        if (!path || path->empty()) {
            list.Note("Bottles", placeholder, PassedOver::kUnreadable);
            continue;
        }
        list.AddText(*path, false, {"Bottles", placeholder, {}}, app);
    }
}

void AddBottlesElsewhere(PrefixList& list, const std::optional<fs::path>& dataHome) {
    const fs::path& home = list.Home();
    std::vector<std::pair<fs::path, std::string_view>> bases;  // data.yml's folder, Flatpak id
    if (dataHome) bases.emplace_back(*dataHome / "bottles", "");
    bases.emplace_back(home / ".local/share/bottles", "");
    bases.emplace_back(home / ".var/app" / std::string(kBottlesFlatpak) / "data/bottles",
                       kBottlesFlatpak);
    std::vector<std::pair<fs::path, std::string_view>> libraries;
    libraries.reserve(bases.size() * 2);  // each data.yml may add its custom library
    for (const auto& [base, app] : bases) libraries.emplace_back(base / "bottles", app);
    std::string text;
    for (const auto& [base, app] : bases) {
        const fs::path file = base / "data.yml";
        if (!ReadLauncherFile(list, "Bottles", file, text)) continue;
        const auto custom = YamlTopLevelText(text, "custom_bottles_path");
        if (custom && custom->empty()) continue;  // no custom library: the default one is step 6's
        const auto folder = AbsoluteFolder(custom);
        if (!folder) {
            list.Note("Bottles", file, PassedOver::kUnreadable);
            continue;
        }
        fs::path library = *folder;
        if (const auto inside = list.FlatpakPlace(library, app)) library = *inside;
        list.AddListed(library, {}, {"Bottles", file, {}});
        libraries.emplace_back(library, app);
    }
    for (const auto& [library, app] : libraries) AddMovedBottles(list, library, app);
}

void AddMinigalaxy(PrefixList& list, const std::optional<fs::path>& configHome) {
    const fs::path& home = list.Home();
    std::vector<fs::path> files;
    if (configHome) files.push_back(*configHome / "minigalaxy/config.json");
    files.push_back(home / ".config/minigalaxy/config.json");
    files.push_back(home /
                    ".var/app/io.github.sharkwouter.Minigalaxy/config/minigalaxy/config.json");
    std::vector<std::pair<fs::path, PrefixOrigin>> folders;
    std::string text;
    for (const fs::path& file : files) {
        if (!ReadLauncherFile(list, "Minigalaxy", file, text)) continue;
        const auto folder = MinigalaxyInstallDir(text, Utf8FromPath(home));
        if (folder && folder->empty()) continue;  // the default folder, below
        const auto absolute = AbsoluteFolder(folder);
        if (!absolute) {
            list.Note("Minigalaxy", file, PassedOver::kUnreadable);
            continue;
        }
        folders.emplace_back(*absolute, PrefixOrigin{"Minigalaxy", file, {}});
    }
    folders.emplace_back(home / "GOG Games", PrefixOrigin{"Minigalaxy", {}, {}});
    std::set<fs::path> listed;
    for (const auto& [folder, origin] : folders) {
        if (!listed.insert(folder.lexically_normal()).second) continue;
        list.AddListed(folder, "prefix", origin);
    }
}

// The value's folder in one prefix, read from its system.reg into `buffer`; `why` says why
// there is none, or that the folder it names is missing.
std::optional<GameFolderMatch> MatchInPrefix(const PrefixCandidate& candidate,
                                             std::string_view keyPath, std::string_view valueName,
                                             std::string& buffer, PassedOver& why) {
    const fs::path& prefix = candidate.prefix;
    why = PassedOver::kNotThere;
    if (!ReadFileInto(prefix / "system.reg", kMaxRegistrySize, buffer)) return std::nullopt;
    std::string view;
    auto value = ReadMachineString(buffer, keyPath, valueName, &view);
    why = PassedOver::kNoGameKey;
    if (!value) return std::nullopt;
    why = PassedOver::kGameFolderMissing;
    auto folder = ToHostPath(prefix, *value);
    if (!folder) return std::nullopt;
    GameFolderMatch match{prefix, std::move(*value), std::move(*folder),
                          false,  candidate.origin,  std::move(view)};
    std::error_code ec;
    match.exists = fs::is_directory(match.folder, ec);
    return match;
}

PrefixList ListAll(const Environment& env) {
    const std::optional<fs::path> home = AbsoluteFolder(env.home);
    PrefixList list(home.value_or(fs::path()));
    if (const auto prefix = AbsoluteFolder(env.winePrefix)) {
        list.AddNamed({*prefix, false, {"WINEPREFIX", {}, {}}});
    } else if (home) {
        list.AddNamed({*home / ".wine", false, {"Wine", {}, {}}});
    }
    if (!home) return list;

    const std::optional<fs::path> dataHome = AbsoluteFolder(env.xdgDataHome);
    const std::optional<fs::path> configHome = AbsoluteFolder(env.xdgConfigHome);
    AddHeroic(list, configHome);
    AddLutris(list, configHome, dataHome);
    SteamLater steamLater;
    AddSteam(list, steamLater);

    list.AddListed(*home / ".cxoffice", {}, {"CrossOver", {}, {}});

    const PrefixOrigin bottles{"Bottles", {}, {}};
    if (dataHome) list.AddListed(*dataHome / "bottles/bottles", {}, bottles);
    list.AddListed(*home / ".local/share/bottles/bottles", {}, bottles);
    list.AddListed(*home / ".var/app/com.usebottles.bottles/data/bottles/bottles", {}, bottles);

    list.AddListed(*home / ".PlayOnLinux/wineprefix", {}, {"PlayOnLinux", {}, {}});

    const PrefixOrigin named{"wineprefixes", {}, {}};
    if (dataHome) list.AddListed(*dataHome / "wineprefixes", {}, named);
    list.AddListed(*home / ".local/share/wineprefixes", {}, named);

    // Launchers added later come after all of the above, so that what was found before still
    // wins.
    AddFaugus(list, configHome, dataHome);
    list.AddListed(*home / "Games/umu", {}, {"umu-launcher", {}, {}});
    AddPortProton(list, configHome);
    AddBottlesElsewhere(list, dataHome);
    const std::vector<Named> flatpakLater = std::move(list.FlatpakLater());
    for (const Named& inside : flatpakLater) list.AddNamed(inside);
    for (const auto& [library, origin] : steamLater.flatpak) {
        list.AddListed(library / kSteamApps / "compatdata", "pfx", origin);
        steamLater.anyCase.emplace_back(library, origin);
    }
    AddSteamInOtherCase(list, steamLater);
    AddMinigalaxy(list, configHome);
    // WineZGUI keeps one prefix per program, native or as its Flatpak.
    const PrefixOrigin winezgui{"WineZGUI", {}, {}};
    if (dataHome) list.AddListed(*dataHome / "winezgui/Prefixes", {}, winezgui);
    list.AddListed(*home / ".local/share/winezgui/Prefixes", {}, winezgui);
    list.AddListed(*home / ".var/app/io.github.fastrizwaan.WineZGUI/data/winezgui/Prefixes", {},
                   winezgui);
    // Files of the last steps are not Flatpak Heroic's or Steam's: nothing more is deferred.
    return list;
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
                                             std::string_view valueName, std::string* view) {
    // "#arch" comes before the first section: only the views that count are read.
    const std::vector<std::string> views = MachineKeyViews(keyPath, ReadRegistryArch(systemReg));
    const std::vector<std::string_view> keys(views.begin(), views.end());
    const auto file = RegistryFile::ScanKeys(systemReg, keys);
    if (!file) return std::nullopt;
    for (const std::string& found : views) {
        if (auto text = file->FindString(found, valueName)) {
            if (view != nullptr) *view = found;
            return text;
        }
    }
    return std::nullopt;
}

std::vector<PrefixCandidate> ListPrefixCandidates(const Environment& env) {
    return std::move(ListAll(env).Found());
}

std::vector<std::filesystem::path> ListPrefixes(const Environment& env) {
    std::vector<fs::path> prefixes;
    for (PrefixCandidate& candidate : ListPrefixCandidates(env)) {
        prefixes.push_back(std::move(candidate.prefix));
    }
    return prefixes;
}

namespace {

// The launcher, and the file and entry that named the prefix.
std::string Through(const PrefixOrigin& origin) {
    std::string through = origin.launcher;
    if (!origin.file.empty()) {
        through += ", ";
        if (!origin.entry.empty()) through += "game \"" + origin.entry + "\" in ";
        through += Utf8FromPath(origin.file);
    }
    return through;
}

const char* ViewName(const GameFolderMatch& match) {
    const bool wow = match.keyView.find("\\Wow6432Node\\") != std::string::npos;
    return wow ? "32-bit view" : "native view";
}

}  // namespace

void DescribeMatch(const GameFolderMatch& match, LookupAccount& account) {
    account.found = match.exists;
    account.gameFolder = Utf8FromPath(match.folder);
    account.how.clear();
    account.how.push_back("Found through: " + Through(match.origin));
    account.how.push_back("Wine prefix: " + Utf8FromPath(match.prefix));
    account.how.push_back("Registry: HKEY_LOCAL_MACHINE\\" + match.keyView + ", value Path (" +
                          ViewName(match) + "), in " + Utf8FromPath(match.prefix / "system.reg"));
    account.how.push_back("Stored as: " + match.windowsPath);
}

std::string DescribeMatchBriefly(const GameFolderMatch& match) {
    return Through(match.origin) + "; prefix " + Utf8FromPath(match.prefix) + "; " +
           ViewName(match);
}

std::vector<GameFolderMatch> FindAllGameFolders(const Environment& env, std::string_view keyPath,
                                                std::string_view valueName,
                                                std::chrono::steady_clock::time_point deadline,
                                                bool& incomplete) {
    incomplete = false;
    PrefixList list = ListAll(env);
    std::vector<GameFolderMatch> matches;
    std::string buffer;
    for (const PrefixCandidate& candidate : list.Found()) {
        if (std::chrono::steady_clock::now() > deadline) {
            incomplete = true;
            break;
        }
        PassedOver why = PassedOver::kNotThere;
        auto match = MatchInPrefix(candidate, keyPath, valueName, buffer, why);
        if (match && match->exists) matches.push_back(std::move(*match));
    }
    return matches;
}

std::optional<GameFolderMatch> FindGameFolder(const Environment& env, std::string_view keyPath,
                                              std::string_view valueName, LookupAccount* account) {
    PrefixList list = ListAll(env);
    const std::vector<PrefixCandidate>& candidates = list.Found();
    const std::vector<LookedPlace>& notes = list.Notes();
    std::size_t noted = 0;
    const auto noteUpTo = [&](std::size_t end) {
        if (account == nullptr) return;
        for (; noted < end; ++noted) account->looked.push_back(notes[noted]);
    };
    std::optional<GameFolderMatch> firstHeld;
    std::string buffer;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        noteUpTo(list.NotesBefore(i));
        PassedOver why = PassedOver::kNotThere;
        auto match = MatchInPrefix(candidates[i], keyPath, valueName, buffer, why);
        if (match && match->exists) {
            if (account != nullptr) DescribeMatch(*match, *account);
            return match;
        }
        if (account != nullptr) {
            account->looked.push_back(
                {candidates[i].origin.launcher, Utf8FromPath(candidates[i].prefix), why});
        }
        if (match && !firstHeld) firstHeld = std::move(match);
    }
    noteUpTo(notes.size());
    return firstHeld;
}

std::optional<GameFolderMatch> GameFolderSearch::Find(const Environment& env,
                                                      std::string_view keyPath,
                                                      std::string_view valueName,
                                                      LookupAccount* account) {
    if (m_prefix) {
        std::string buffer;
        PassedOver why = PassedOver::kNotThere;
        auto match = MatchInPrefix(*m_prefix, keyPath, valueName, buffer, why);
        if (match && match->exists) {
            if (account != nullptr) DescribeMatch(*match, *account);
            return match;
        }
        m_prefix.reset();
    }
    auto match = FindGameFolder(env, keyPath, valueName, account);
    if (match && match->exists) m_prefix = PrefixCandidate{match->prefix, match->origin};
    return match;
}

}  // namespace settings::wine
