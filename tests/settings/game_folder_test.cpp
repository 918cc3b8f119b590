#include "settings/game_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "settings/file_store.h"
#include "wine_test_support.h"

namespace {

namespace fs = std::filesystem;
using settings::AppendPathComponent;
using settings::CurrentLocator;
using settings::kPathSeparator;
using settings::SetLocator;

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
    void SetUp() override { SetLocator(nullptr); }
    void TearDown() override { SetLocator(nullptr); }

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
    EXPECT_EQ(CurrentLocator().Find(), "/opt/sfc2");
}

TEST_F(GameFolderLocatorTest, EmptyOrUnsetVariableAsksThePlatform) {
    const std::optional<std::string> platform = settings::MakePlatformLocator()->Find();
    for (const std::optional<std::string>& value :
         {std::optional<std::string>(""), std::optional<std::string>()}) {
        const ScopedVariable dir("TAVREL_GAME_DIR", value);
        EXPECT_EQ(CurrentLocator().Find(), platform);
    }
#ifndef _WIN32
    EXPECT_EQ(platform, std::nullopt);
#endif
}

#ifndef _WIN32
TEST_F(GameFolderLocatorTest, PosixLocatorReadsThePrefixAndSetsErrno) {
    const ScopedVariable dir("TAVREL_GAME_DIR", std::nullopt);
    settings::SetLastErrorCode(0);
    EXPECT_EQ(CurrentLocator().Find(), std::nullopt);
    EXPECT_EQ(settings::LastErrorCode(), ENOENT);

    const fs::path prefix = m_emptyHome.MakeDir(".wine");
    const fs::path game = m_emptyHome.MakeDir(".wine/drive_c/Games/SFC2");
    wine_test::WriteFile(prefix / "system.reg",
                         wine_test::SystemReg("win64", wine_test::kGameKeyWow, "C:\\GAMES\\sfc2"));
    EXPECT_EQ(CurrentLocator().Find(), wine_test::Utf8FromPathForTest(game));
}
#endif

TEST_F(GameFolderLocatorTest, SetLocatorReplacesAndRestores) {
    const ScopedVariable dir("TAVREL_GAME_DIR", std::string("from-variable"));
    using test_support::LocatorState;
    using test_support::StubLocator;
    SetLocator(std::make_unique<StubLocator>(std::make_shared<LocatorState>(
        LocatorState{.folder = "injected", .calls = 0, .failFromCall = 0})));
    EXPECT_EQ(CurrentLocator().Find(), "injected");
    SetLocator(std::make_unique<StubLocator>(
        std::make_shared<LocatorState>(LocatorState{.folder = "", .calls = 0, .failFromCall = 1})));
    EXPECT_EQ(CurrentLocator().Find(), std::nullopt);
    SetLocator(nullptr);
    EXPECT_EQ(CurrentLocator().Find(), "from-variable");
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
