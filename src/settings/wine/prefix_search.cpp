#include "settings/wine/prefix_search.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <system_error>

#include "settings/wine/unicode_text.h"
#include "settings/wine/windows_path.h"

namespace settings::wine {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSoftware = "Software\\";
constexpr std::string_view kWow6432Node = "Wow6432Node\\";
// Registries of real prefixes are a few megabytes; anything far beyond that is not one.
constexpr std::uintmax_t kMaxRegistrySize = 256U * 1024U * 1024U;

std::optional<std::string> ReadRegistryFile(const fs::path& path) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxRegistrySize) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    // The file may have been rewritten in between; keep what was read.
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::optional<fs::path> AbsoluteFolder(const std::optional<std::string>& value) {
    if (!value || value->empty()) return std::nullopt;
    fs::path path = PathFromUtf8(*value);
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

bool HoldsRegistry(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / "system.reg", ec);
}

// Subfolders of `parent` in name order, each joined with `below` (may be empty).
std::vector<fs::path> Subfolders(const fs::path& parent, const fs::path& below) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::directory_iterator it(parent, ec);
    if (ec) return found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        if (it->is_directory(ec)) found.push_back(below.empty() ? it->path() : it->path() / below);
    }
    std::sort(found.begin(), found.end());
    return found;
}

class PrefixList {
public:
    void Add(const fs::path& folder) {
        if (!HoldsRegistry(folder)) return;
        std::error_code ec;
        fs::path identity = fs::weakly_canonical(folder, ec);
        if (ec) identity = folder.lexically_normal();
        if (!m_seen.insert(identity).second) return;
        m_folders.push_back(folder);
    }
    void AddAll(const std::vector<fs::path>& folders) {
        for (const fs::path& folder : folders) Add(folder);
    }
    std::vector<fs::path> Take() { return std::move(m_folders); }

private:
    std::vector<fs::path> m_folders;
    std::set<fs::path> m_seen;
};

}  // namespace

std::vector<std::string> MachineKeyViews(std::string_view keyPath, Arch arch) {
    std::vector<std::string> views;
    const bool underSoftware = keyPath.size() > kSoftware.size() &&
                               EqualsFolded(keyPath.substr(0, kSoftware.size()), kSoftware);
    const std::string_view below = underSoftware ? keyPath.substr(kSoftware.size()) : "";
    const bool alreadyRedirected = underSoftware && below.size() >= kWow6432Node.size() &&
                                   EqualsFolded(below.substr(0, kWow6432Node.size()), kWow6432Node);
    if (underSoftware && !alreadyRedirected && arch != Arch::Win32) {
        views.push_back(std::string(keyPath.substr(0, kSoftware.size())) +
                        std::string(kWow6432Node) + std::string(below));
    }
    views.emplace_back(keyPath);
    return views;
}

std::optional<std::string> ReadMachineString(std::string_view systemReg, std::string_view keyPath,
                                             std::string_view valueName) {
    // The architecture is known only after the header, so both views are kept while parsing.
    const std::vector<std::string> all = MachineKeyViews(keyPath, Arch::Win64);
    const std::vector<std::string_view> keys(all.begin(), all.end());
    const auto file = RegistryFile::Parse(systemReg, keys);
    if (!file) return std::nullopt;
    for (const std::string& view : MachineKeyViews(keyPath, file->GetArch())) {
        if (auto text = file->FindString(view, valueName)) return text;
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> ListPrefixes(const Environment& env) {
    PrefixList list;
    const std::optional<fs::path> home = AbsoluteFolder(env.home);
    if (const auto prefix = AbsoluteFolder(env.winePrefix)) {
        list.Add(*prefix);
    } else if (home) {
        list.Add(*home / ".wine");
    }
    if (!home) return list.Take();

    const fs::path steamRoots[] = {
        *home / ".local/share/Steam",
        *home / ".steam/steam",
        *home / ".var/app/com.valvesoftware.Steam/.local/share/Steam",
    };
    for (const fs::path& root : steamRoots) {
        list.AddAll(Subfolders(root / "steamapps/compatdata", "pfx"));
    }

    list.AddAll(Subfolders(*home / "Games", {}));

    const std::optional<fs::path> dataHome = AbsoluteFolder(env.xdgDataHome);
    if (dataHome) list.AddAll(Subfolders(*dataHome / "bottles/bottles", {}));
    list.AddAll(Subfolders(*home / ".local/share/bottles/bottles", {}));
    list.AddAll(Subfolders(*home / ".var/app/com.usebottles.bottles/data/bottles/bottles", {}));

    list.AddAll(Subfolders(*home / ".PlayOnLinux/wineprefix", {}));

    if (dataHome) list.AddAll(Subfolders(*dataHome / "wineprefixes", {}));
    list.AddAll(Subfolders(*home / ".local/share/wineprefixes", {}));
    return list.Take();
}

std::optional<GameFolderMatch> FindGameFolder(const Environment& env, std::string_view keyPath,
                                              std::string_view valueName) {
    std::optional<GameFolderMatch> firstHeld;
    for (const fs::path& prefix : ListPrefixes(env)) {
        const auto bytes = ReadRegistryFile(prefix / "system.reg");
        if (!bytes) continue;
        auto value = ReadMachineString(*bytes, keyPath, valueName);
        if (!value) continue;
        auto folder = ToHostPath(prefix, *value);
        if (!folder) continue;
        GameFolderMatch match{prefix, std::move(*value), std::move(*folder), false};
        std::error_code ec;
        match.exists = fs::is_directory(match.folder, ec);
        if (match.exists) return match;
        if (!firstHeld) firstHeld = std::move(match);
    }
    return firstHeld;
}

}  // namespace settings::wine
