// Which copy of each file the record reads and writes when the game folder is virtualized.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "settings/ini/ini_profile.h"
#include "settings/record/script_settings.h"
#include "settings/store/profile_files.h"
#include "support/game_folder_test.h"
#include "support/scripted_profile_files.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#endif

namespace {

namespace fs = std::filesystem;
using test_support::kAccessDeniedCode;
using test_support::kDiskFullCode;

class VirtualStoreTest : public test_support::GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        m_files = std::make_shared<test_support::ProfileFilesScript>();
        m_files->virtualized = m_root.string();
        m_files->store = (m_root / "VirtualStore").string();
        m_game.UseFiles(std::make_unique<test_support::ScriptedProfileFiles>(m_files));
    }
    void TearDown() override {
        m_game.UseFiles(nullptr);
        GameFolderTest::TearDown();
    }

    fs::path ScriptsCopy() const {
        return m_root / "VirtualStore" / "Assets" / "Scripts" / "scripts.ini";
    }
    fs::path SfcCopy() const { return m_root / "VirtualStore" / "sfc.ini"; }

    void Deny(const fs::path& path, int code = kAccessDeniedCode) {
        m_files->failingWrites[path.string()] = code;
    }
    static std::string UIType(const fs::path& path) {
        return settings::ini::GetString(ReadBytes(path), "UI", "UIType");
    }
    static std::string Era(const fs::path& path) {
        return settings::ini::GetString(ReadBytes(path), "Mul_Tavrel", "era");
    }

    std::shared_ptr<test_support::ProfileFilesScript> m_files;
    CScriptSettings m_record;
};

TEST_F(VirtualStoreTest, LoadReadsTheCopyWhereThereIsOne) {
    WriteBytes(ScriptsIni(), "[Mul_Tavrel]\r\nera=1\r\n");
    WriteBytes(SfcIni(), "[UI]\r\nUIType=1\r\n");
    fs::create_directories(SfcCopy().parent_path());
    WriteBytes(SfcCopy(), "[UI]\r\nUIType=2\r\n");  // the game writes sfc.ini only
    ASSERT_TRUE(m_record.Load());
    EXPECT_EQ(m_record.GetEra(), 1);
    EXPECT_EQ(m_record.GetUIType(), 2);
}

TEST_F(VirtualStoreTest, DeniedWritesCreateTheCopiesFromTheRealFiles) {
    const std::string scripts = "; by hand\r\n[Mul_Tavrel]\r\nera=1\r\n";
    WriteBytes(ScriptsIni(), scripts);  // sfc.ini does not exist
    Deny(ScriptsIni());
    Deny(SfcIni());
    ASSERT_TRUE(m_record.Load());
    m_record.SetEra(0);
    m_record.SetUIType(2);
    ASSERT_TRUE(m_record.Save());

    EXPECT_EQ(ReadBytes(ScriptsIni()), scripts);
    EXPECT_FALSE(fs::exists(SfcIni()));
    EXPECT_EQ(ReadBytes(ScriptsCopy()).substr(0, 25), "; by hand\r\n[Mul_Tavrel]\r\n");
    EXPECT_EQ(Era(ScriptsCopy()), "0");
    EXPECT_EQ(ReadBytes(SfcCopy()), "[UI]\r\nUIType=2\r\n");

    // From now on the copies are what is read, and written.
    m_record.SetEra(2);
    ASSERT_TRUE(m_record.Load());
    EXPECT_EQ(m_record.GetEra(), 0);
}

TEST_F(VirtualStoreTest, ExistingCopyAndRealFileBothGetTheKeys) {
    for (bool realDenied : {false, true}) {
        SCOPED_TRACE(realDenied ? "real file denied" : "real file writable");
        m_files->failingWrites.clear();
        WriteBytes(SfcIni(), "[UI]\r\nUIType=0\r\n[Video]\r\nWidth=800\r\n");
        fs::create_directories(SfcCopy().parent_path());
        WriteBytes(SfcCopy(), "[UI]\r\nUIType=1\r\nShowTips=0\r\n");
        if (realDenied) Deny(SfcIni());
        ASSERT_TRUE(m_record.Load());
        EXPECT_EQ(m_record.GetUIType(), 1);
        m_record.SetUIType(2);
        ASSERT_TRUE(m_record.Save());
        EXPECT_EQ(ReadBytes(SfcCopy()), "[UI]\r\nUIType=2\r\nShowTips=0\r\n");
        EXPECT_EQ(ReadBytes(SfcIni()), realDenied ? "[UI]\r\nUIType=0\r\n[Video]\r\nWidth=800\r\n"
                                                  : "[UI]\r\nUIType=2\r\n[Video]\r\nWidth=800\r\n");
    }
}

