#include "settings/locate/folder_paths.h"

#include <filesystem>
#include <system_error>

#include "base/ascii_case.h"

namespace settings::locate {

namespace {

bool EndsWithSeparator(std::string_view path) {
#ifdef _WIN32
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
#else
    return !path.empty() && path.back() == '/';
#endif
}

#ifndef _WIN32
// The spelling of `name` in `folder` as Wine would find it: the exact entry when there is one,
// else the first entry in directory order that differs only in ASCII case.
std::string SpellingOnDisk(std::string_view folder, std::string_view name) {
    namespace fs = std::filesystem;
    const std::string wanted(name);
    if (folder.empty() || wanted.empty()) return wanted;
    const fs::path base{std::string(folder)};
    std::error_code ec;
    if (fs::exists(fs::symlink_status(base / wanted, ec))) return wanted;
    fs::directory_iterator it(base, ec);
    if (ec) return wanted;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::string entry = it->path().filename().string();
        if (base::EqualsNoCase(entry, wanted)) return entry;
    }
    return wanted;
}
#endif

}  // namespace

std::string AppendPathComponent(std::string_view folder, std::string_view name, bool isFolder) {
    std::string path(folder);
    if (!path.empty() && !EndsWithSeparator(path)) path.push_back(kPathSeparator);
    if (name.empty()) return path;
#ifdef _WIN32
    path.append(name);
#else
    path.append(SpellingOnDisk(folder, name));
#endif
    if (isFolder) path.push_back(kPathSeparator);
    return path;
}

}  // namespace settings::locate
