#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dialog/lookup_report.h"
#include "settings/locate/game_folder.h"
#include "settings/prefixes/prefix_search.h"
#include "settings/wine/windows_path.h"
#include "support/case_names.h"
#include "wine_test_support.h"

namespace {

namespace fs = std::filesystem;
using settings::prefixes::Environment;
using settings::prefixes::FindGameFolder;
using settings::prefixes::ListPrefixes;
using settings::wine::DriveRoot;
using settings::wine::ParseWindowsPath;
using settings::wine::ToHostPath;
using wine_test::ScratchDir;

#ifdef _WIN32
#define SKIP_ON_WINDOWS(why) GTEST_SKIP() << why
#else
#define SKIP_ON_WINDOWS(why) static_cast<void>(0)
#endif

// --- Windows path text -----------------------------------------------------------------------

struct PathCase {
    const char* text;
    char drive;  // 0: not resolvable
    std::vector<std::string> components;
};

class WindowsPathText : public ::testing::TestWithParam<PathCase> {};

TEST_P(WindowsPathText, Parses) {
    const PathCase& param = GetParam();
    const auto parsed = ParseWindowsPath(param.text);
    if (param.drive == 0) {
        EXPECT_FALSE(parsed) << param.text;
        return;
    }
    ASSERT_TRUE(parsed) << param.text;
    EXPECT_EQ(parsed->drive, param.drive) << param.text;
    EXPECT_EQ(parsed->components, param.components) << param.text;
}

const std::vector<std::string> kGameParts = {"Games", "Product II"};

INSTANTIATE_TEST_SUITE_P(
    Forms, WindowsPathText,
    ::testing::Values(PathCase{R"(C:\Games\Product II)", 'c', kGameParts},
                      PathCase{R"("C:\Games\Product II\")", 'c', kGameParts},
                      PathCase{R"(c:/Games//Product II/)", 'c', kGameParts},
                      PathCase{R"(\\?\C:\Games\Product II)", 'c', kGameParts},
                      PathCase{R"(C:\Games\Product II\ )", 'c', kGameParts},
                      PathCase{R"(C:\Games\Product II. .\)", 'c', kGameParts},
                      PathCase{R"(C:\Games\.\Old\..\Product II)", 'c', kGameParts},
                      PathCase{R"(C:\Games\Product II\..)", 'c', {"Games"}},
                      PathCase{R"(C:\..\..\Games)", 'c', {"Games"}}, PathCase{R"(C:\)", 'c', {}},
                      PathCase{R"(Z:\home\u\Games)", 'z', {"home", "u", "Games"}},
                      PathCase{R"(d:\Jeux\Produit é)", 'd', {"Jeux", "Produit é"}},
                      PathCase{R"(\\server\share\dir)", 0, {}},
                      PathCase{R"(\\?\UNC\server\share)", 0, {}}, PathCase{R"(C:Games)", 0, {}},
                      PathCase{R"(C:)", 0, {}}, PathCase{R"(Games\Product II)", 0, {}},
                      PathCase{R"(\Games)", 0, {}}, PathCase{R"(1:\Games)", 0, {}},
                      PathCase{R"(")", 0, {}}, PathCase{"", 0, {}}),
    test_support::NameBy(&PathCase::text, true));

// --- Drives and folders inside a prefix ----------------------------------------------------

class WinePrefixFolders : public ::testing::Test {
protected:
    void SetUp() override {
        m_prefix = m_scratch.MakeDir("pfx");
        m_driveC = m_scratch.MakeDir("pfx/drive_c");
        fs::create_directories(m_prefix / "dosdevices");
    }

    wine_test::ScratchDir m_scratch;
    fs::path m_prefix;
    fs::path m_driveC;
};

TEST_F(WinePrefixFolders, DriveCWithoutLinkIsDriveC) {
    EXPECT_EQ(DriveRoot(m_prefix, 'c'), m_driveC);
    EXPECT_EQ(DriveRoot(m_prefix, 'd'), std::nullopt);
    fs::remove_all(m_driveC);
    EXPECT_EQ(DriveRoot(m_prefix, 'c'), std::nullopt);
}

TEST_F(WinePrefixFolders, DosdevicesLinksAreFollowed) {
    SKIP_ON_WINDOWS("symbolic links");
    const fs::path dosdevices = m_prefix / "dosdevices";
    const fs::path elsewhere = m_scratch.MakeDir("mnt/cdrom");
    fs::create_directory_symlink("../drive_c", dosdevices / "c:");
    fs::create_directory_symlink("/", dosdevices / "z:");
    fs::create_directory_symlink(elsewhere, dosdevices / "d:");
    fs::create_directory_symlink(elsewhere, dosdevices / "e::");
    fs::create_directory_symlink(m_scratch.path() / "gone", dosdevices / "f:");

    EXPECT_EQ(DriveRoot(m_prefix, 'c'), m_driveC);
    EXPECT_EQ(DriveRoot(m_prefix, 'z'), fs::path("/"));
    EXPECT_EQ(DriveRoot(m_prefix, 'd'), elsewhere);
    EXPECT_EQ(DriveRoot(m_prefix, 'e'), std::nullopt);  // only the raw device
    EXPECT_EQ(DriveRoot(m_prefix, 'f'), m_scratch.path() / "gone");
    EXPECT_EQ(ToHostPath(m_prefix, R"(Z:\usr\share)"), fs::path("/usr/share"));
    EXPECT_EQ(ToHostPath(m_prefix, R"(D:\Setup\)"), elsewhere / "Setup");
}

TEST_F(WinePrefixFolders, LinkedDosdevicesFolderIsResolvedOnDisk) {
    SKIP_ON_WINDOWS("symbolic links");
    // dosdevices/ itself a link: "../drive_c" is relative to where it points.
    const fs::path shared = m_scratch.MakeDir("shared/devices");
    const fs::path sharedC = m_scratch.MakeDir("shared/drive_c");
    fs::remove_all(m_prefix / "dosdevices");
    fs::create_directory_symlink(shared, m_prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", shared / "c:");
    EXPECT_EQ(DriveRoot(m_prefix, 'c'), fs::weakly_canonical(sharedC));
}

TEST_F(WinePrefixFolders, ComponentsResolveCaseInsensitively) {
    SKIP_ON_WINDOWS("case-insensitive file system");
    const fs::path game = m_scratch.MakeDir("pfx/drive_c/Games/Product II");
    fs::create_directories(game / "Assets" / "Scripts");
    EXPECT_EQ(ToHostPath(m_prefix, R"(c:\games\PRODUCT ii\)"), game);
    EXPECT_EQ(ToHostPath(m_prefix, R"(C:\GAMES\Product II\assets\SCRIPTS)"),
              game / "Assets" / "Scripts");
    // From the first missing component on, the spelling is kept.
    EXPECT_EQ(ToHostPath(m_prefix, R"(C:\games\Missing\SUB)"), m_driveC / "Games/Missing/SUB");
    const fs::path accented = m_scratch.MakeDir("pfx/drive_c/Jeux/Produit \xC3\xA9");
    EXPECT_EQ(ToHostPath(m_prefix, "C:\\JEUX\\PRODUIT \xC3\x89"), accented);
}

TEST_F(WinePrefixFolders, ExactNameBeatsOtherCases) {
    SKIP_ON_WINDOWS("case-insensitive file system");
    m_scratch.MakeDir("pfx/drive_c/DupCase");
    m_scratch.MakeDir("pfx/drive_c/dupcase");
    EXPECT_EQ(ToHostPath(m_prefix, R"(C:\dupcase)"), m_driveC / "dupcase");
    EXPECT_EQ(ToHostPath(m_prefix, R"(C:\DupCase)"), m_driveC / "DupCase");
    // Neither matches exactly: the first in directory order, as Wine takes it.
    fs::path first;
    for (const auto& entry : fs::directory_iterator(m_driveC)) {
        first = entry.path();
        break;
    }
    EXPECT_EQ(ToHostPath(m_prefix, R"(C:\DUPCASE)"), first);
}

TEST_F(WinePrefixFolders, UnmappablePathsGiveNothing) {
    EXPECT_EQ(ToHostPath(m_prefix, R"(\\server\share\Game)"), std::nullopt);
    EXPECT_EQ(ToHostPath(m_prefix, R"(C:Game)"), std::nullopt);
    EXPECT_EQ(ToHostPath(m_prefix, R"(Q:\Game)"), std::nullopt);
    EXPECT_EQ(ToHostPath(m_prefix, ""), std::nullopt);
}

// --- The order prefixes are searched in ----------------------------------------------------

class WinePrefixSearch : public ::testing::Test {
protected:
    // A prefix below the fake home whose registry holds the game's folder. The folder itself is
    // created (inside the prefix's drive_c) when `createFolder` is set.
    fs::path AddPrefix(const fs::path& relative, const std::string& folderName,
                       bool createFolder = true, std::string_view arch = "win64",
                       std::string_view key = wine_test::kGameKeyWow) {
        const fs::path prefix = m_scratch.MakeDir(relative);
        wine_test::WriteFile(prefix / "system.reg",
                             wine_test::SystemReg(arch, key, "C:\\Games\\" + folderName));
        fs::create_directories(prefix / "drive_c");
        if (createFolder) fs::create_directories(prefix / "drive_c" / "Games" / folderName);
        return prefix;
    }

    Environment HomeOnly() const {
        Environment env;
        env.home = wine_test::Utf8FromPathForTest(m_scratch.path());
        return env;
    }

    wine_test::ScratchDir m_scratch;
};

TEST_F(WinePrefixSearch, OrderOfLaunchers) {
    // Added out of order on purpose; each group lists its folders by name.
    const fs::path pol = AddPrefix(".PlayOnLinux/wineprefix/SFC", "Pol");
    const fs::path proposal = AddPrefix(".local/share/wineprefixes/sfc", "Proposal");
    const fs::path bottlesFlatpak =
        AddPrefix(".var/app/com.usebottles.bottles/data/bottles/bottles/SFC2", "BottlesFlatpak");
    const fs::path bottles = AddPrefix(".local/share/bottles/bottles/SFC2", "Bottles");
    const fs::path lutrisB = AddPrefix("Games/starfleet-b", "LutrisB");
    const fs::path lutrisA = AddPrefix("Games/starfleet-a", "LutrisA");
    const fs::path steamFlatpak =
        AddPrefix(".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/compatdata/9/pfx",
                  "SteamFlatpak");
    const fs::path steamOld = AddPrefix(".steam/steam/steamapps/compatdata/5/pfx", "SteamOld");
    const fs::path steam2 = AddPrefix(".local/share/Steam/steamapps/compatdata/2000/pfx", "Steam2");
    const fs::path steam1 = AddPrefix(".local/share/Steam/steamapps/compatdata/1000/pfx", "Steam1");
    const fs::path dotWine = AddPrefix(".wine", "DotWine");
    m_scratch.MakeDir("Games/not-a-prefix");
    m_scratch.MakeDir(".local/share/Steam/steamapps/compatdata/3000");  // no pfx inside

    const std::vector<fs::path> expected = {dotWine,        lutrisA,  lutrisB,      steam1,
                                            steam2,         steamOld, steamFlatpak, bottles,
                                            bottlesFlatpak, pol,      proposal};
    EXPECT_EQ(ListPrefixes(HomeOnly()), expected);

    auto match = FindGameFolder(HomeOnly(), settings::locate::kGameRegistryKey, "Path");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->prefix, dotWine);
    EXPECT_EQ(match->folder, dotWine / "drive_c" / "Games" / "DotWine");
    EXPECT_EQ(match->windowsPath, "C:\\Games\\DotWine");
    EXPECT_TRUE(match->exists);

    // A prefix whose folder is gone loses to a later one whose folder exists.
    fs::remove_all(dotWine / "drive_c" / "Games");
    fs::remove_all(lutrisA / "drive_c" / "Games");
    match = FindGameFolder(HomeOnly(), settings::locate::kGameRegistryKey, "Path");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->prefix, lutrisB);
}

TEST_F(WinePrefixSearch, NoFolderExistsGivesTheFirstThatHoldsTheValue) {
    AddPrefix(".wine", "A", false, "win64", "Software\\Other");  // key missing
    const fs::path lutris = AddPrefix("Games/sfc", "B", false);
    AddPrefix(".PlayOnLinux/wineprefix/SFC", "C", false);
    const auto match = FindGameFolder(HomeOnly(), settings::locate::kGameRegistryKey, "Path");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->prefix, lutris);
    EXPECT_FALSE(match->exists);
    EXPECT_EQ(match->folder, lutris / "drive_c" / "Games" / "B");
}

