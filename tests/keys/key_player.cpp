// tc_keyplay: the headless half of the differential keyboard test (win32/keys_diff_test.sh).
//
//   tc_keyplay SEED COUNT FOLDER
//
// Makes COUNT cases from SEED, case i in FOLDER/i/: a game's two files (start/scripts.ini,
// start/sfc.ini, values drawn from the seed) and a random key sequence (keys: xdotool key
// names on one line). Then plays each case through the main dialog on the headless platform,
// ends it the way the script ends the Windows program (see Finish), and leaves the files as
// saved in FOLDER/i/model/. The same seed makes the same cases on every platform: the numbers
// come straight from the engine, never through a library distribution.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/numeric_text.h"
#include "dialog/customizer_dlg.h"
#include "rcscript/resource_set.h"
#include "resource.h"
#include "settings/locate/game_folder.h"
#include "settings/record/script_settings.h"
#include "settings/record/services.h"
#include "support/headless_platform.h"

namespace {

namespace fs = std::filesystem;
using model::DialogModel;
using model::Modifiers;

class Random {
public:
    explicit Random(std::uint64_t seed) : m_engine(seed) {}
    // 0 <= result < bound.
    int Below(int bound) {
        return static_cast<int>(m_engine() % static_cast<std::uint64_t>(bound));
    }
    template <class T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(N)))];
    }

private:
    std::mt19937_64 m_engine;
};

// The keys a sequence draws from, with their weights.
struct KeyChoice {
    const char* name;
    int weight;
};
constexpr KeyChoice kKeys[] = {
    {"Tab", 12},   {"shift+Tab", 6}, {"Left", 3},     {"Right", 3},  {"Up", 3},
    {"Down", 3},   {"Prior", 2},     {"Next", 2},     {"Home", 2},   {"End", 2},
    {"space", 8},  {"0", 2},         {"1", 2},        {"5", 2},      {"9", 2},
    {"a", 1},      {"c", 1},         {"m", 1},        {"s", 1},      {"BackSpace", 2},
    {"Delete", 2}, {"F4", 2},        {"alt+Down", 2}, {"Return", 1}, {"Escape", 1},
};

std::string Odds(Random& random) {
    const int word = random.Below(101) | (random.Below(101) << 8) | (random.Below(101) << 16) |
                     (random.Below(101) << 24);
    return base::FormatInt(word);
}

// A game's files as the game keeps them, with values drawn from the seed.
void WriteStart(Random& random, const fs::path& folder) {
    // Some outside the slider's range, as a hand-edited file may hold them.
    static constexpr const char* kMultipliers[] = {"0.5",  "0.99", "1.10", "1.5", "2.01",
                                                   "2.95", "3",    "5",    "0.3"};
    static constexpr const char* kModSupport[] = {"-9", "0", "8", "16", "24", "280", "-25"};
    const std::string srace = random.Below(4) == 0 ? "-1" : base::FormatInt(random.Below(1024));
    std::ostringstream scripts;
    scripts << "[Mul_Tavrel]\r\nmultiplier=" << random.Pick(kMultipliers)
            << "\r\ntype=" << random.Below(2) << "\r\nrrace=" << 1 + random.Below(1023)
            << "\r\nsrace=" << srace << "\r\nrace=0\r\nhull=" << (random.Below(1024) << 3)
            << "\r\nhullpercentA=" << Odds(random) << "\r\nhullpercentB=" << Odds(random)
            << "\r\nhullpercentC="
            << (random.Below(101) | random.Below(101) << 8 | random.Below(101) << 16)
            << "\r\nera=" << random.Below(3) << "\r\nModSupport=" << random.Pick(kModSupport)
            << "\r\n";
    fs::create_directories(folder);
    std::ofstream(folder / "scripts.ini", std::ios::binary) << scripts.str();
    std::ofstream(folder / "sfc.ini", std::ios::binary)
        << "[UI]\r\nUIType=" << random.Below(3) << "\r\n";
}

std::string MakeKeys(Random& random) {
    int total = 0;
    for (const KeyChoice& key : kKeys) total += key.weight;
    const int length = 6 + random.Below(20);
    std::string keys;
    for (int i = 0; i < length; ++i) {
        int pick = random.Below(total);
        const KeyChoice* chosen = &kKeys[0];
        for (const KeyChoice& key : kKeys) {
            if (pick < key.weight) {
                chosen = &key;
                break;
            }
            pick -= key.weight;
        }
        if (!keys.empty()) keys += ' ';
        keys += chosen->name;
    }
    return keys;
}

struct Key {
    UINT vk = 0;
    Modifiers modifiers;
};

