// The game folder on Windows: the value its installer wrote under HKEY_LOCAL_MACHINE.
#include <windows.h>

#include <string>
#include <vector>

#include "settings/game_folder.h"
#include "settings/lookup_account.h"

namespace settings {

namespace {

// Reads the value whole, whatever its length: its size is asked first, and a value that grows
// in between is asked for again.
LONG QueryWholeValue(HKEY key, const char* name, std::vector<BYTE>& data) {
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    for (int attempt = 0; attempt < 16 && result == ERROR_SUCCESS; ++attempt) {
        data.assign(static_cast<std::size_t>(size) + 1, 0);  // room for a missing terminator
        size = static_cast<DWORD>(data.size());
        result = RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size);
        if (result == ERROR_SUCCESS) {
            data.resize(size);
            return result;
        }
        if (result == ERROR_MORE_DATA) result = ERROR_SUCCESS;  // ask again with the new size
    }
    return result == ERROR_SUCCESS ? ERROR_MORE_DATA : result;
}

// One view of the registry: `view` is KEY_WOW64_32KEY or 0 for the process's own.
LONG ReadFolder(REGSAM view, std::string& folder) {
    const std::string keyName(kGameRegistryKey);
    const std::string valueName(kGameRegistryValue);
    HKEY key = nullptr;
    LONG result =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_QUERY_VALUE | view, &key);
    if (result != ERROR_SUCCESS) return result;
    std::vector<BYTE> data;
    result = QueryWholeValue(key, valueName.c_str(), data);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return result;
    // The text ends at the first NUL among the bytes read; the type is not checked and
    // environment references are not expanded.
    std::string text(data.begin(), data.end());
    const std::size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    // An empty folder would put the files in the root of the current drive.
    if (text.empty()) return ERROR_FILE_NOT_FOUND;
    folder = std::move(text);
    return ERROR_SUCCESS;
}

class RegistryLocator final : public GameFolderLocator {
    static std::string Found(const std::string& folder, const std::string& key) {
        LookupAccount account;
        account.found = true;
        account.gameFolder = folder;
        account.how.push_back("Registry: " + key);
        SetLastLookupAccount(std::move(account));
        return folder;
    }

public:
    std::optional<std::string> Find() override {
        // A 32-bit installer writes to the 32-bit view; in a 64-bit process that is not the
        // view opened by default. The process's own view comes second.
        std::string folder;
        const std::string key = "HKEY_LOCAL_MACHINE\\" + std::string(kGameRegistryKey);
        const LONG wow32 = ReadFolder(KEY_WOW64_32KEY, folder);
        if (wow32 == ERROR_SUCCESS) return Found(folder, key + ", value Path (32-bit view)");
        const LONG native = ReadFolder(0, folder);
        if (native == ERROR_SUCCESS) return Found(folder, key + ", value Path (native view)");
        LookupAccount account;
        account.looked.push_back({"32-bit view", key, PassedOver::kNoGameKey});
        account.looked.push_back({"native view", key, PassedOver::kNoGameKey});
        account.advice =
            "Reinstall the game: its installer records the game folder in the registry.";
        SetLastLookupAccount(std::move(account));
        // "Not found" in one view says less than, say, "access denied" in the other.
        const LONG reported = native == ERROR_FILE_NOT_FOUND ? wow32 : native;
        SetLastError(static_cast<DWORD>(reported));
        return std::nullopt;
    }
};

}  // namespace

std::unique_ptr<GameFolderLocator> MakePlatformLocator() {
    return std::make_unique<RegistryLocator>();
}

}  // namespace settings