TEST_F(WinePrefixSearch, Win32PrefixDoesNotLookInWow6432Node) {
    AddPrefix(".wine", "Wrong", true, "win32", wine_test::kGameKeyWow);
    const fs::path right = AddPrefix("Games/sfc", "Right", true, "win32", wine_test::kGameKey);
    const auto match = FindGameFolder(HomeOnly(), settings::locate::kGameRegistryKey, "Path");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->prefix, right);
}

TEST_F(WinePrefixSearch, UnmappableValueIsPassedOver) {
    const fs::path unc = m_scratch.MakeDir(".wine");
    wine_test::WriteFile(unc / "system.reg",
                         wine_test::SystemReg("win64", wine_test::kGameKey, "\\\\server\\sfc"));
    const fs::path good = AddPrefix("Games/sfc", "Good");
    const auto match = FindGameFolder(HomeOnly(), settings::locate::kGameRegistryKey, "Path");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->prefix, good);
}

TEST_F(WinePrefixSearch, WinePrefixReplacesDotWine) {
    AddPrefix(".wine", "DotWine");
    const fs::path custom = AddPrefix("custom prefix", "Custom");
    const fs::path lutris = AddPrefix("Games/sfc", "Lutris");

    Environment env = HomeOnly();
    env.winePrefix = wine_test::Utf8FromPathForTest(custom) + "/";
    auto prefixes = ListPrefixes(env);
    ASSERT_EQ(prefixes.size(), 2U);
    EXPECT_EQ(prefixes[0].lexically_normal(), (custom / "").lexically_normal());
    EXPECT_EQ(prefixes[1], lutris);

    // Wine refuses a relative WINEPREFIX; an empty one counts as unset.
    for (const char* ignored : {"custom prefix", "./custom prefix", ""}) {
        env.winePrefix = ignored;
        prefixes = ListPrefixes(env);
        ASSERT_EQ(prefixes.size(), 2U) << ignored;
        EXPECT_EQ(prefixes[0], m_scratch.path() / ".wine") << ignored;
    }
}

