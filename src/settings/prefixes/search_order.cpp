#include "settings/prefixes/search_order.h"

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>

#include "settings/prefixes/launcher_configs.h"
#include "settings/prefixes/vdf_reader.h"
#include "settings/wine/unicode_text.h"
#include "settings/wine/windows_path.h"

namespace settings::prefixes {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSteamApps = "steamapps";
constexpr std::string_view kHeroicFlatpak = "com.heroicgameslauncher.hgl";
constexpr std::string_view kSteamFlatpak = "com.valvesoftware.Steam";
constexpr std::string_view kFaugusFlatpak = "io.github.Faugus.faugus-launcher";
constexpr std::string_view kBottlesFlatpak = "com.usebottles.bottles";

using Libraries = std::vector<std::pair<fs::path, PrefixOrigin>>;

// Steam libraries for the later steps: those a Flatpak Steam sees inside its sandbox, and every
// library, for a steamapps folder spelled in another case.
struct SteamLater {
    Libraries flatpak;
    Libraries anyCase;
    // Listed only by a libraryfolders.vdf inside such a folder: all their spellings come later.
    Libraries onlyLater;
};

// What the steps share: the list they add to, the user's folders, what Steam leaves for later.
struct Listing {
    PrefixList list;
    std::optional<fs::path> winePrefix;
    std::optional<fs::path> dataHome;
    std::optional<fs::path> configHome;
    SteamLater steam;
};

// $WINEPREFIX when it is set to an absolute path; otherwise $HOME/.wine. (Wine refuses a relative
// WINEPREFIX, so one is ignored here, as is an empty one.)
void AddWine(Listing& at, const std::string& launcher) {
    if (at.winePrefix) {
        at.list.AddNamed({*at.winePrefix, false, {"WINEPREFIX", {}, {}}});
    } else if (!at.list.Home().empty()) {
        at.list.AddNamed({at.list.Home() / ".wine", false, {launcher, {}, {}}});
    }
}

// The "winePrefix" of every game in GamesConfig/*.json under $XDG_CONFIG_HOME/heroic, ~/.config/
// heroic and the Flatpak's ~/.var/app/com.heroicgameslauncher.hgl/config/heroic; then ~/Games/
// Heroic/Prefixes/default/* and (older versions) ~/Games/Heroic/Prefixes/*. Each folder is tried,
// then its pfx/ (where a Proton game keeps the prefix).
void AddHeroic(Listing& at, const std::string& launcher) {
    PrefixList& list = at.list;
    const fs::path& home = list.Home();
    std::vector<fs::path> dirs;
    if (at.configHome) dirs.push_back(*at.configHome / "heroic/GamesConfig");
    dirs.push_back(home / ".config/heroic/GamesConfig");
    const fs::path flatpak = home / ".var/app" / std::string(kHeroicFlatpak);
    dirs.push_back(flatpak / "config/heroic/GamesConfig");
    ForEachConfig(
        list, launcher, dirs, ".json", [&](const fs::path& file, const std::string& text) {
            const auto prefixes = HeroicWinePrefixes(text);
            if (!prefixes) {
                list.Note(launcher, file, locate::PassedOver::kUnreadable);
                return;
            }
            const bool inFlatpak = file.native().starts_with(flatpak.native());
            for (const std::string& prefix : *prefixes) {
                list.AddText(prefix, true, {launcher, file, {}}, inFlatpak ? kHeroicFlatpak : "");
            }
        });
    const PrefixOrigin listed{launcher, {}, {}};
    for (const fs::path& parent :
         {home / "Games/Heroic/Prefixes/default", home / "Games/Heroic/Prefixes"}) {
        std::error_code ec;
        if (!fs::is_directory(parent, ec)) {
            list.Note(launcher, parent, locate::PassedOver::kNotThere);
            continue;
        }
        for (const fs::path& folder : Subfolders(parent, {})) list.AddWithPfx(folder, listed);
    }
}

// The "game: prefix:" of every games/*.yml under $XDG_CONFIG_HOME/lutris, ~/.config/lutris,
// $XDG_DATA_HOME/lutris, ~/.local/share/lutris and the Flatpak's ~/.var/app/net.lutris.Lutris/
// config/lutris and .../data/lutris; then ~/Games/* (its installers make the game folder the
// prefix).
void AddLutris(Listing& at, const std::string& launcher) {
    PrefixList& list = at.list;
    const fs::path& home = list.Home();
    std::vector<fs::path> dirs;
    if (at.configHome) dirs.push_back(*at.configHome / "lutris/games");
    dirs.push_back(home / ".config/lutris/games");
    if (at.dataHome) dirs.push_back(*at.dataHome / "lutris/games");
    dirs.push_back(home / ".local/share/lutris/games");
    dirs.push_back(home / ".var/app/net.lutris.Lutris/config/lutris/games");
    dirs.push_back(home / ".var/app/net.lutris.Lutris/data/lutris/games");
    const std::string homeText = wine::Utf8FromPath(home);
    ForEachConfig(list, launcher, dirs, ".yml", [&](const fs::path& file, const std::string& text) {
        if (const auto prefix = LutrisGamePrefix(text, homeText)) {
            list.AddText(*prefix, false, {launcher, file, {}});
        } else {
            list.Note(launcher, file, locate::PassedOver::kUnreadable);
        }
    });
    list.AddListed(home / "Games", {}, {launcher, {}, {}});
}

// The entries of `library` that are its steamapps folder spelled in another case.
std::vector<fs::path> SteamAppsInOtherCase(const fs::path& library) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::directory_iterator it(library, ec);
    if (ec) return found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string name = wine::Utf8FromPath(it->path().filename());
        if (name != kSteamApps && wine::EqualsFolded(name, kSteamApps) && it->is_directory(ec)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

void ReadSteamListing(PrefixList& list, const std::string& launcher, const fs::path& vdf,
                      bool flatpak, Libraries& libraries, SteamLater& later) {
    std::string text;
    if (!ReadLauncherFile(list, launcher, vdf, text)) return;
    const std::vector<std::string> folders = SteamLibraryFolders(text);
    if (folders.empty()) list.Note(launcher, vdf, locate::PassedOver::kUnreadable);
    for (const std::string& library : folders) {
        const auto folder = AbsoluteFolder(library);
        if (!folder) continue;
        const PrefixOrigin origin{launcher, vdf, {}};
        libraries.emplace_back(*folder, origin);
        if (const auto inside = list.FlatpakPlace(*folder, flatpak ? kSteamFlatpak : "")) {
            later.flatpak.emplace_back(*inside, origin);
        }
    }
}

// Proton's prefixes: for each Steam root (~/.local/share/Steam, ~/.steam/steam, the Flatpak's
// ~/.var/app/com.valvesoftware.Steam/.local/share/Steam, the Snap's ~/snap/steam/common/.local/
// share/Steam), the root itself and then every library listed in its steamapps/
// libraryfolders.vdf and config/libraryfolders.vdf: <library>/steamapps/compatdata/*/pfx.
void AddSteam(Listing& at, const std::string& launcher) {
    PrefixList& list = at.list;
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
            list.Note(launcher, root, locate::PassedOver::kNotThere);
            continue;
        }
        const bool flatpak = root == flatpakRoot;
        Libraries libraries = {{root, {launcher, {}, {}}}};
        for (const char* listing : {"steamapps/libraryfolders.vdf", "config/libraryfolders.vdf"}) {
            ReadSteamListing(list, launcher, root / listing, flatpak, libraries, at.steam);
        }
        for (const fs::path& other : SteamAppsInOtherCase(root)) {
            ReadSteamListing(list, launcher, other / "libraryfolders.vdf", flatpak,
                             at.steam.onlyLater, at.steam);
        }
        for (const auto& [library, origin] : libraries) {
            list.AddListed(library / kSteamApps / "compatdata", "pfx", origin);
            at.steam.anyCase.emplace_back(library, origin);
        }
    }
}

