#pragma once
// What every target shares. The files these readers are given are small, so inputs are capped:
// a bigger one only slows the search (scripts/fuzz.sh passes the same cap as -max_len).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

inline constexpr std::size_t kMaxInput = 64 * 1024;

// The value a target returns for an input over the cap: libFuzzer keeps it out of the corpus.
inline constexpr int kRejected = -1;

// A broken property aborts, so that libFuzzer keeps the input as a crash; `what` names it.
inline void Check(bool condition, const char* what = nullptr) {
    if (condition) return;
    if (what != nullptr) std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A cheap, reproducible choice per input (FNV-1a of its size and first bytes), for checks too
// costly to run on every input.
inline std::uint32_t Pick(std::string_view input) {
    std::uint32_t h = 2166136261u ^ static_cast<std::uint32_t>(input.size());
    for (char c : input.substr(0, 32)) {
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return h;
}

}  // namespace fuzz