TEST_F(WinePrefixSearch, XdgDataHomeAndMissingHome) {
    const fs::path data = m_scratch.MakeDir("data");
    const fs::path bottle = AddPrefix("data/bottles/bottles/sfc", "Bottle");
    const fs::path named = AddPrefix("data/wineprefixes/sfc", "Named");
    Environment env = HomeOnly();
    env.xdgDataHome = wine_test::Utf8FromPathForTest(data);
    EXPECT_EQ(ListPrefixes(env), (std::vector<fs::path>{bottle, named}));

    const fs::path heroic = AddPrefix("elsewhere/heroic game", "Heroic");
    const fs::path lutris = AddPrefix("data/lutris game", "Lutris");
    wine_test::WriteFile(
        m_scratch.path() / "config/heroic/GamesConfig/g.json",
        R"({"g": {"winePrefix": ")" + wine_test::Utf8FromPathForTest(heroic) + R"("}})");
    wine_test::WriteFile(data / "lutris/games/g.yml",
                         "game:\n  prefix: " + wine_test::Utf8FromPathForTest(lutris) + "\n");
    env.xdgConfigHome = wine_test::Utf8FromPathForTest(m_scratch.path() / "config");
    EXPECT_EQ(ListPrefixes(env), (std::vector<fs::path>{heroic, lutris, bottle, named}));

    env.home.reset();
    EXPECT_TRUE(ListPrefixes(env).empty());
    EXPECT_FALSE(FindGameFolder(env, settings::locate::kGameRegistryKey, "Path"));
    env.winePrefix = wine_test::Utf8FromPathForTest(bottle);
    EXPECT_EQ(ListPrefixes(env), std::vector<fs::path>{bottle});
}

