// Fuzzes the profile engine with the properties of ini_profile_properties.h. Each engine call
// walks the whole file (a UTF-16 one is decoded first), so the checks that repeat one with other
// names run on one input in eight.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "ini_profile_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    const std::string_view input = fuzz::Bytes(data, size);
    const std::uint32_t pick = fuzz::Pick(input);
    fuzz::CheckProfileEngine(fuzz::SplitProfileInput(input), std::size_t{(pick >> 3) % 3},
                             pick % 8 == 0, fuzz::Check);
    return 0;
}