// ~/.cxoffice/*, one bottle each.
void AddCrossOver(Listing& at, const std::string& launcher) {
    at.list.AddListed(at.list.Home() / ".cxoffice", {}, {launcher, {}, {}});
}

// $XDG_DATA_HOME/bottles/bottles/*, ~/.local/share/bottles/bottles/* and the Flatpak's
// ~/.var/app/com.usebottles.bottles/data/bottles/bottles/*.
void AddBottles(Listing& at, const std::string& launcher) {
    const PrefixOrigin bottles{launcher, {}, {}};
    const fs::path& home = at.list.Home();
    if (at.dataHome) at.list.AddListed(*at.dataHome / "bottles/bottles", {}, bottles);
    at.list.AddListed(home / ".local/share/bottles/bottles", {}, bottles);
    at.list.AddListed(home / ".var/app" / std::string(kBottlesFlatpak) / "data/bottles/bottles", {},
                      bottles);
}

// ~/.PlayOnLinux/wineprefix/*.
void AddPlayOnLinux(Listing& at, const std::string& launcher) {
    at.list.AddListed(at.list.Home() / ".PlayOnLinux/wineprefix", {}, {launcher, {}, {}});
}

// $XDG_DATA_HOME/wineprefixes/*, then ~/.local/share/wineprefixes/*: named prefixes that no
// launcher owns.
void AddWinePrefixes(Listing& at, const std::string& /*launcher*/) {
    const PrefixOrigin named{"wineprefixes", {}, {}};
    if (at.dataHome) at.list.AddListed(*at.dataHome / "wineprefixes", {}, named);
    at.list.AddListed(at.list.Home() / ".local/share/wineprefixes", {}, named);
}

