#include "settings/prefixes/prefix_registry.h"

#include <cstdint>
#include <system_error>

#include "settings/wine/unicode_text.h"
#include "settings/wine/windows_path.h"

namespace settings::prefixes {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSoftware = "Software\\";
constexpr std::string_view kWow6432Node = "Wow6432Node\\";
// Registries of real prefixes are a few megabytes; anything far beyond that is not one.
constexpr std::uintmax_t kMaxRegistrySize = 256U * 1024U * 1024U;

}  // namespace

std::vector<std::string> MachineKeyViews(std::string_view keyPath, wine::Arch arch) {
    std::vector<std::string> views;
    const bool underSoftware = keyPath.size() > kSoftware.size() &&
                               wine::EqualsFolded(keyPath.substr(0, kSoftware.size()), kSoftware);
    const std::string_view below = underSoftware ? keyPath.substr(kSoftware.size()) : "";
    const bool alreadyRedirected =
        underSoftware && below.size() >= kWow6432Node.size() &&
        wine::EqualsFolded(below.substr(0, kWow6432Node.size()), kWow6432Node);
    if (underSoftware && !alreadyRedirected && arch != wine::Arch::Win32) {
        views.push_back(std::string(keyPath.substr(0, kSoftware.size())) +
                        std::string(kWow6432Node) + std::string(below));
    }
    views.emplace_back(keyPath);
    return views;
}

std::optional<std::string> ReadMachineString(std::string_view systemReg, std::string_view keyPath,
                                             std::string_view valueName, std::string* view) {
    // "#arch" comes before the first section: only the views that count are read.
    const std::vector<std::string> views =
        MachineKeyViews(keyPath, wine::ReadRegistryArch(systemReg));
    const std::vector<std::string_view> keys(views.begin(), views.end());
    const auto file = wine::RegistryFile::ScanKeys(systemReg, keys);
    if (!file) return std::nullopt;
    for (const std::string& found : views) {
        if (auto text = file->FindString(found, valueName)) {
            if (view != nullptr) *view = found;
            return text;
        }
    }
    return std::nullopt;
}

std::optional<GameFolderMatch> MatchInPrefix(const PrefixCandidate& candidate,
                                             std::string_view keyPath, std::string_view valueName,
                                             std::string& buffer, locate::PassedOver& why,
                                             std::chrono::steady_clock::time_point deadline) {
    const fs::path& prefix = candidate.prefix;
    why = locate::PassedOver::kNotThere;
    if (!ReadFileInto(MachineRegistry(prefix), kMaxRegistrySize, buffer, deadline)) {
        return std::nullopt;
    }
    std::string view;
    auto value = ReadMachineString(buffer, keyPath, valueName, &view);
    why = locate::PassedOver::kNoGameKey;
    if (!value) return std::nullopt;
    why = locate::PassedOver::kGameFolderMissing;
    auto folder = wine::ToHostPath(prefix, *value);
    if (!folder) return std::nullopt;
    GameFolderMatch match{prefix, std::move(*value), std::move(*folder),
                          false,  candidate.origin,  std::move(view)};
    std::error_code ec;
    match.exists = fs::is_directory(match.folder, ec);
    return match;
}

}  // namespace settings::prefixes
