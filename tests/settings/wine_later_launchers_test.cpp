// The prefix search's later steps (the launchers after the first eight) and the account of a
// search that F1 shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dialog/lookup_report.h"
#include "settings/locate/game_folder.h"
#include "settings/prefixes/prefix_search.h"
#include "wine_test_support.h"

namespace {

namespace fs = std::filesystem;
using settings::prefixes::Environment;
using settings::prefixes::FindGameFolder;
using wine_test::ListPrefixes;

// --- Launchers searched after the first eight steps -----------------------------------------

class LaterLaunchers : public ::testing::Test {
protected:
    fs::path AddPrefix(const fs::path& relative, bool withGame = true) {
        const fs::path prefix = m_scratch.MakeDir(relative);
        wine_test::WriteFile(
            prefix / "system.reg",
            withGame ? wine_test::SystemReg("win64", wine_test::kGameKeyWow, "C:\\Games\\SFC")
                     : wine_test::SystemReg("win64", "Software\\Other", "C:\\x"));
        fs::create_directories(prefix / "drive_c/Games/SFC");
        return prefix;
    }
    void Write(const fs::path& relative, const std::string& text) {
        wine_test::WriteFile(m_scratch.path() / relative, text);
    }
    std::string Home() const { return wine_test::Utf8FromPathForTest(m_scratch.path()); }
    Environment HomeOnly() const {
        Environment env;
        env.home = Home();
        return env;
    }
    wine_test::ScratchDir m_scratch;
};

TEST_F(LaterLaunchers, FaugusUmuAndWineZguiComeAfterTheFirstSteps) {
    const fs::path pol = AddPrefix(".PlayOnLinux/wineprefix/sfc");
    const fs::path data = AddPrefix("disk/faugus-data");
    const fs::path config = AddPrefix("disk/faugus-config");
    const fs::path flatpak = AddPrefix("disk/faugus-flatpak");
    const fs::path listed = AddPrefix("Faugus/sfc");
    const fs::path umu = AddPrefix("Games/umu/umu-default");
    const fs::path zgui = AddPrefix(".local/share/winezgui/Prefixes/sfc-setup");
    const fs::path zguiFlatpak =
        AddPrefix(".var/app/io.github.fastrizwaan.WineZGUI/data/winezgui/Prefixes/sfc");
    Write(".local/share/faugus-launcher/games.json",
          R"([{"gameid": "sfc", "title": "SFC", "prefix": ")" + Home() +
              R"(/disk/faugus-data"}, {"title": "no prefix"}, {"prefix": 3}, "x"])");
    Write(".config/faugus-launcher/games.json",  // older versions kept it here
          R"([{"gameid": "old", "prefix": ")" + Home() + R"(/disk/faugus-config"}])");
    Write(".var/app/io.github.Faugus.faugus-launcher/data/faugus-launcher/games.json",
          R"([{"prefix": ")" + Home() + R"(/disk/faugus-flatpak"}])");
    Write(".var/app/io.github.Faugus.faugus-launcher/config/faugus-launcher/games.json",
          R"({"not": "a list"})");
    EXPECT_EQ(ListPrefixes(HomeOnly()),
              (std::vector<fs::path>{pol, data, config, flatpak, listed, umu, zgui, zguiFlatpak}));
}

TEST_F(LaterLaunchers, PortProtonFolderFromTheFirstLine) {
    const fs::path prefix = AddPrefix("Apps/PortProton/data/prefixes/DEFAULT");
    const fs::path flatpak = AddPrefix(".var/app/ru.linux_gaming.PortProton/data/prefixes/X");
    Write(".config/PortProton.conf", "  " + Home() + "/Apps/PortProton \r\nsecond line\n");
    EXPECT_EQ(ListPrefixes(HomeOnly()), (std::vector<fs::path>{prefix, flatpak}));
    for (const std::string& broken :
         std::vector<std::string>{"", "relative/folder\n", "\n" + Home() + "/Apps/PortProton"}) {
        Write(".config/PortProton.conf", broken);
        EXPECT_EQ(ListPrefixes(HomeOnly()), std::vector<fs::path>{flatpak}) << broken;
    }
}

