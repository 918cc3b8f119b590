#pragma once
// A throw-away game folder for the settings record, reached through a locator the test controls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#include "settings/file_store.h"
#include "settings/game_folder.h"

namespace testing_support {

// What the locator reports when a lookup is made to fail.
inline constexpr int kLookupErrorCode = 2;

struct LocatorScript {
    std::string folder;
    int calls = 0;
    int failFromCall = 0;  // 0: never fails; n: the n-th and later lookups fail
};

class ScriptedLocator : public settings::GameFolderLocator {
public:
    explicit ScriptedLocator(std::shared_ptr<LocatorScript> script) : m_script(std::move(script)) {}

    std::optional<std::string> Find() override {
        ++m_script->calls;
        if (m_script->failFromCall > 0 && m_script->calls >= m_script->failFromCall) {
            settings::SetLastErrorCode(kLookupErrorCode);
            return std::nullopt;
        }
        return m_script->folder;
    }

private:
    std::shared_ptr<LocatorScript> m_script;
};

class GameFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_root = std::filesystem::temp_directory_path() /
                     ("tc-settings-" + std::to_string(random()));
            if (std::filesystem::create_directory(m_root)) break;
        }
        std::filesystem::create_directories(m_root / "Assets" / "Scripts");
        m_locator = std::make_shared<LocatorScript>();
        m_locator->folder = m_root.string();  // no trailing separator: the record adds it
        settings::SetLocator(std::make_unique<ScriptedLocator>(m_locator));
    }

    void TearDown() override {
        settings::SetLocator(nullptr);
        std::error_code error;
        // Read-only entries left by a test must not keep the folder alive.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_root, error)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
        }
        std::filesystem::remove_all(m_root, error);
    }

    std::filesystem::path ScriptsIni() const {
        return m_root / "Assets" / "Scripts" / "scripts.ini";
    }
    std::filesystem::path SfcIni() const { return m_root / "sfc.ini"; }

    static void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        ASSERT_TRUE(out.good()) << path;
    }

    static std::string ReadBytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path m_root;
    std::shared_ptr<LocatorScript> m_locator;
};

}  // namespace testing_support
