// The game-folder lookup in a home with many Wine prefixes, each with a system.reg of a real
// prefix's size (3 MB), the game installed in the last one searched. Every prefix's registry
// must be read, so this is the worst case a player with many launchers' prefixes meets. Beside
// it: the game in the first prefix (one registry read), F1's search for every installation,
// which reads them all wherever the game is, and the same with one huge registry among them.
//
//   build/linux/bench/prefix_search_bench
//
// The files are written once to a temporary folder (about 850 MB, removed at exit) and are
// then in the page cache: the figures are warm lookups.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include "settings/locate/game_folder.h"
#include "settings/prefixes/prefix_search.h"
#include "settings/wine/windows_path.h"

namespace {

namespace fs = std::filesystem;
using settings::prefixes::Environment;

constexpr int kMaxPrefixes = 200;
constexpr std::size_t kRegistrySize = 3U * 1024U * 1024U;
// Just under the largest registry the search reads (prefix_registry.cpp).
constexpr std::size_t kHugeRegistrySize = 255U * 1024U * 1024U;

// Sections in the order and proportions Wine writes them: classes, then the rest of
// Software, the 32-bit view (where the game's installer writes), then System. Values are
// strings, and hex lists continued over several lines.
std::string SystemRegText(bool withGame) {
    std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n";
    char line[256];
    int section = 0;
    const auto fill = [&](const char* parent, std::size_t until) {
        while (text.size() < until) {
            std::snprintf(line, sizeof line,
                          "[%s\\\\{%08X-1A2B-11D0-8C3F-%012d}\\\\InprocServer32] 1796728074\n"
                          "#time=1dd87045f7014b6\n",
                          parent, static_cast<unsigned>(section) * 2654435761U, section);
            text += line;
            text += "@=\"C:\\\\windows\\\\system32\\\\ole32.dll\"\n\"ThreadingModel\"=\"Both\"\n";
            if (section % 3 == 0) {
                text +=
                    "\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,"
                    "13,14,15,16,\\\n  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,"
                    "2a,2b,2c,2d,\\\n  2e,2f,30,31\n";
            }
            text += '\n';
            ++section;
        }
    };
    fill("Software\\\\Classes\\\\CLSID", kRegistrySize * 45 / 100);
    fill("Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Shell", kRegistrySize * 60 / 100);
    fill("Software\\\\Wow6432Node\\\\Classes\\\\CLSID", kRegistrySize * 75 / 100);
    if (withGame) {
        text +=
            "[Software\\\\Wow6432Node\\\\Taldren\\\\Starfleet Command II] 1796728074\n"
            "#time=1dd87045f7014b6\n\"Path\"=\"C:\\\\Games\\\\Starfleet Command II\\\\\"\n\n";
    }
    fill("System\\\\CurrentControlSet\\\\Services\\\\Devices", kRegistrySize);
    return text;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A pool of prefixes written once; each home links the first n-1 plain ones and, last in name
// order, the one with the game.
class Homes {
public:
    Homes()
        : m_root(fs::temp_directory_path() /
                 ("tavrel_prefix_bench_" + std::to_string(::getpid()))) {
        const std::string plain = SystemRegText(false);
        for (int i = 0; i < kMaxPrefixes; ++i) {
            const bool game = i == kMaxPrefixes - 1;
            const fs::path prefix = Pool(i);
            WriteFile(prefix / "system.reg", game ? SystemRegText(true) : plain);
            fs::create_directories(prefix / "drive_c" / "Games" / "Starfleet Command II");
        }
    }
    ~Homes() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    Homes(const Homes&) = delete;
    Homes& operator=(const Homes&) = delete;

    // `gameFirst`: the game's prefix comes first in name order instead of last.
    Environment Home(int prefixes, bool gameFirst = false) const {
        const fs::path home =
            m_root / ("home" + std::to_string(prefixes) + (gameFirst ? "-first" : ""));
        const fs::path list = home / ".local/share/wineprefixes";
        if (!fs::exists(list)) {
            fs::create_directories(list);
            for (int i = 0; i < prefixes - 1; ++i) {
                fs::create_directory_symlink(Pool(i), list / ("p" + std::to_string(1000 + i)));
            }
            fs::create_directory_symlink(Pool(kMaxPrefixes - 1),
                                         list / (gameFirst ? "aa-game" : "zz-game"));
        }
        Environment env;
        env.home = settings::wine::Utf8FromPath(home);
        return env;
    }

    // The game's prefix, then one whose registry is just under the largest size read, then
    // plain ones: F1's search must read the huge one whole or give up on it in time.
    Environment HomeWithHugeRegistry() const {
        const fs::path home = m_root / "home-huge";
        const fs::path list = home / ".local/share/wineprefixes";
        if (!fs::exists(list)) {
            fs::create_directories(list);
            fs::create_directory_symlink(Pool(kMaxPrefixes - 1), list / "aa-game");
            const std::string plain = SystemRegText(false);
            std::ofstream huge(Path(list / "ab-huge/system.reg"), std::ios::binary);
            for (std::size_t size = 0; size + plain.size() < kHugeRegistrySize;
                 size += plain.size()) {
                huge.write(plain.data(), static_cast<std::streamsize>(plain.size()));
            }
            for (int i = 0; i < 48; ++i) {
                fs::create_directory_symlink(Pool(i), list / ("p" + std::to_string(1000 + i)));
            }
        }
        Environment env;
        env.home = settings::wine::Utf8FromPath(home);
        return env;
    }

private:
    static fs::path Path(const fs::path& file) {
        fs::create_directories(file.parent_path());
        return file;
    }
    fs::path Pool(int i) const { return m_root / "pool" / ("prefix" + std::to_string(i)); }

    fs::path m_root;
};

Homes& SharedHomes() {
    static Homes homes;
    return homes;
}

void BM_FindGameFolder(benchmark::State& state) {
    const Environment env = SharedHomes().Home(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto match = settings::prefixes::FindGameFolder(env, settings::locate::kGameRegistryKey,
                                                        settings::locate::kGameRegistryValue);
        if (!match || !match->exists) state.SkipWithError("game not found");
        benchmark::DoNotOptimize(match);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) *
                            static_cast<std::int64_t>(kRegistrySize));
}
BENCHMARK(BM_FindGameFolder)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// The game in the first prefix searched: one registry is read.
void BM_FindGameFolderFirstHit(benchmark::State& state) {
    const Environment env = SharedHomes().Home(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        auto match = settings::prefixes::FindGameFolder(env, settings::locate::kGameRegistryKey,
                                                        settings::locate::kGameRegistryValue);
        if (!match || !match->exists) state.SkipWithError("game not found");
        benchmark::DoNotOptimize(match);
    }
}
BENCHMARK(BM_FindGameFolderFirstHit)->Arg(200)->Unit(benchmark::kMillisecond);

// F1's search for every installation: every prefix is read wherever the game is.
void BM_FindAllGameFolders(benchmark::State& state) {
    const Environment env = SharedHomes().Home(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        bool incomplete = false;
        auto matches = settings::prefixes::FindAllGameFolders(
            env, settings::locate::kGameRegistryKey, settings::locate::kGameRegistryValue,
            std::chrono::steady_clock::now() + std::chrono::hours(1), incomplete);
        if (matches.size() != 1 || incomplete) state.SkipWithError("not one installation");
        benchmark::DoNotOptimize(matches);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) *
                            static_cast<std::int64_t>(kRegistrySize));
}
BENCHMARK(BM_FindAllGameFolders)->Arg(200)->Unit(benchmark::kMillisecond);

