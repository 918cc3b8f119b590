// Minigalaxy's config.json comes from a folder anyone can write; its reader must survive any
// bytes. "~" is replaced by the home given.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "settings/prefixes/launcher_configs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    const auto folder =
        settings::prefixes::MinigalaxyInstallDir(fuzz::Bytes(data, size), "/home/u");
    if (folder) fuzz::Check(*folder != "~" && !folder->starts_with("~/"));
    return 0;
}