// The "prefix" of every game in faugus-launcher/games.json under $XDG_DATA_HOME, ~/.local/share,
// then (older versions) $XDG_CONFIG_HOME and ~/.config, then the Flatpak's data/ and config/;
// then ~/Faugus/*.
void AddFaugus(Listing& at, const std::string& launcher) {
    PrefixList& list = at.list;
    const fs::path& home = list.Home();
    const fs::path flatpak = home / ".var/app" / std::string(kFaugusFlatpak);
    std::vector<std::pair<fs::path, std::string_view>> files;
    if (at.dataHome) files.emplace_back(*at.dataHome / "faugus-launcher/games.json", "");
    files.emplace_back(home / ".local/share/faugus-launcher/games.json", "");
    if (at.configHome) files.emplace_back(*at.configHome / "faugus-launcher/games.json", "");
    files.emplace_back(home / ".config/faugus-launcher/games.json", "");
    files.emplace_back(flatpak / "data/faugus-launcher/games.json", kFaugusFlatpak);
    files.emplace_back(flatpak / "config/faugus-launcher/games.json", kFaugusFlatpak);
    std::set<fs::path> read;
    std::string text;
    for (const auto& [file, app] : files) {
        std::error_code ec;
        const fs::path identity = fs::weakly_canonical(file, ec);
        if (!read.insert(ec ? file : identity).second) continue;
        if (!ReadLauncherFile(list, launcher, file, text)) continue;
        const auto games = FaugusGamePrefixes(text);
        if (!games) {
            list.Note(launcher, file, locate::PassedOver::kUnreadable);
            continue;
        }
        for (const NamedPrefix& game : *games) {
            list.AddText(game.prefix, false, {launcher, file, game.entry}, app);
        }
    }
    list.AddListed(home / "Faugus", {}, {launcher, {}, {}});
}

// umu-launcher on its own: ~/Games/umu/*.
void AddUmu(Listing& at, const std::string& launcher) {
    at.list.AddListed(at.list.Home() / "Games/umu", {}, {launcher, {}, {}});
}

// <folder>/data/prefixes/* for the folder on the first line of $XDG_CONFIG_HOME/PortProton.conf
// and ~/.config/PortProton.conf; the Flatpak's ~/.var/app/ru.linux_gaming.PortProton/data/
// prefixes/*.
void AddPortProton(Listing& at, const std::string& launcher) {
    PrefixList& list = at.list;
    const fs::path& home = list.Home();
    std::vector<fs::path> files;
    if (at.configHome) files.push_back(*at.configHome / "PortProton.conf");
    files.push_back(home / ".config/PortProton.conf");
    std::string text;
    for (const fs::path& file : files) {
        if (!ReadLauncherFile(list, launcher, file, text)) continue;
        const auto absolute = AbsoluteFolder(PortProtonFolder(text));
        if (!absolute) {
            list.Note(launcher, file, locate::PassedOver::kUnreadable);
            continue;
        }
        list.AddListed(*absolute / "data/prefixes", {}, {launcher, file, {}});
    }
    list.AddListed(home / ".var/app/ru.linux_gaming.PortProton/data/prefixes", {},
                   {launcher, {}, {}});
}

