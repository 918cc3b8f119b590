// Wine registry files arrive from prefixes anyone can write; the reader must survive any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/game_folder.h"
#include "settings/wine/prefix_search.h"
#include "settings/wine/registry_file.h"
#include "settings/wine/windows_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    using namespace settings::wine;

    if (const auto file = RegistryFile::Parse(bytes)) {
        static_cast<void>(file->GetArch());
        static_cast<void>(
            file->FindString(settings::kGameRegistryKey, settings::kGameRegistryValue));
        static_cast<void>(file->FindString("Software\\Test", ""));
    }
    static_cast<void>(ReadRegistryArch(bytes));
    if (const auto path =
            ReadMachineString(bytes, settings::kGameRegistryKey, settings::kGameRegistryValue)) {
        static_cast<void>(ParseWindowsPath(*path));
    }
    // The same bytes as a stored folder: the path text goes through the same normalisation.
    static_cast<void>(ParseWindowsPath(bytes.substr(0, 4096)));
    return 0;
}
