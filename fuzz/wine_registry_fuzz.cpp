// Wine registry files arrive from prefixes anyone can write; the readers must survive any bytes
// and keep the properties of wine_registry_properties.h. Reading one key parses the file again,
// so that check runs on one input in four.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "wine_registry_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    const std::string_view bytes = fuzz::Bytes(data, size);
    fuzz::CheckRegistryReaders(bytes, fuzz::Pick(bytes) % 4 == 0, fuzz::Check);
    return 0;
}
