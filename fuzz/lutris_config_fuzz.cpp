// A Lutris game's .yml comes from folders anyone can write; its reader must survive any bytes
// (the YAML library reports errors, and nesting too deep to follow, by throwing). A prefix
// found is never empty, and "~" is replaced by the home given.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "settings/prefixes/launcher_configs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    const auto prefix = settings::prefixes::LutrisGamePrefix(fuzz::Bytes(data, size), "/home/u");
    if (prefix) fuzz::Check(!prefix->empty() && *prefix != "~" && !prefix->starts_with("~/"));
    return 0;
}