TEST_F(WinePrefixSearch, LinkedSteamRootIsSearchedOnce) {
    SKIP_ON_WINDOWS("symbolic links");
    const fs::path prefix = AddPrefix(".local/share/Steam/steamapps/compatdata/7/pfx", "Steam");
    m_scratch.MakeDir(".steam");
    fs::create_directory_symlink(m_scratch.path() / ".local/share/Steam",
                                 m_scratch.path() / ".steam/steam");
    EXPECT_EQ(ListPrefixes(HomeOnly()), std::vector<fs::path>{prefix});
}

// --- Prefixes named in launchers' own files ------------------------------------------------

TEST_F(WinePrefixSearch, LaunchersNamePrefixesAnywhere) {
    const std::string home = wine_test::Utf8FromPathForTest(m_scratch.path());
    // Heroic: a Wine game, a Proton game (prefix in pfx/), the Flatpak, then the default folder.
    const fs::path heroicWine = AddPrefix("disk2/heroic/Wine Game", "HeroicWine");
    const fs::path heroicProton = AddPrefix("disk2/heroic/Proton Game/pfx", "HeroicProton");
    const fs::path heroicFlatpak = AddPrefix("disk2/flatpak/Game", "HeroicFlatpak");
    const fs::path heroicDefault = AddPrefix("Games/Heroic/Prefixes/default/Game", "HeroicDef");
    const fs::path heroicOld = AddPrefix("Games/Heroic/Prefixes/Old Game/pfx", "HeroicOld");
    wine_test::WriteFile(m_scratch.path() / ".config/heroic/GamesConfig/b.json",
                         R"({"b": {"winePrefix": ")" + home + R"(/disk2/heroic/Proton Game"}})");
    wine_test::WriteFile(m_scratch.path() / ".config/heroic/GamesConfig/a.json",
                         R"({"version": "v0", "a": {"winePrefix": ")" + home +
                             R"(/disk2/heroic/Wine Game", "wineVersion": {"type": "wine"}}})");
    wine_test::WriteFile(
        m_scratch.path() / ".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig/c.json",
        R"({"c": {"winePrefix": ")" + home + R"(/disk2/flatpak/Game"}})");
    // Lutris: "~" expanded; the Flatpak's data folder; then ~/Games.
    const fs::path lutrisConfig = AddPrefix("disk2/lutris/config", "LutrisConfig");
    const fs::path lutrisData = AddPrefix("disk2/lutris/data", "LutrisData");
    const fs::path lutrisFlatpak = AddPrefix("disk2/lutris/flatpak", "LutrisFlatpak");
    const fs::path lutrisGames = AddPrefix("Games/sfc", "LutrisGames");
    wine_test::WriteFile(m_scratch.path() / ".config/lutris/games/sfc.yml",
                         "game:\n  exe: x.exe\n  prefix: ~/disk2/lutris/config\nrunner: wine\n");
    wine_test::WriteFile(m_scratch.path() / ".local/share/lutris/games/sfc.yml",
                         "game:\n  prefix: '" + home + "/disk2/lutris/data'\n");
    wine_test::WriteFile(m_scratch.path() / ".var/app/net.lutris.Lutris/data/lutris/games/s.yml",
                         "game: {prefix: \"~/disk2/lutris/flatpak\"}\n");
    // Steam: the root's own library, then those its libraryfolders.vdf lists (both formats),
    // the Flatpak's and the Snap's.
    const fs::path steamRoot = AddPrefix(".local/share/Steam/steamapps/compatdata/1/pfx", "S0");
    const fs::path steamLibrary = AddPrefix("disk2/SteamLibrary/steamapps/compatdata/2/pfx", "S1");
    const fs::path steamOldFormat = AddPrefix("disk3/Old/steamapps/compatdata/3/pfx", "S2");
    const fs::path steamSnap =
        AddPrefix("snap/steam/common/.local/share/Steam/steamapps/compatdata/4/pfx", "S3");
    wine_test::WriteFile(m_scratch.path() / ".local/share/Steam/steamapps/libraryfolders.vdf",
                         "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + home +
                             "/.local/share/Steam\"\n\t\t\"apps\"\t{ \"220\" \"1\" }\n\t}\n"
                             "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
                             home + "/disk2/SteamLibrary\"\n\t}\n}\n");
    wine_test::WriteFile(m_scratch.path() / ".local/share/Steam/config/libraryfolders.vdf",
                         "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1\"\n\t\"1\"\t\"" +
                             home + "/disk3/Old\"\n}\n");
    // CrossOver.
    const fs::path crossOver = AddPrefix(".cxoffice/SFC2", "CrossOver");

    const std::vector<fs::path> expected = {
        heroicWine,   heroicProton,   heroicFlatpak, heroicDefault, heroicOld,
        lutrisConfig, lutrisData,     lutrisFlatpak, lutrisGames,   steamRoot,
        steamLibrary, steamOldFormat, steamSnap,     crossOver};
    EXPECT_EQ(ListPrefixes(HomeOnly()), expected);

    // Only the last prefix knows the game: the search goes through all the others to it.
    for (const fs::path& prefix : expected) {
        if (prefix != crossOver) {
            wine_test::WriteFile(prefix / "system.reg",
                                 wine_test::SystemReg("win64", "Software\\Other", "C:\\x"));
        }
    }
    const auto match = FindGameFolder(HomeOnly(), settings::locate::kGameRegistryKey, "Path");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->prefix, crossOver);
    EXPECT_TRUE(match->exists);
}