// F1's search with one huge registry among 50 prefixes, given the budget in milliseconds: with
// F1's two seconds it reads the file whole (from the page cache here); with less it stops in
// the middle of the read, shortly after its deadline.
void BM_FindAllWithHugeRegistry(benchmark::State& state) {
    const Environment env = SharedHomes().HomeWithHugeRegistry();
    bool incomplete = false;
    for (auto _ : state) {
        auto matches = settings::prefixes::FindAllGameFolders(
            env, settings::locate::kGameRegistryKey, settings::locate::kGameRegistryValue,
            std::chrono::steady_clock::now() + std::chrono::milliseconds(state.range(0)),
            incomplete);
        if (matches.empty()) state.SkipWithError("the game was not found");
        benchmark::DoNotOptimize(matches);
    }
    state.counters["incomplete"] = incomplete ? 1 : 0;
}
BENCHMARK(BM_FindAllWithHugeRegistry)
    ->Arg(2000)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// After the first lookup of a run: only the remembered prefix is read.
void BM_RememberedPrefix(benchmark::State& state) {
    const Environment env = SharedHomes().Home(kMaxPrefixes);
    settings::prefixes::GameFolderSearch search;
    static_cast<void>(
        search.Find(env, settings::locate::kGameRegistryKey, settings::locate::kGameRegistryValue));
    for (auto _ : state) {
        auto match = search.Find(env, settings::locate::kGameRegistryKey,
                                 settings::locate::kGameRegistryValue);
        if (!match || !match->exists) state.SkipWithError("game not found");
        benchmark::DoNotOptimize(match);
    }
}
BENCHMARK(BM_RememberedPrefix)->Unit(benchmark::kMillisecond);

// One registry already in memory: the reading of the text alone, without the file system.
void BM_ScanSystemReg(benchmark::State& state) {
    const std::string text = SystemRegText(state.range(0) != 0);
    for (auto _ : state) {
        auto value = settings::prefixes::ReadMachineString(text, settings::locate::kGameRegistryKey,
                                                           settings::locate::kGameRegistryValue);
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ScanSystemReg)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
