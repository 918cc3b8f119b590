// Bottles' data.yml and a moved bottle's placeholder.yml come from folders anyone can write;
// their reader must survive any bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "settings/prefixes/launcher_configs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    const std::string_view bytes = fuzz::Bytes(data, size);
    // Both files' keys; which one is asked for depends on the input, so each is parsed once.
    static const std::string kKeys[] = {"custom_bottles_path", "Path"};
    static_cast<void>(settings::prefixes::YamlTopLevelText(bytes, kKeys[fuzz::Pick(bytes) % 2]));
    return 0;
}
