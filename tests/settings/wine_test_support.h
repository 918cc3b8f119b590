#pragma once
// Scratch folders and registry-file text for the game-folder tests.
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/game_files.h"
#ifndef _WIN32
#include "settings/prefixes/search_order.h"
#endif

// For what a Windows file system cannot do (links, names that differ only in case).
#ifdef _WIN32
#define SKIP_ON_WINDOWS(why) GTEST_SKIP() << why
#else
#define SKIP_ON_WINDOWS(why) static_cast<void>(0)
#endif

namespace wine_test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir : public test_support::TempFolder {
public:
    ScratchDir() : TempFolder("tc-wine-") {}
};

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Doubles backslashes and escapes quotes, as Wine writes names and string data.
inline std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

// A system.reg with one key holding "Path". `arch` is "win32", "win64" or "" (no #arch line).
inline std::string SystemReg(std::string_view arch, std::string_view keyPath,
                             std::string_view gamePath) {
    std::string text =
        "WINE REGISTRY Version 2\n"
        ";; All keys relative to REGISTRY\\\\Machine\n\n";
    // Appended piece by piece: GCC 12 warns (-Wrestrict) about "literal" + std::string here.
    if (!arch.empty()) text.append("#arch=").append(arch).append("\n\n");
    text += "[Software\\\\Wine] 1796728074\n#time=1dd87045f7014b6\n\"Version\"=\"win10\"\n\n";
    text.append("[").append(Escape(keyPath)).append("] 1796728074\n#time=1dd87045f7014b6\n");
    text.append("\"Path\"=\"").append(Escape(gamePath)).append("\"\n\n");
    return text;
}

#ifndef _WIN32
// The prefixes the search tries, in order.
inline std::vector<std::filesystem::path> ListPrefixes(const settings::prefixes::Environment& env) {
    settings::prefixes::PrefixList list = settings::prefixes::BuildPrefixList(env);
    std::vector<std::filesystem::path> prefixes;
    for (const settings::prefixes::PrefixCandidate& candidate : list.Found()) {
        prefixes.push_back(candidate.prefix);
    }
    return prefixes;
}
#endif

inline constexpr std::string_view kGameKey = "Software\\Taldren\\Starfleet Command II";
inline constexpr std::string_view kGameKeyWow =
    "Software\\Wow6432Node\\Taldren\\Starfleet Command II";

}  // namespace wine_test

namespace wine_test {

inline std::string Utf8FromPathForTest(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace wine_test
