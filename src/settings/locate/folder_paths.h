#pragma once
// Paths in the game folder as this platform spells them, and what tells one folder from another.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace settings::locate {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Appends one name to a folder that ends in the separator; a folder name gets a separator after
// it. On POSIX an existing entry whose name matches case-insensitively is used, as Wine would
// find it; a name with no such entry is appended as written.
std::string AppendPathComponent(std::string_view folder, std::string_view name, bool isFolder);

// What tells one file or folder from every other on this machine, whatever the path that
// reaches it: device and inode on POSIX, volume serial number and file index on Windows.
struct DiskIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const DiskIdentity&) const = default;
};
// The identity of an existing folder (`folder` set) or regular file; nullopt when there is none,
// with the platform's last error set to say why.
std::optional<DiskIdentity> IdentifyOnDisk(std::string_view path, bool folder);

}  // namespace settings::locate