TEST_F(LaterLaunchers, BottlesCustomLibraryAndMovedBottles) {
    const fs::path inLibrary = AddPrefix(".local/share/bottles/bottles/plain");
    const fs::path custom = AddPrefix("disk/Bottles/sfc");
    const fs::path moved = AddPrefix("disk/moved bottle");
    const fs::path movedFromCustom = AddPrefix("disk/moved from custom");
    const fs::path flatpakCustom =  // outside the sandbox it is below ~/.var/app/<id>/
        AddPrefix(".var/app/com.usebottles.bottles/Bottles/sfc");
    Write(".local/share/bottles/data.yml", "custom_bottles_path: " + Home() + "/disk/Bottles\n");
    Write(".local/share/bottles/bottles/moved/placeholder.yml",
          "Path: " + Home() + "/disk/moved bottle\n");
    Write("disk/Bottles/away/placeholder.yml", "Path: '" + Home() + "/disk/moved from custom'\n");
    Write(".local/share/bottles/bottles/broken/placeholder.yml", "Path: [");
    Write(".var/app/com.usebottles.bottles/data/bottles/data.yml",
          "custom_bottles_path: " + Home() + "/Bottles\n");
    EXPECT_EQ(ListPrefixes(HomeOnly()),
              (std::vector<fs::path>{inLibrary, custom, flatpakCustom, moved, movedFromCustom}));
    for (const char* broken : {"custom_bottles_path: [1]\n", "custom_bottles_path: relative\n",
                               "::: not yaml", "- a list\n"}) {
        Write(".local/share/bottles/data.yml", broken);
        EXPECT_EQ(ListPrefixes(HomeOnly()),
                  (std::vector<fs::path>{inLibrary, flatpakCustom, moved}))
            << broken;
    }
}

TEST_F(LaterLaunchers, FlatpakSandboxPathsAndSteamAppsInAnyCase) {
    // Heroic's Flatpak names ~/Games/x, which exists only inside its sandbox.
    const fs::path heroic = AddPrefix(".var/app/com.heroicgameslauncher.hgl/Games/x/pfx");
    Write(".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig/x.json",
          R"({"x": {"winePrefix": ")" + Home() + R"(/Games/x"}})");
    // Steam's Flatpak lists a library as it sees it; an old library spells SteamApps.
    const fs::path steamRoot = ".var/app/com.valvesoftware.Steam/.local/share/Steam";
    fs::create_directories(m_scratch.path() / steamRoot);
    Write(steamRoot / "steamapps/libraryfolders.vdf", "\"libraryfolders\" { \"1\" { \"path\" \"" +
                                                          Home() + "/Lib\" } \"2\" { \"path\" \"" +
                                                          Home() + "/Old\" } }");
    const fs::path sandboxed =
        AddPrefix(".var/app/com.valvesoftware.Steam/Lib/steamapps/compatdata/1/pfx");
    const fs::path oldCase = AddPrefix("Old/SteamApps/compatdata/2/pfx");
    const fs::path cxoffice = AddPrefix(".cxoffice/sfc");  // step 5 still comes first
    EXPECT_EQ(ListPrefixes(HomeOnly()),
              (std::vector<fs::path>{cxoffice, heroic, sandboxed, oldCase}));
}

