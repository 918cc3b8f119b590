// PortProton.conf comes from a folder anyone can write; its reader must survive any bytes.
// Checked: the folder is the first line without its surrounding blanks, never empty, and it
// converts to a path and back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "settings/prefixes/launcher_configs.h"
#include "settings/wine/windows_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    const std::string_view bytes = fuzz::Bytes(data, size);
    using namespace settings::prefixes;
    using namespace settings::wine;
    using fuzz::Check;

    const std::string_view firstLine = bytes.substr(0, bytes.find('\n'));
    const auto folder = PortProtonFolder(bytes);
    if (!folder) {
        Check(firstLine.find_first_not_of(" \t\r") == std::string_view::npos);
        return 0;
    }
    constexpr std::string_view kBlanks = " \t\r";
    Check(!folder->empty() && kBlanks.find(folder->front()) == std::string_view::npos &&
          kBlanks.find(folder->back()) == std::string_view::npos);
    Check(firstLine.find(*folder) != std::string_view::npos);
    Check(Utf8FromPath(PathFromUtf8(*folder)) == *folder);
    return 0;
}