void AddMovedBottles(PrefixList& list, const std::string& launcher, const fs::path& library,
                     std::string_view app) {
    std::string text;
    for (const fs::path& bottle : Subfolders(library, {})) {
        const fs::path placeholder = bottle / "placeholder.yml";
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(placeholder, ec))) continue;
        if (!ReadLauncherFile(list, launcher, placeholder, text)) continue;
        const auto path = YamlTopLevelText(text, "Path");
        // A placeholder is there to name the folder: one that names none is of no use.
        if (!path || path->empty()) {
            list.Note(launcher, placeholder, locate::PassedOver::kUnreadable);
            continue;
        }
        list.AddText(*path, false, {launcher, placeholder, {}}, app);
    }
}

// <custom_bottles_path>/* from bottles/data.yml (the XDG data folders of AddBottles and the
// Flatpak's); then every bottle of every Bottles library whose placeholder.yml names the folder
// the bottle was moved to ("Path").
void AddBottlesElsewhere(Listing& at, const std::string& launcher) {
    PrefixList& list = at.list;
    const fs::path& home = list.Home();
    std::vector<std::pair<fs::path, std::string_view>> bases;  // data.yml's folder, Flatpak id
    if (at.dataHome) bases.emplace_back(*at.dataHome / "bottles", "");
    bases.emplace_back(home / ".local/share/bottles", "");
    bases.emplace_back(home / ".var/app" / std::string(kBottlesFlatpak) / "data/bottles",
                       kBottlesFlatpak);
    std::vector<std::pair<fs::path, std::string_view>> libraries;
    libraries.reserve(bases.size() * 2);  // each data.yml may add its custom library
    for (const auto& [base, app] : bases) libraries.emplace_back(base / "bottles", app);
    std::string text;
    for (const auto& [base, app] : bases) {
        const fs::path file = base / "data.yml";
        if (!ReadLauncherFile(list, launcher, file, text)) continue;
        const auto custom = YamlTopLevelText(text, "custom_bottles_path");
        if (custom && custom->empty()) continue;  // no custom library: the default is AddBottles'
        const auto folder = AbsoluteFolder(custom);
        if (!folder) {
            list.Note(launcher, file, locate::PassedOver::kUnreadable);
            continue;
        }
        fs::path library = *folder;
        if (const auto inside = list.FlatpakPlace(library, app)) library = *inside;
        list.AddListed(library, {}, {launcher, file, {}});
        libraries.emplace_back(library, app);
    }
    for (const auto& [library, app] : libraries) AddMovedBottles(list, launcher, library, app);
}

// A folder below the home that a Flatpak's file names (Heroic, Faugus Launcher, a moved bottle,
// Steam's library list) but that does not exist, looked for under ~/.var/app/<app id>/ with the
// same path below it. The steps after this one put nothing off for it.
void AddFlatpakPlaces(Listing& at, const std::string& /*launcher*/) {
    const std::vector<FolderToTry> later = std::move(at.list.FlatpakLater());
    for (const FolderToTry& inside : later) at.list.AddNamed(inside);
    for (const auto& [library, origin] : at.steam.flatpak) {
        at.list.AddListed(library / kSteamApps / "compatdata", "pfx", origin);
        at.steam.anyCase.emplace_back(library, origin);
    }
}

// Steam libraries whose steamapps folder is spelled in another case (SteamApps).
void AddSteamInOtherCase(Listing& at, const std::string& /*launcher*/) {
    for (const auto& [library, origin] : at.steam.onlyLater) {
        at.list.AddListed(library / kSteamApps / "compatdata", "pfx", origin);
        at.steam.anyCase.emplace_back(library, origin);
    }
    for (const auto& [library, origin] : at.steam.anyCase) {
        for (const fs::path& steamApps : SteamAppsInOtherCase(library)) {
            at.list.AddListed(steamApps / "compatdata", "pfx", origin);
        }
    }
}