TEST_F(LaterLaunchers, MinigalaxyGamesAndTheirLinkedDrive) {
    SKIP_ON_WINDOWS("symbolic links");
    const fs::path byDefault = AddPrefix("GOG Games/Other/prefix", false);
    const fs::path configured = m_scratch.MakeDir("disk/GOG/Starfleet Command II/prefix");
    wine_test::WriteFile(configured / "system.reg",
                         wine_test::SystemReg("win32", wine_test::kGameKey, "C:\\game"));
    // Minigalaxy installs the game beside the prefix, reached through a relative link.
    fs::create_directories(configured / "drive_c");
    fs::create_directory_symlink("../..", configured / "drive_c/game");
    Write(".config/minigalaxy/config.json", R"({"lang": "en", "install_dir": "~/disk/GOG"})");
    EXPECT_EQ(ListPrefixes(HomeOnly()), (std::vector<fs::path>{configured, byDefault}));
    const auto match = FindGameFolder(HomeOnly(), settings::locate::kGameRegistryKey, "Path");
    ASSERT_TRUE(match);
    EXPECT_TRUE(match->exists);
    EXPECT_TRUE(fs::equivalent(match->folder, configured.parent_path()));
    for (const char* broken : {"{\"install_dir\": 7}", "[]", "{\"install_dir\": \"rel\"}", "{"}) {
        Write(".config/minigalaxy/config.json", broken);
        EXPECT_EQ(ListPrefixes(HomeOnly()), std::vector<fs::path>{byDefault}) << broken;
    }
}

// --- The account F1 shows ------------------------------------------------------------------

TEST_F(LaterLaunchers, AccountOfTheSearch) {
    // Found through a launcher's file: which file, which game, the prefix and the key.
    const fs::path prefix = AddPrefix("disk/faugus");
    Write(".local/share/faugus-launcher/games.json",
          R"([{"title": "Starfleet", "prefix": ")" + Home() + R"(/disk/faugus"}])");
    settings::locate::LookupAccount found;
    ASSERT_TRUE(FindGameFolder(HomeOnly(), settings::locate::kGameRegistryKey, "Path", &found));
    ASSERT_TRUE(found.found);
    const std::string text = DescribeLookup(found, {{"/x/scripts.ini", {}, false, {}}});
    EXPECT_NE(text.find("Game folder: " + Home() + "/disk/faugus/drive_c/Games/SFC\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Found through: Faugus Launcher, game \"Starfleet\" in " + Home() +
                        "/.local/share/faugus-launcher/games.json\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Registry: HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Taldren\\"
                        "Starfleet Command II, value Path (32-bit view), in " +
                        wine_test::Utf8FromPathForTest(prefix / "system.reg")),
              std::string::npos)
        << text;

    // Not found: each reason once, and 30 Steam prefixes on one line.
    fs::remove_all(m_scratch.path() / ".local/share/faugus-launcher");
    fs::remove_all(prefix / "drive_c/Games/SFC");  // the folder it names is missing
    Write(".config/lutris/games/broken.yml", "game: [");
    for (int i = 0; i < 30; ++i) {
        AddPrefix(".local/share/Steam/steamapps/compatdata/" + std::to_string(100 + i) + "/pfx",
                  false);
    }
    m_scratch.MakeDir("Faugus/empty");  // no registry: not a prefix at all
    fs::rename(prefix, m_scratch.path() / "Faugus/sfc");
    settings::locate::LookupAccount missing;
    const auto match =
        FindGameFolder(HomeOnly(), settings::locate::kGameRegistryKey, "Path", &missing);
    ASSERT_TRUE(match);
    EXPECT_FALSE(match->exists);
    EXPECT_FALSE(missing.found);
    const std::string looked = DescribeLookup(missing, {}, 100);
    const std::string expected[] = {
        "Wine: " + Home() + "/.wine: not there\n",
        "Lutris: " + Home() +
            "/.config/lutris/games/broken.yml: a launcher file that could "
            "not be read\n",
        "Steam: 30 places in " + Home() +
            "/.local/share/Steam/steamapps/compatdata: no game "
            "key in their registries\n",
        "Faugus Launcher: " + Home() + "/Faugus/sfc: the game folder it names is missing\n"};
    std::size_t at = 0;
    for (const std::string& line : expected) {
        const std::size_t found_at = looked.find(line, at);
        ASSERT_NE(found_at, std::string::npos) << line << "\nin:\n" << looked;
        at = found_at;
    }
    // Capped: the last line says how many were left out.
    const std::string capped = DescribeLookup(missing, {}, 3);
    EXPECT_NE(capped.find("more lines like these"), std::string::npos) << capped;
}

}  // namespace