TEST_F(WinePrefixSearch, BrokenLauncherFilesArePassedOver) {
    const fs::path good = AddPrefix("disk2/good", "Good");
    const std::string goodText = wine_test::Utf8FromPathForTest(good);
    const fs::path heroic = m_scratch.path() / ".config/heroic/GamesConfig";
    const std::string tooBig = R"({"a": {"winePrefix": ")" + goodText + R"("}, "pad": ")" +
                               std::string(1024 * 1024, ' ') + "\"}";
    const std::string hostileJson[] = {
        "",
        "garbage",
        R"({"a": {"winePrefix": ")",
        R"({"a": {"winePrefix": 7}})",
        R"({"a": {"winePrefix": null}, "b": "text", "c": [1]})",
        R"(["not", "an", "object"])",
        R"({"a": {"winePrefix": "relative/path"}, "b": {"winePrefix": "/nowhere/at/all"}})",
        std::string(100000, '[') + std::string(100000, ']'),
        tooBig};
    int n = 0;
    for (const std::string& text : hostileJson) {
        wine_test::WriteFile(heroic / ("bad" + std::to_string(n++) + ".json"), text);
    }
    const fs::path lutris = m_scratch.path() / ".local/share/lutris/games";
    const std::string hostileYaml[] = {"",
                                       "game: [",
                                       "game:\n  prefix: [1, 2]\n",
                                       "game: text\n",
                                       "- a\n- b\n",
                                       "game:\n  prefix: ~\n",
                                       "game:\n  prefix: relative\n",
                                       "game:\n  prefix: \"\"\n",
                                       "\xEF\xBB\xBF\x00\xFF\n",
                                       std::string(20000, '[') + std::string(20000, ']'),
                                       "game: &a\n  prefix: *a\n"};
    for (const std::string& text : hostileYaml) {
        wine_test::WriteFile(lutris / ("bad" + std::to_string(n++) + ".yml"), text);
    }
    fs::create_directories(lutris / "folder.yml");
    wine_test::WriteFile(m_scratch.path() / ".local/share/Steam/steamapps/libraryfolders.vdf",
                         "\"libraryfolders\" { \"0\" { \"path\" \"" + goodText);  // cut off
    fs::create_symlink(m_scratch.path() / "gone.yml", lutris / "dangling.yml");
    // The one good file comes last in name order: everything before it was survived.
    wine_test::WriteFile(lutris / "zz.yml", "game:\n  prefix: " + goodText + "\n");
    EXPECT_EQ(ListPrefixes(HomeOnly()), std::vector<fs::path>{good});
}

