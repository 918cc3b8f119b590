#pragma once
// Turns a Windows path stored in a Wine prefix's registry into the host path Wine would open.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings::wine {

// A Windows path reduced to its drive and its components.
struct WindowsPath {
    char drive = 'c';                     // lower case
    std::vector<std::string> components;  // no ".", "..", or empty names
};

// Accepts absolute drive paths only: "C:\Games\Product II". Surrounding quotes are removed, '/'
// counts as '\', a leading "\\?\" is dropped, "." and ".." are folded (".." stops at the root),
// and trailing separators, spaces and dots are stripped as Windows strips them.
// nullopt for UNC paths ("\\server\share"), drive-relative paths ("C:Games"), paths without a
// drive and empty text: Wine has no host mapping for those that does not depend on the state of
// the running process.
std::optional<WindowsPath> ParseWindowsPath(std::string_view text);

// The host folder of a drive: <prefix>/dosdevices/<letter>: followed as a symlink (a relative
// target is relative to dosdevices/). Entries ending in "::" are raw devices and never used.
// When dosdevices/c: is missing but <prefix>/drive_c exists, that is C:. nullopt when the
// letter has no mapping.
std::optional<std::filesystem::path> DriveRoot(const std::filesystem::path& prefix, char drive);

// Appends the components to `base` one at a time as Wine looks them up: the exact name when it
// exists, else the first entry in directory order whose name matches case-insensitively. From
// the first component that does not exist on, names are kept as written.
std::filesystem::path ResolveComponents(std::filesystem::path base,
                                        const std::vector<std::string>& components);

// The host path of a Windows path inside `prefix`; nullopt when it cannot be mapped (see
// ParseWindowsPath and DriveRoot). The folder need not exist.
std::optional<std::filesystem::path> ToHostPath(const std::filesystem::path& prefix,
                                                std::string_view windowsPath);

// Paths and UTF-8 text, the same on every platform (std::string paths would use the ANSI code
// page on Windows).
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace settings::wine
