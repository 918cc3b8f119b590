#include "settings/prefixes/prefix_list.h"

#include <algorithm>
#include <fstream>

#include "settings/wine/windows_path.h"

namespace settings::prefixes {

namespace fs = std::filesystem;

namespace {

bool HoldsRegistry(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(MachineRegistry(folder), ec);
}

}  // namespace

fs::path MachineRegistry(const fs::path& prefix) {
    return prefix / "system.reg";
}

bool ReadFileInto(const fs::path& path, std::uintmax_t maxSize, std::string& bytes,
                  std::chrono::steady_clock::time_point deadline) {
    // A huge file on a slow disk takes seconds: the deadline is checked after each piece.
    constexpr std::size_t kPiece = 4U * 1024U * 1024U;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > maxSize) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    // Grown piece by piece: filling the whole buffer first would take time of its own.
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(size));
    while (bytes.size() < size) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        const std::size_t read = bytes.size();
        const std::size_t piece = std::min(kPiece, static_cast<std::size_t>(size) - read);
        bytes.resize(read + piece);
        in.read(bytes.data() + read, static_cast<std::streamsize>(piece));
        const auto got = static_cast<std::size_t>(in.gcount());
        // The file may have been cut short in between; keep what was read.
        if (got < piece) {
            bytes.resize(read + got);
            break;
        }
    }
    return true;
}

std::optional<fs::path> AbsoluteFolder(const std::optional<std::string>& value) {
    if (!value || value->empty()) return std::nullopt;
    fs::path path = wine::PathFromUtf8(*value);
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

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

std::vector<fs::path> ConfigFiles(const fs::path& folder, std::string_view extension) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string name = wine::Utf8FromPath(it->path().filename());
        if (name.size() > extension.size() && name.ends_with(extension)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool PrefixList::Add(const fs::path& folder, const PrefixOrigin& origin) {
    if (!HoldsRegistry(folder)) return false;
    std::error_code ec;
    fs::path identity = fs::weakly_canonical(folder, ec);
    if (ec) identity = folder.lexically_normal();
    if (m_seen.insert(identity).second) {
        m_found.push_back({folder, origin});
        m_notesBefore.push_back(m_notes.size());
    }
    return true;
}

bool PrefixList::AddWithPfx(const fs::path& folder, const PrefixOrigin& origin) {
    const bool plain = Add(folder, origin);
    return Add(folder / "pfx", origin) || plain;
}

bool PrefixList::AddNamed(const FolderToTry& named) {
    const bool added =
        named.withPfx ? AddWithPfx(named.folder, named.origin) : Add(named.folder, named.origin);
    if (!added) Note(named.origin.launcher, named.folder, locate::PassedOver::kNotThere);
    return added;
}

void PrefixList::AddText(const std::string& text, bool withPfx, const PrefixOrigin& origin,
                         std::string_view flatpakApp) {
    const auto folder = AbsoluteFolder(text);
    if (!folder) {
        Note(origin.launcher, origin.file, locate::PassedOver::kUnreadable);
        return;
    }
    const FolderToTry named{*folder, withPfx, origin};
    AddNamed(named);
    if (const auto inside = FlatpakPlace(*folder, flatpakApp)) {
        m_flatpakLater.push_back({*inside, withPfx, origin});
    }
}

std::optional<fs::path> PrefixList::FlatpakPlace(const fs::path& folder,
                                                 std::string_view app) const {
    std::error_code ec;
    if (app.empty() || fs::exists(folder, ec)) return std::nullopt;
    const fs::path relative = folder.lexically_normal().lexically_relative(m_home);
    if (relative.empty() || *relative.begin() == "..") return std::nullopt;
    return m_home / ".var/app" / std::string(app) / relative;
}

void PrefixList::AddListed(const fs::path& parent, const fs::path& below,
                           const PrefixOrigin& origin) {
    std::error_code ec;
    if (!fs::is_directory(parent, ec)) {
        Note(origin.launcher, parent, locate::PassedOver::kNotThere);
        return;
    }
    for (const fs::path& folder : Subfolders(parent, below)) Add(folder, origin);
}

void PrefixList::Note(const std::string& group, const fs::path& path, locate::PassedOver why) {
    m_notes.push_back({group, wine::Utf8FromPath(path), why});
}

bool ReadLauncherFile(PrefixList& list, const std::string& launcher, const fs::path& file,
                      std::string& text) {
    if (ReadFileInto(file, kMaxLauncherConfigSize, text)) return true;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(file, ec))) {
        list.Note(launcher, file, locate::PassedOver::kUnreadable);
    }
    return false;
}

}  // namespace settings::prefixes