TEST_F(WinePrefixSearch, RemembersWhereTheGameWasFound) {
    const fs::path lutris = AddPrefix("Games/sfc", "Lutris");
    settings::prefixes::GameFolderSearch search;
    ASSERT_EQ(search.Find(HomeOnly(), settings::locate::kGameRegistryKey, "Path")->prefix, lutris);
    // A prefix that comes first appears: the remembered one is still asked first...
    const fs::path dotWine = AddPrefix(".wine", "DotWine");
    EXPECT_EQ(search.Find(HomeOnly(), settings::locate::kGameRegistryKey, "Path")->prefix, lutris);
    // ...and its value is read afresh each time.
    wine_test::WriteFile(lutris / "system.reg",
                         wine_test::SystemReg("win64", wine_test::kGameKeyWow, "C:\\Games"));
    EXPECT_EQ(search.Find(HomeOnly(), settings::locate::kGameRegistryKey, "Path")->folder,
              lutris / "drive_c" / "Games");
    // Once it leads nowhere, every prefix is searched again.
    fs::remove(lutris / "system.reg");
    EXPECT_EQ(search.Find(HomeOnly(), settings::locate::kGameRegistryKey, "Path")->prefix, dotWine);
    // A search that finds no folder is not remembered.
    fs::remove_all(dotWine / "drive_c" / "Games");
    EXPECT_FALSE(search.Find(HomeOnly(), settings::locate::kGameRegistryKey, "Path")->exists);
    const fs::path later = AddPrefix(".cxoffice/sfc", "Later");
    EXPECT_EQ(search.Find(HomeOnly(), settings::locate::kGameRegistryKey, "Path")->prefix, later);
}

}  // namespace

// --- Launchers searched after the first eight steps -----------------------------------------

namespace {

namespace fs = std::filesystem;
using settings::prefixes::Environment;
using settings::prefixes::FindGameFolder;
using settings::prefixes::ListPrefixes;

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
