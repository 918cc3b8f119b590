// Load followed by Save of the settings record against a plain read and write of the same
// scripts.ini, for files of about 1 KB, 1 MB and 16 MB. Each iteration times both, so the two
// see the same disk and cache state; the counters give their means and the ratio.
//
//   store_ms   Load + Save (two lookups each, scripts.ini read twice and replaced, sfc.ini too)
//   plain_ms   ReadWholeFile + ReplaceWholeFile of scripts.ini: the same durable replace
//   raw_ms     fread + fwrite of scripts.ini in place, nothing flushed to disk
//   ratio      store_ms / plain_ms; ratio_raw: store_ms / raw_ms
//   ns_per_byte  store time per byte of scripts.ini, to see that it grows linearly
//
// The second argument 1 gives scripts.ini a second name (a hard link), so that Save rewrites it
// in place under a lock, after a flushed backup, instead of renaming a new file over it.
//
// The file layout is mirrored by bench/wine_profile_bench.sh; keep the two in step.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/numeric_text.h"
#include "settings/record/script_settings.h"
#include "settings/store/file_store.h"
#include "support/game_files.h"

namespace {

using Clock = std::chrono::steady_clock;

// Mission sections of eight keys each, CRLF, with Mul_Tavrel once half the size is reached.
// Some of its keys are missing, so the first Save adds them; later saves only replace values.
std::string MakeScriptsIni(std::size_t targetBytes) {
    std::string bytes = "; Mission scripts\r\n";
    bool tavrelWritten = false;
    for (int section = 0; bytes.size() < targetBytes || !tavrelWritten; ++section) {
        if (!tavrelWritten && bytes.size() >= targetBytes / 2) {
            bytes +=
                "[Mul_Tavrel]\r\n"
                "; tuned by hand\r\n"
                "multiplier=1.50\r\n"
                "type=1\r\n"
                "rrace=255\r\n"
                "srace=5\r\n"
                "hull=8184\r\n"
                "era=1\r\n";
            tavrelWritten = true;
        }
        const std::string number = base::FormatInt(section);
        bytes += "[Mission" + number + "]\r\n";
        for (int key = 0; key < 8; ++key) {
            bytes += "Key" + base::FormatInt(key) + "=Value " + number +
                     " of a generated mission " + base::FormatInt(key) + "\r\n";
        }
    }
    return bytes;
}

// The game folder with its two files, found through the stub locator while it lives.
class BenchFolder {
public:
    BenchFolder(std::size_t size, bool secondName) : m_game("tc-bench-") {
        int error = 0;
        m_ok =
            settings::store::ReplaceWholeFile(scripts(), MakeScriptsIni(size), error) &&
            settings::store::ReplaceWholeFile(
                m_game.SfcIni().string(), "[Video]\r\nWidth=1024\r\n[UI]\r\nUIType=1\r\n", error);
        std::error_code linked;
        if (m_ok && secondName) {
            std::filesystem::create_hard_link(scripts(), m_game.root() / "scripts-link.ini",
                                              linked);
        }
        m_ok = m_ok && !linked;
    }

    bool ok() const { return m_ok; }
    std::string scripts() const { return m_game.ScriptsIni().string(); }

private:
    test_support::GameFolder m_game;
    bool m_ok = false;
};

bool RawReadWrite(const std::string& path, std::string& bytes) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return false;
    bool read = std::fseek(in, 0, SEEK_END) == 0;
    const long size = read ? std::ftell(in) : -1;
    read = size >= 0 && std::fseek(in, 0, SEEK_SET) == 0;
    if (read) {
        bytes.resize(static_cast<std::size_t>(size));
        read = std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
    }
    std::fclose(in);
    if (!read) return false;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One round of each: Load + Save; plain read + replace; raw read + write.
struct RoundTimes {
    bool ok = false;
    double store = 0, plain = 0, raw = 0;
    std::size_t fileBytes = 0;
};

RoundTimes Round(const std::string& scripts) {
    RoundTimes times;
    const Clock::time_point t0 = Clock::now();
    CScriptSettings record;
    const bool saved = record.Load() && record.Save();
    const Clock::time_point t1 = Clock::now();

    // Fresh buffers each time, as Load and Save have: memory is part of the cost.
    std::string bytes;
    bool exists = false;
    int error = 0;
    const bool copied = settings::store::ReadWholeFile(scripts, bytes, exists, error) &&
                        settings::store::ReplaceWholeFile(scripts, bytes, error);
    const Clock::time_point t2 = Clock::now();
    std::string rawBytes;
    const bool rawCopied = RawReadWrite(scripts, rawBytes);
    const Clock::time_point t3 = Clock::now();

    times.ok = saved && copied && rawCopied;
    times.store = Seconds(t1 - t0);
    times.plain = Seconds(t2 - t1);
    times.raw = Seconds(t3 - t2);
    times.fileBytes = bytes.size();
    return times;
}

void BM_LoadSaveAgainstPlainIO(benchmark::State& state) {
    const BenchFolder folder(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    // The first round adds the missing keys and warms the page cache and the allocator.
    if (!folder.ok() || !Round(folder.scripts()).ok) {
        state.SkipWithError("cannot create the game folder or run a first round");
        return;
    }
    double store = 0, plain = 0, raw = 0;
    std::size_t fileBytes = 0;
    for (auto _ : state) {
        const RoundTimes times = Round(folder.scripts());
        if (!times.ok) {
            state.SkipWithError("load, save or plain copy failed");
            return;
        }
        store += times.store;
        plain += times.plain;
        raw += times.raw;
        fileBytes = times.fileBytes;
        state.SetIterationTime(times.store);
    }
    const double iterations = static_cast<double>(state.iterations());
    using benchmark::Counter;
    state.counters["file_kb"] = static_cast<double>(fileBytes) / 1024.0;
    state.counters["store_ms"] = Counter(store * 1e3, Counter::kAvgIterations);
    state.counters["plain_ms"] = Counter(plain * 1e3, Counter::kAvgIterations);
    state.counters["raw_ms"] = Counter(raw * 1e3, Counter::kAvgIterations);
    state.counters["ratio"] = plain > 0 ? store / plain : 0.0;
    state.counters["ratio_raw"] = raw > 0 ? store / raw : 0.0;
    state.counters["ns_per_byte"] = store * 1e9 / (iterations * static_cast<double>(fileBytes));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fileBytes));
}

BENCHMARK(BM_LoadSaveAgainstPlainIO)
    ->ArgsProduct({{1 << 10, 1 << 20, 16 << 20}, {0, 1}})
    ->ArgNames({"bytes", "in_place"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
