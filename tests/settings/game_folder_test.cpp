#include "settings/locate/game_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "dialog/lookup_report.h"
#include "settings/locate/lookup_account.h"
#include "settings/record/script_settings.h"
#include "settings/record/services.h"
#include "settings/store/file_store.h"
#include "wine_test_support.h"

namespace {

namespace fs = std::filesystem;
using settings::locate::AppendPathComponent;
using settings::locate::kPathSeparator;

std::optional<std::string> FindInstalled() {
    return settings::InstalledLocator().Find(nullptr);
}

void SetVariable(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv_s(name, value ? value->c_str() : "");  // "" removes it
#else
    if (value) {
        setenv(name, value->c_str(), 1);
    } else {
        unsetenv(name);
    }
#endif
}

std::optional<std::string> GetVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

// Sets a variable for one test and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value)
        : m_name(name), m_saved(GetVariable(name)) {
        SetVariable(name, value);
    }
    ~ScopedVariable() { SetVariable(m_name, m_saved); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

class GameFolderLocatorTest : public ::testing::Test {
protected:
    void SetUp() override { settings::InstallServices({}); }
    void TearDown() override { settings::InstallServices({}); }

#ifndef _WIN32
    // No prefix anywhere: HOME and WINEPREFIX point at an empty folder.
    wine_test::ScratchDir m_emptyHome;
    ScopedVariable m_home{"HOME", wine_test::Utf8FromPathForTest(m_emptyHome.path())};
    ScopedVariable m_prefix{"WINEPREFIX", std::nullopt};
    ScopedVariable m_data{"XDG_DATA_HOME", std::nullopt};
#endif
};

TEST_F(GameFolderLocatorTest, VariableTakesPrecedence) {
    const ScopedVariable dir("TAVREL_GAME_DIR", std::string("/opt/sfc2"));
    EXPECT_EQ(FindInstalled(), "/opt/sfc2");
}

TEST_F(GameFolderLocatorTest, EmptyOrUnsetVariableAsksThePlatform) {
    const std::optional<std::string> platform =
        settings::locate::MakePlatformLocator()->Find(nullptr);
    for (const std::optional<std::string>& value :
         {std::optional<std::string>(""), std::optional<std::string>()}) {
        const ScopedVariable dir("TAVREL_GAME_DIR", value);
        EXPECT_EQ(FindInstalled(), platform);
    }
#ifndef _WIN32
    EXPECT_EQ(platform, std::nullopt);
#endif
}

#ifndef _WIN32
TEST_F(GameFolderLocatorTest, PosixLocatorReadsThePrefixAndSetsErrno) {
    const ScopedVariable dir("TAVREL_GAME_DIR", std::nullopt);
    settings::store::SetLastErrorCode(0);
    EXPECT_EQ(FindInstalled(), std::nullopt);
    EXPECT_EQ(settings::store::LastErrorCode(), ENOENT);

    const fs::path prefix = m_emptyHome.MakeDir(".wine");
    const fs::path game = m_emptyHome.MakeDir(".wine/drive_c/Games/SFC2");
    wine_test::WriteFile(prefix / "system.reg",
                         wine_test::SystemReg("win64", wine_test::kGameKeyWow, "C:\\GAMES\\sfc2"));
    EXPECT_EQ(FindInstalled(), wine_test::Utf8FromPathForTest(game));
}
#endif

#ifndef _WIN32
// Three installations through three launchers, one of them reached again through a link on
// drive Z:, and a game folder without the game's files.
TEST_F(GameFolderLocatorTest, F1ListsEveryInstallationOnceAndLoadStillEditsTheFirst) {
    const ScopedVariable dir("TAVREL_GAME_DIR", std::nullopt);
    const ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
    const fs::path home = m_emptyHome.path();
    const std::string homeText = wine_test::Utf8FromPathForTest(home);
    const auto install = [](const fs::path& prefix, const std::string& value, const char* odds) {
        wine_test::WriteFile(prefix / "system.reg",
                             wine_test::SystemReg("win64", wine_test::kGameKeyWow, value));
        const fs::path game = prefix / "drive_c/Games/SFC";
        fs::create_directories(game);
        if (*odds != '\0') {
            wine_test::WriteFile(game / "Assets/Scripts/scripts.ini",
                                 std::string("[Mul_Tavrel]\r\nmultiplier=") + odds + "\r\n");
        }
        return wine_test::Utf8FromPathForTest(game);
    };
    const std::string first = install(home / ".wine", "C:\\Games\\SFC", "1.50");
    const std::string second = install(home / "disk/heroic sfc", "C:\\Games\\SFC", "2.00");
    wine_test::WriteFile(home / ".config/heroic/GamesConfig/sfc.json",
                         R"({"sfc": {"winePrefix": ")" + homeText + R"(/disk/heroic sfc"}})");
    const std::string third = install(home / "Games/sfc-lutris", "C:\\Games\\SFC", "2.50");
    fs::create_directory_symlink(second, home / "sfc-link");
    const fs::path bottle = home / ".local/share/bottles/bottles/linked";
    std::string linked = "Z:" + homeText + "/sfc-link";
    std::replace(linked.begin(), linked.end(), '/', '\\');
    install(bottle, linked, "");
    fs::create_directories(bottle / "dosdevices");
    fs::create_directory_symlink("/", bottle / "dosdevices/z:");
    install(home / ".PlayOnLinux/wineprefix/empty", "C:\\Games\\SFC", "");

    CScriptSettings record;
    ASSERT_TRUE(record.Load());
    EXPECT_FLOAT_EQ(record.GetMultiplier(), 1.5f) << "Load edits the first";
    const settings::WhereSettingsAre where =
        settings::FindWhereSettingsAre(std::chrono::seconds(30));
    auto others = where.others;
    const std::string text = DescribeLookup(where.account, {}, 20, others);
    std::size_t at = 0;
    for (const std::string& line :
         {"Game folder: " + first + "\n",
          "\n" + second + " (Heroic, " + homeText +
              "/.config/heroic/GamesConfig/sfc.json; prefix " + homeText +
              "/disk/heroic sfc; 32-bit view)\n",
          "\n" + third + " (Lutris; prefix ", "\nTAVREL_GAME_DIR='" + second + "' "}) {
        at = text.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << "\nin:\n" << text;
    }
    EXPECT_EQ(others.found.size(), 2u) << text;

    // With the variable set, that folder is edited and the search still runs in full; past its
    // deadline it stops and says so.
    const ScopedVariable chosen("TAVREL_GAME_DIR", third);
    ASSERT_TRUE(record.Load());
    EXPECT_FLOAT_EQ(record.GetMultiplier(), 2.5f);
    std::string edited;
    ASSERT_TRUE(record.GetGamePath(edited));
    others = settings::locate::FindOtherInstallations(settings::InstalledLocator(), edited,
                                                      std::chrono::seconds(30));
    ASSERT_EQ(others.found.size(), 2u);
    EXPECT_EQ(others.found[0].folder, first);
    EXPECT_EQ(others.found[1].folder, second);
    others = settings::locate::FindOtherInstallations(settings::InstalledLocator(), edited,
                                                      std::chrono::milliseconds(-1));
    EXPECT_TRUE(others.found.empty());
    EXPECT_NE(DescribeLookup(where.account, {}, 20, others).find("is incomplete"),
              std::string::npos);
}

// The command as sh and bash (history expansion on) run it: the folder and the program's path
// come through byte for byte.
TEST_F(GameFolderLocatorTest, StartCommandSurvivesTheShells) {
    const fs::path bin = m_emptyHome.MakeDir("bin 'x' $y");
    fs::create_symlink("/usr/bin/printenv", bin / "printenv");
    const std::string folder = "/games/it's \"SFC\" $HOME `id` !! \\ * \xE6\x97\xA5\nend";
    const std::string command = settings::locate::PosixStartCommand(
        wine_test::Utf8FromPathForTest(bin / "printenv"), folder);
    const fs::path script = m_emptyHome.path() / "command.sh";
    wine_test::WriteFile(script,
                         "[ -z \"$BASH_VERSION\" ] || set -H\n" + command + " TAVREL_GAME_DIR\n");
    for (const std::string shell : {"sh", "bash"}) {
        FILE* pipe =
            popen((shell + " '" + wine_test::Utf8FromPathForTest(script) + "' 2>&1").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output(4096, '\0');
        output.resize(fread(output.data(), 1, output.size(), pipe));
        EXPECT_EQ(pclose(pipe), 0) << shell;
        EXPECT_EQ(output, folder + "\n") << shell << " ran: " << command;
    }
}
#endif

TEST_F(GameFolderLocatorTest, InstalledLocatorReplacesAndRestores) {
    const ScopedVariable dir("TAVREL_GAME_DIR", std::string("from-variable"));
    using test_support::LocatorState;
    using test_support::StubLocator;
    settings::InstallServices(
        {std::make_unique<StubLocator>(std::make_shared<LocatorState>(
             LocatorState{.folder = "injected", .calls = 0, .failFromCall = 0})),
         nullptr});
    EXPECT_EQ(FindInstalled(), "injected");
    settings::InstallServices({std::make_unique<StubLocator>(std::make_shared<LocatorState>(
                                   LocatorState{.folder = "", .calls = 0, .failFromCall = 1})),
                               nullptr});
    EXPECT_EQ(FindInstalled(), std::nullopt);
    settings::InstallServices({});
    EXPECT_EQ(FindInstalled(), "from-variable");
}

// --- Joining names ---------------------------------------------------------------------------

class AppendPathComponentTest : public ::testing::Test {
protected:
    std::string Folder() const {
        return wine_test::Utf8FromPathForTest(m_scratch.path()) + kPathSeparator;
    }
    wine_test::ScratchDir m_scratch;
};

TEST_F(AppendPathComponentTest, AppendsNameAndSeparators) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(AppendPathComponent("nowhere" + sep, "Assets", true),
              "nowhere" + sep + "Assets" + sep);
    EXPECT_EQ(AppendPathComponent("nowhere", "sfc.ini", false), "nowhere" + sep + "sfc.ini");
    EXPECT_EQ(AppendPathComponent("", "sfc.ini", false), "sfc.ini");
    EXPECT_EQ(AppendPathComponent("nowhere" + sep, "", true), "nowhere" + sep);
}

TEST_F(AppendPathComponentTest, GameFilesFollowTheSpellingOnDisk) {
    fs::create_directories(m_scratch.path() / "assets" / "SCRIPTS");
    wine_test::WriteFile(m_scratch.path() / "assets" / "SCRIPTS" / "Scripts.INI", "");
    wine_test::WriteFile(m_scratch.path() / "SFC.ini", "");
    const std::string folder = Folder();
    const std::string scripts = AppendPathComponent(
        AppendPathComponent(AppendPathComponent(folder, "Assets", true), "Scripts", true),
        "scripts.ini", false);
    const std::string sfc = AppendPathComponent(folder, "sfc.ini", false);
#ifdef _WIN32
    EXPECT_EQ(scripts, folder + "Assets\\Scripts\\scripts.ini");
    EXPECT_EQ(sfc, folder + "sfc.ini");
#else
    EXPECT_EQ(scripts, folder + "assets/SCRIPTS/Scripts.INI");
    EXPECT_EQ(sfc, folder + "SFC.ini");
#endif
}

#ifndef _WIN32
TEST_F(AppendPathComponentTest, ExactSpellingWinsAndOnlyAsciiFolds) {
    fs::create_directories(m_scratch.path() / "ASSETS");
    fs::create_directories(m_scratch.path() / "Assets");
    fs::create_directories(m_scratch.path() / "\xC3\xA9t\xC3\xA9");  // été
    const std::string folder = Folder();
    EXPECT_EQ(AppendPathComponent(folder, "Assets", true), folder + "Assets/");
    EXPECT_EQ(AppendPathComponent(folder, "ASSETS", true), folder + "ASSETS/");
    // Not on disk in this case: the first in directory order.
    std::string first;
    for (const auto& entry : fs::directory_iterator(m_scratch.path())) {
        const std::string name = entry.path().filename().string();
        if (name == "ASSETS" || name == "Assets") {
            first = name;
            break;
        }
    }
    EXPECT_EQ(AppendPathComponent(folder, "assets", true), folder + first + "/");
    EXPECT_EQ(AppendPathComponent(folder, "\xC3\x89T\xC3\x89", true),
              folder + "\xC3\x89T\xC3\x89/");
    EXPECT_EQ(AppendPathComponent(folder, "missing", false), folder + "missing");
}
#endif

}  // namespace