// <install_dir>/*/prefix, install_dir from minigalaxy/config.json under $XDG_CONFIG_HOME,
// ~/.config and the Flatpak's config/ (default ~/GOG Games).
void AddMinigalaxy(Listing& at, const std::string& launcher) {
    PrefixList& list = at.list;
    const fs::path& home = list.Home();
    std::vector<fs::path> files;
    if (at.configHome) files.push_back(*at.configHome / "minigalaxy/config.json");
    files.push_back(home / ".config/minigalaxy/config.json");
    files.push_back(home /
                    ".var/app/io.github.sharkwouter.Minigalaxy/config/minigalaxy/config.json");
    Libraries folders;
    std::string text;
    for (const fs::path& file : files) {
        if (!ReadLauncherFile(list, launcher, file, text)) continue;
        const auto folder = MinigalaxyInstallDir(text, wine::Utf8FromPath(home));
        if (folder && folder->empty()) continue;  // the default folder, below
        const auto absolute = AbsoluteFolder(folder);
        if (!absolute) {
            list.Note(launcher, file, locate::PassedOver::kUnreadable);
            continue;
        }
        folders.emplace_back(*absolute, PrefixOrigin{launcher, file, {}});
    }
    folders.emplace_back(home / "GOG Games", PrefixOrigin{launcher, {}, {}});
    std::set<fs::path> listed;
    for (const auto& [folder, origin] : folders) {
        if (!listed.insert(folder.lexically_normal()).second) continue;
        list.AddListed(folder, "prefix", origin);
    }
}

// One prefix per program, native or as its Flatpak: $XDG_DATA_HOME/winezgui/Prefixes/*,
// ~/.local/share/winezgui/Prefixes/*, ~/.var/app/io.github.fastrizwaan.WineZGUI/data/winezgui/
// Prefixes/*.
void AddWineZGUI(Listing& at, const std::string& launcher) {
    const PrefixOrigin winezgui{launcher, {}, {}};
    const fs::path& home = at.list.Home();
    if (at.dataHome) at.list.AddListed(*at.dataHome / "winezgui/Prefixes", {}, winezgui);
    at.list.AddListed(home / ".local/share/winezgui/Prefixes", {}, winezgui);
    at.list.AddListed(home / ".var/app/io.github.fastrizwaan.WineZGUI/data/winezgui/Prefixes", {},
                      winezgui);
}

struct SearchStep {
    const char* launcher;  // as the account and the documents name it; empty: no one launcher's
    void (*add)(Listing&, const std::string& launcher);
};

// The search order. The first prefix whose registry holds the game's folder and whose folder
// exists wins, so steps are only ever added at the end: a prefix found before still wins.
constexpr SearchStep kSearchSteps[] = {
    {"Wine", AddWine},
    {"Heroic", AddHeroic},
    {"Lutris", AddLutris},
    {"Steam", AddSteam},
    {"CrossOver", AddCrossOver},
    {"Bottles", AddBottles},
    {"PlayOnLinux", AddPlayOnLinux},
    {"", AddWinePrefixes},
    {"Faugus Launcher", AddFaugus},
    {"umu-launcher", AddUmu},
    {"PortProton", AddPortProton},
    {"Bottles", AddBottlesElsewhere},
    {"", AddFlatpakPlaces},
    {"Steam", AddSteamInOtherCase},
    {"Minigalaxy", AddMinigalaxy},
    {"WineZGUI", AddWineZGUI},
};

}  // namespace

std::vector<std::string_view> SearchedLaunchers() {
    std::vector<std::string_view> launchers;
    for (const SearchStep& step : kSearchSteps) launchers.emplace_back(step.launcher);
    return launchers;
}

PrefixList BuildPrefixList(const Environment& env) {
    const std::optional<fs::path> home = AbsoluteFolder(env.home);
    Listing at{PrefixList(home.value_or(fs::path())),
               AbsoluteFolder(env.winePrefix),
               AbsoluteFolder(env.xdgDataHome),
               AbsoluteFolder(env.xdgConfigHome),
               {}};
    for (const SearchStep& step : kSearchSteps) {
        step.add(at, step.launcher);
        // Without a home only the first step, $WINEPREFIX, has anywhere to look.
        if (!home) break;
    }
    return std::move(at.list);
}

}  // namespace settings::prefixes
