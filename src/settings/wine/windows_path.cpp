#include "settings/wine/windows_path.h"

#include <system_error>

#include "settings/wine/unicode_text.h"

namespace settings::wine {

namespace fs = std::filesystem;

std::filesystem::path PathFromUtf8(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::optional<WindowsPath> ParseWindowsPath(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    std::string path(text);
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    constexpr std::string_view kVerbatim = "\\\\?\\";
    if (std::string_view(path).starts_with(kVerbatim)) path.erase(0, kVerbatim.size());

    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (path.size() < 3 || !isLetter(path[0]) || path[1] != ':' || path[2] != '\\') {
        return std::nullopt;
    }
    WindowsPath result;
    result.drive = static_cast<char>(path[0] | 0x20);

    std::string_view rest = std::string_view(path).substr(3);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\\');
        const std::string_view part = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!result.components.empty()) result.components.pop_back();
            continue;
        }
        result.components.emplace_back(part);
    }
    // "C:\Games\Product II. " names "C:\Games\Product II".
    while (!result.components.empty()) {
        std::string& last = result.components.back();
        const std::size_t keep = last.find_last_not_of(" .");
        if (keep != std::string::npos) {
            last.erase(keep + 1);
            break;
        }
        result.components.pop_back();
    }
    return result;
}

namespace {

// `folder` + separator + `name`, where `name` is one file name. Unlike operator/, a name such as
// "d:x" never replaces the folder (on Windows it would count as a drive).
fs::path JoinName(const fs::path& folder, const fs::path& name) {
    fs::path joined = folder / fs::path();
    joined += name;
    return joined;
}

}  // namespace

std::optional<std::filesystem::path> DriveRoot(const std::filesystem::path& prefix, char drive) {
    const fs::path dosdevices = prefix / "dosdevices";
    const fs::path link = JoinName(dosdevices, std::string(1, drive) + ":");
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(link, ec);
    if (!ec && fs::is_symlink(status)) {
        fs::path target = fs::read_symlink(link, ec);
        if (ec || target.empty()) return std::nullopt;
        if (target.is_absolute()) return target.lexically_normal();
        target = dosdevices / target;
        // "../drive_c" may be folded lexically only while dosdevices/ is a real folder.
        if (fs::is_symlink(fs::symlink_status(dosdevices, ec))) {
            fs::path canonical = fs::weakly_canonical(target, ec);
            if (ec) return std::nullopt;
            return canonical;
        }
        return target.lexically_normal();
    }
    if (!ec && fs::exists(status)) return link;  // a plain folder in place of the link
    if (drive == 'c' && fs::is_directory(prefix / "drive_c", ec)) return prefix / "drive_c";
    return std::nullopt;
}

namespace {

std::optional<fs::path> FindEntry(const fs::path& folder, const std::string& name) {
    const fs::path exact = PathFromUtf8(name);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(JoinName(folder, exact), ec))) return exact;
    fs::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    const std::string wanted = FoldCase(name);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return std::nullopt;
        fs::path entry = it->path().filename();
        if (FoldCase(Utf8FromPath(entry)) == wanted) return entry;
    }
    return std::nullopt;
}

}  // namespace

std::filesystem::path ResolveComponents(std::filesystem::path base,
                                        const std::vector<std::string>& components) {
    bool onDisk = true;
    for (const std::string& component : components) {
        if (onDisk) {
            if (const auto entry = FindEntry(base, component)) {
                base = JoinName(base, *entry);
                continue;
            }
            onDisk = false;
        }
        base = JoinName(base, PathFromUtf8(component));
    }
    return base;
}

std::optional<std::filesystem::path> ToHostPath(const std::filesystem::path& prefix,
                                                std::string_view windowsPath) {
    const auto parsed = ParseWindowsPath(windowsPath);
    if (!parsed) return std::nullopt;
    const auto root = DriveRoot(prefix, parsed->drive);
    if (!root) return std::nullopt;
    return ResolveComponents(*root, parsed->components);
}

}  // namespace settings::wine
