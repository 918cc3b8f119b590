// The game folder on Windows: the value its installer wrote under HKEY_LOCAL_MACHINE.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "settings/locate/folder_paths.h"
#include "settings/locate/game_folder.h"
#include "settings/locate/lookup_account.h"

namespace settings::locate {

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

// One view of the registry: KEY_WOW64_32KEY or KEY_WOW64_64KEY. A 32-bit Windows has one view,
// and reads it for either.
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
    static std::string Found(const std::string& folder, bool view32, LookupAccount* account) {
        if (account != nullptr) {
            *account = LookupAccount{};
            account->found = true;
            account->gameFolder = folder;
            account->how = How(view32);
        }
        return folder;
    }

    static FoundHow How(bool view32) {
        FoundHow how;
        how.through = FoundThrough::kRegistry;
        how.key = std::string(kGameRegistryKey);
        how.view32 = view32;
        return how;
    }

public:
    std::optional<std::string> Find(LookupAccount* account) override {
        // A 32-bit installer writes to the 32-bit view; the 64-bit system's own view comes
        // second.
        std::string folder;
        const LONG wow32 = ReadFolder(KEY_WOW64_32KEY, folder);
        if (wow32 == ERROR_SUCCESS) return Found(folder, true, account);
        const LONG native = ReadFolder(KEY_WOW64_64KEY, folder);
        if (native == ERROR_SUCCESS) return Found(folder, false, account);
        if (account != nullptr) {
            const std::string key = "HKEY_LOCAL_MACHINE\\" + std::string(kGameRegistryKey);
            *account = LookupAccount{};
            account->looked.push_back({"32-bit view", key, PassedOver::kNoGameKey});
            account->looked.push_back({"native view", key, PassedOver::kNoGameKey});
            account->advice = Advice::kReinstall;
        }
        // "Not found" in one view says less than, say, "access denied" in the other.
        const LONG reported = native == ERROR_FILE_NOT_FOUND ? wow32 : native;
        SetLastError(static_cast<DWORD>(reported));
        return std::nullopt;
    }

    // Both views, in Find's order; a view naming a missing folder is left out by the caller.
    FoundFolders FindAll(std::chrono::steady_clock::time_point deadline) override {
        static_cast<void>(deadline);  // two registry reads
        FoundFolders all;
        for (const bool view32 : {true, false}) {
            std::string folder;
            if (ReadFolder(view32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY, folder) != ERROR_SUCCESS) {
                continue;
            }
            all.found.push_back({folder, "Registry", How(view32)});
        }
        return all;
    }
};

}  // namespace

std::optional<DiskIdentity> IdentifyOnDisk(std::string_view path, bool folder) {
    // Opening for no access at all still gives the file's identity; a folder needs the backup
    // flag to be opened.
    const HANDLE file = CreateFileA(std::string(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = GetFileInformationByHandle(file, &info);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!known) {
        SetLastError(error);
        return std::nullopt;
    }
    const bool isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder != folder) {
        SetLastError(folder ? ERROR_DIRECTORY : ERROR_ACCESS_DENIED);
        return std::nullopt;
    }
    return DiskIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::unique_ptr<GameFolderLocator> MakePlatformLocator() {
    return std::make_unique<RegistryLocator>();
}

}  // namespace settings::locate
