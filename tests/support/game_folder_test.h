#pragma once
// The test fixture over GameFolder: every test starts with an empty game folder of its own,
// which the settings record finds through the stub locator.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "support/game_files.h"

namespace test_support {

class GameFolderTest : public ::testing::Test {
protected:
    std::filesystem::path ScriptsIni() const { return m_game.ScriptsIni(); }
    std::filesystem::path SfcIni() const { return m_game.SfcIni(); }

    static void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
        ASSERT_TRUE(test_support::WriteBytes(path, bytes)) << path;
    }
    static std::string ReadBytes(const std::filesystem::path& path) {
        return test_support::ReadBytes(path);
    }

    void WriteGame(const GameKeys& keys) const { ASSERT_TRUE(m_game.Write(keys)) << m_root; }
    // Both files hold exactly what WriteGame(keys) writes.
    void ExpectGame(const GameKeys& keys) const {
        EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsIniBytes(keys));
        EXPECT_EQ(ReadBytes(SfcIni()), SfcIniBytes(keys));
    }

    GameFolder m_game;
    const std::filesystem::path m_root = m_game.root();
    const std::shared_ptr<LocatorState> m_locator = m_game.locator();
};

}  // namespace test_support
