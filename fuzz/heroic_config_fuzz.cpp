// Heroic's GamesConfig/*.json comes from folders anyone can write; its reader must survive any
// bytes and give only non-empty prefixes, at least one when the file is of use.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "settings/prefixes/launcher_configs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    if (const auto prefixes = settings::prefixes::HeroicWinePrefixes(fuzz::Bytes(data, size))) {
        fuzz::Check(!prefixes->empty());
        for (const std::string& prefix : *prefixes) fuzz::Check(!prefix.empty());
    }
    return 0;
}
