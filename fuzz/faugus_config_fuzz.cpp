// Faugus Launcher's games.json comes from folders anyone can write; its reader must survive any
// bytes and give only non-empty prefixes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "settings/prefixes/launcher_configs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    if (const auto games = settings::prefixes::FaugusGamePrefixes(fuzz::Bytes(data, size))) {
        for (const settings::prefixes::NamedPrefix& game : *games)
            fuzz::Check(!game.prefix.empty());
    }
    return 0;
}
