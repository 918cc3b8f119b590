#pragma once
// Reader for the text hives Wine keeps in a prefix (system.reg, user.reg, userdef.reg).
//
// Accepted input is what Wine itself would load: the first line must be exactly
// "WINE REGISTRY Version 2" (one trailing \r allowed; a byte-order mark fails the check), then
// options, sections and value lines. Section paths are relative to the file's root (HKLM for
// system.reg). Key and value names compare case-insensitively; a section that appears twice,
// in any case, is one key and its later values win. Lines that are not understood are skipped,
// as Wine skips them, so a damaged file yields whatever could be read from it.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/wine/registry_values.h"

namespace settings::wine {

// The "#arch=" option in the header: win32 prefixes have no Wow6432Node redirection.
enum class Arch { Unknown, Win32, Win64 };

class RegistryFile {
public:
    // nullopt when the text is not a registry file (header missing or wrong).
    static std::optional<RegistryFile> Parse(std::string_view bytes);
    // Keeps only the keys listed (paths as in FindValue); everything else is read and dropped.
    static std::optional<RegistryFile> Parse(std::string_view bytes,
                                             std::span<const std::string_view> onlyKeys);

    // As Parse(bytes, keys), quicker on big files: the sections of other keys are stepped over
    // unread (a line starting with "[" begins a section unless the line before it ends in a
    // backslash, as a hex list continued on the next line does), and reading stops once every
    // key has been read, so a key written twice keeps its first values.
    static std::optional<RegistryFile> ScanKeys(std::string_view bytes,
                                                std::span<const std::string_view> keys);

    Arch GetArch() const { return m_arch; }

    // `keyPath` uses single backslashes, relative to the file's root, without "HKEY_...":
    // "Software\Vendor\Product". An empty value name is the key's default value ("@").
    const RegistryValue* FindValue(std::string_view keyPath, std::string_view valueName) const;
    // Text of a REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ value (see StringFromValue).
    std::optional<std::string> FindString(std::string_view keyPath,
                                          std::string_view valueName) const;

private:
    struct Key {
        std::map<std::string, RegistryValue, std::less<>> values;  // by folded name
    };

    std::map<std::string, Key, std::less<>> m_keys;  // by folded path
    Arch m_arch = Arch::Unknown;

    friend class RegistryParser;
};

// The text of a string value in UTF-8: the UTF-16LE data up to the first NUL (so trailing NULs
// and the later strings of a REG_MULTI_SZ are dropped; an odd last byte is ignored). Environment
// references in REG_EXPAND_SZ are left as they are. nullopt for types that do not hold text.
std::optional<std::string> StringFromValue(const RegistryValue& value);

// The architecture a registry file declares; Unknown when it declares none or is not one.
Arch ReadRegistryArch(std::string_view fileBytes);

}  // namespace settings::wine
