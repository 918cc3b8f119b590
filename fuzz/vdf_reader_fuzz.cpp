// Steam's libraryfolders.vdf and launchers' JSON and YAML come from folders anyone can write;
// their readers must survive any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/wine/launcher_configs.h"
#include "settings/wine/vdf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    using namespace settings::wine;

    if (const auto nodes = ParseVdf(bytes)) {
        for (const VdfNode& node : *nodes) static_cast<void>(node.Find("path"));
    }
    static_cast<void>(SteamLibraryFolders(bytes));
    static_cast<void>(HeroicWinePrefixes(bytes));
    static_cast<void>(LutrisGamePrefix(bytes, "/home/u"));
    return 0;
}
