// Wine registry files arrive from prefixes anyone can write; the reader must survive any bytes.
// Checked: the header-only read of "#arch" agrees with the whole file's, and a read that keeps
// one key finds in it what the whole file holds (one input in four: it parses the file again).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "settings/locate/game_folder.h"
#include "settings/prefixes/prefix_search.h"
#include "settings/wine/registry_file.h"
#include "settings/wine/windows_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    const std::string_view bytes = fuzz::Bytes(data, size);
    using namespace settings::wine;
    using fuzz::Check;
    using settings::prefixes::ReadMachineString;

    const std::optional<RegistryFile> file = RegistryFile::Parse(bytes);
    Check(ReadRegistryArch(bytes) == (file ? file->GetArch() : Arch::Unknown));
    if (file) {
        const std::string_view key = settings::locate::kGameRegistryKey;
        const std::optional<std::string> whole =
            file->FindString(key, settings::locate::kGameRegistryValue);
        static_cast<void>(file->FindString("Software\\Test", ""));
        if (fuzz::Pick(bytes) % 4 == 0) {
            const std::string_view only[] = {key};
            const std::optional<RegistryFile> kept = RegistryFile::Parse(bytes, only);
            Check(kept && kept->KeyCount() <= 1 &&
                  kept->FindString(key, settings::locate::kGameRegistryValue) == whole);
        }
    }
    if (const auto path = ReadMachineString(bytes, settings::locate::kGameRegistryKey,
                                            settings::locate::kGameRegistryValue)) {
        static_cast<void>(ParseWindowsPath(*path));
    }
    // The same bytes as a stored folder: the path text goes through the same normalisation.
    static_cast<void>(ParseWindowsPath(bytes.substr(0, 4096)));
    return 0;
}