// Each failure reports its own code and leaves every copy as it was: the copy is not replaced
// before the real file beside it is ready too.
TEST_F(VirtualStoreTest, FailuresOfTheSaveRule) {
    struct Case {
        const char* name;
        bool copyExists;
        bool virtualizationAllowed;
        bool realDenied;  // else the real write fails with another error, when it fails
        bool copyFails;
        int code;
    };
    const Case cases[] = {
        {"copy write fails", true, true, false, true, kDiskFullCode},
        {"copy cannot be created", false, true, true, true, kDiskFullCode},
        {"virtualization off", false, false, true, false, kAccessDeniedCode},
        {"real write fails otherwise", false, true, false, false, kDiskFullCode},
        {"real write beside a copy fails otherwise", true, true, false, false, kDiskFullCode},
    };
    const std::string real = "[UI]\r\nUIType=0\r\n";
    const std::string copy = "[UI]\r\nUIType=1\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_root / "VirtualStore");
        m_files->failingWrites.clear();
        m_files->virtualizationAllowed = c.virtualizationAllowed;
        WriteBytes(SfcIni(), real);
        if (c.copyExists) {
            fs::create_directories(SfcCopy().parent_path());
            WriteBytes(SfcCopy(), copy);
        }
        if (c.copyFails) Deny(SfcCopy(), kDiskFullCode);
        if (!c.copyFails || !c.copyExists)
            Deny(SfcIni(), c.realDenied ? kAccessDeniedCode : kDiskFullCode);
        ASSERT_TRUE(m_record.Load());
        m_record.SetUIType(2);
        settings::store::SetLastErrorCode(0);
        EXPECT_FALSE(m_record.Save());
        EXPECT_EQ(settings::store::LastErrorCode(), c.code);
        EXPECT_EQ(ReadBytes(SfcIni()), real);
        if (c.copyExists) {
            EXPECT_EQ(UIType(SfcCopy()), "1");
        } else {
            EXPECT_FALSE(fs::exists(SfcCopy()));
        }
    }
}

#ifdef _WIN32
// The system's own answers, as far as Wine gives them.
TEST(PlatformVirtualStore, CopyOfAFileUnderProgramFiles) {
    const char* local = std::getenv("LOCALAPPDATA");
    ASSERT_NE(local, nullptr);
    const std::string game = "C:\\Program Files (x86)\\Tavrel Test\\";
    EXPECT_EQ(settings::store::PlatformVirtualStoreCopy(game + "sfc.ini"),
              std::string(local) + "\\VirtualStore\\Program Files (x86)\\Tavrel Test\\sfc.ini");
    // The 64-bit system's own Program Files, which a 32-bit program's folder calls do not name.
    EXPECT_EQ(settings::store::PlatformVirtualStoreCopy("C:\\Program Files\\Tavrel Test\\sfc.ini"),
              std::string(local) + "\\VirtualStore\\Program Files\\Tavrel Test\\sfc.ini");
    EXPECT_EQ(settings::store::PlatformVirtualStoreCopy("c:/windows/game.ini"),
              std::string(local) + "\\VirtualStore\\windows\\game.ini");
    EXPECT_EQ(settings::store::PlatformVirtualStoreCopy("C:\\Program Files Games\\sfc.ini"),
              std::nullopt);
    EXPECT_EQ(settings::store::PlatformVirtualStoreCopy("C:\\Games\\sfc.ini"), std::nullopt);
    EXPECT_TRUE(settings::store::PlatformVirtualizationAllowed());
}

TEST(PlatformVirtualStore, ShortNamesAreComparedInTheirLongForm) {
    const char* local = std::getenv("LOCALAPPDATA");
    ASSERT_NE(local, nullptr);
    const std::string folder = "C:\\Program Files (x86)\\Tavrel Short Name Test";
    CreateDirectoryA(folder.c_str(), nullptr);
    char shortForm[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA(folder.c_str(), shortForm, MAX_PATH);
    const std::optional<std::string> copy =
        settings::store::PlatformVirtualStoreCopy(std::string(shortForm) + "\\sfc.ini");
    RemoveDirectoryA(folder.c_str());
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, static_cast<DWORD>(MAX_PATH));
    ASSERT_NE(std::string(shortForm), folder);
    EXPECT_EQ(copy, std::string(local) +
                        "\\VirtualStore\\Program Files (x86)\\Tavrel Short Name Test\\sfc.ini");
}
#endif

}  // namespace
