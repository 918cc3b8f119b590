// The Windows registry lookup, run against the registry of the test's own (throwaway) prefix.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "settings/locate/game_folder.h"

namespace {

const std::string kKey(settings::locate::kGameRegistryKey);
const std::string kVendorKey = "Software\\Taldren";

bool KeyExists(REGSAM view, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

class RegistryLocatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Never touch a real installation.
        for (const REGSAM view : {REGSAM{KEY_WOW64_32KEY}, REGSAM{KEY_WOW64_64KEY}}) {
            if (KeyExists(view, kVendorKey)) GTEST_SKIP() << "the game's key already exists";
        }
        m_clean = true;
    }

    void TearDown() override {
        if (!m_clean) return;
        for (const REGSAM view : {REGSAM{KEY_WOW64_32KEY}, REGSAM{KEY_WOW64_64KEY}}) {
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey.c_str(), view, 0);
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kVendorKey.c_str(), view, 0);
        }
    }

    // `view`: KEY_WOW64_32KEY or KEY_WOW64_64KEY.
    static void Write(REGSAM view, DWORD type, const std::string& data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey.c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | view, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const LONG result =
            RegSetValueExA(key, "Path", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size()));
        RegCloseKey(key);
        ASSERT_EQ(result, ERROR_SUCCESS);
    }

    static std::optional<std::string> Find() {
        return settings::locate::MakePlatformLocator()->Find(nullptr);
    }

    bool m_clean = false;
};

TEST_F(RegistryLocatorTest, MissingKeySetsTheRegistryCode) {
    SetLastError(0);
    EXPECT_EQ(Find(), std::nullopt);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryLocatorTest, ThirtyTwoBitViewComesFirst) {
    Write(KEY_WOW64_64KEY, REG_SZ, std::string("D:\\Native\\SFC2") + '\0');
    EXPECT_EQ(Find(), "D:\\Native\\SFC2");
    Write(KEY_WOW64_32KEY, REG_SZ, std::string("C:\\Program Files (x86)\\SFC2") + '\0');
    EXPECT_EQ(Find(), "C:\\Program Files (x86)\\SFC2");
}

TEST_F(RegistryLocatorTest, LongValueIsReadWhole) {
    std::string folder = "C:\\";
    while (folder.size() < 300) folder += "A Rather Long Folder Name\\";
    Write(KEY_WOW64_32KEY, REG_SZ, folder + '\0');
    EXPECT_EQ(Find(), folder);
}

TEST_F(RegistryLocatorTest, TextEndsAtFirstNulAndIsNotExpanded) {
    Write(KEY_WOW64_32KEY, REG_EXPAND_SZ, std::string("%ProgramFiles%\\SFC2") + '\0');
    EXPECT_EQ(Find(), "%ProgramFiles%\\SFC2");
    Write(KEY_WOW64_32KEY, REG_BINARY, std::string("C:\\Bin\0tail", 11));
    EXPECT_EQ(Find(), "C:\\Bin");
    Write(KEY_WOW64_32KEY, REG_BINARY, "C:\\NoNul");
    EXPECT_EQ(Find(), "C:\\NoNul");
}

TEST_F(RegistryLocatorTest, EmptyValueIsNotAFolder) {
    Write(KEY_WOW64_32KEY, REG_SZ, std::string(1, '\0'));
    SetLastError(0);
    EXPECT_EQ(Find(), std::nullopt);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
#endif  // _WIN32