bool ParseKey(std::string_view name, Key& key) {
    if (name.starts_with("shift+")) {
        key.modifiers.shift = true;
        name.remove_prefix(6);
    } else if (name.starts_with("alt+")) {
        key.modifiers.alt = true;
        name.remove_prefix(4);
    }
    static constexpr std::pair<std::string_view, UINT> kNamed[] = {
        {"Tab", framework::vk::Tab},       {"Return", framework::vk::Return},
        {"Escape", framework::vk::Escape}, {"space", framework::vk::Space},
        {"Prior", framework::vk::Prior},   {"Next", framework::vk::Next},
        {"Home", framework::vk::Home},     {"End", framework::vk::End},
        {"Left", framework::vk::Left},     {"Right", framework::vk::Right},
        {"Up", framework::vk::Up},         {"Down", framework::vk::Down},
        {"Delete", framework::vk::Delete}, {"BackSpace", framework::vk::Back},
        {"F4", framework::vk::F4},
    };
    for (const auto& [text, code] : kNamed) {
        if (name == text) {
            key.vk = code;
            return true;
        }
    }
    if (name.size() == 1 &&
        ((name[0] >= '0' && name[0] <= '9') || (name[0] >= 'a' && name[0] <= 'z'))) {
        key.vk = static_cast<UINT>(name[0] >= 'a' ? name[0] - 'a' + 'A' : name[0]);
        return true;
    }
    return false;
}

class FixedFolder final : public settings::locate::GameFolderLocator {
public:
    explicit FixedFolder(std::string folder) : m_folder(std::move(folder)) {}
    std::optional<std::string> Find(settings::locate::LookupAccount*) override { return m_folder; }

private:
    std::string m_folder;
};

// Plays one case in `game` (which holds the start files); false on a bad key name.
bool Play(const std::string& keyText, const fs::path& game) {
    std::deque<Key> keys;
    std::istringstream words(keyText);
    for (std::string word; words >> word;) {
        Key key;
        if (!ParseKey(word, key)) {
            std::cerr << "unknown key name: " << word << '\n';
            return false;
        }
        keys.push_back(key);
    }
    settings::InstallServices({std::make_unique<FixedFolder>(game.string()), nullptr});
    theSettings = CScriptSettings();
    model::HeadlessPlatform platform(rcscript::ResourceSet::Program(), "TavrelCustomizer");
    model::ScopedPlatform use(platform);
    // A message box takes the keys while it is up: Enter, Space and Escape close it, the others
    // do nothing there. One still up when the keys run out is closed by the ending.
    platform.WhileMessageBoxUp([&](const model::MessageBoxRecord&) {
        while (!keys.empty()) {
            const Key key = keys.front();
            keys.pop_front();
            if (!key.modifiers.alt &&
                (key.vk == framework::vk::Return || key.vk == framework::vk::Space ||
                 key.vk == framework::vk::Escape)) {
                return;
            }
        }
    });
    platform.OnModal([&](DialogModel& dlg) {
        while (!keys.empty() && !dlg.Ended()) {
            const Key key = keys.front();
            keys.pop_front();
            dlg.PressKey(key.vk, key.modifiers);
        }
        // The ending: a click on OK; if the dialog stays (no race chosen, after its box), Escape.
        if (!dlg.Ended()) dlg.Click(IDOK);
        if (!dlg.Ended()) dlg.PressKey(framework::vk::Escape);
    });
    CCustomizerDlg dialog;
    dialog.DoModal();
    settings::InstallServices({});
    return true;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: tc_keyplay SEED COUNT FOLDER\n";
        return 2;
    }
    std::uint64_t seed = 0;
    int count = 0;
    const auto whole = [](std::string_view text, auto& value) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size();
    };
    if (!whole(argv[1], seed) || !whole(argv[2], count) || count < 0) {
        std::cerr << "SEED and COUNT must be whole numbers\n";
        return 2;
    }
    const fs::path root = argv[3];
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        const fs::path folder = root / std::to_string(i);
        WriteStart(random, folder / "start");
        std::ofstream(folder / "keys", std::ios::binary) << MakeKeys(random) << '\n';
    }
    for (int i = 0; i < count; ++i) {
        const fs::path folder = root / std::to_string(i);
        const fs::path game = folder / "model";
        fs::create_directories(game / "Assets" / "Scripts");
        fs::copy_file(folder / "start" / "scripts.ini", game / "Assets" / "Scripts" / "scripts.ini",
                      fs::copy_options::overwrite_existing);
        fs::copy_file(folder / "start" / "sfc.ini", game / "sfc.ini",
                      fs::copy_options::overwrite_existing);
        std::string keys = ReadAll(folder / "keys");
        if (!Play(keys, game)) return 1;
    }
    return 0;
}
