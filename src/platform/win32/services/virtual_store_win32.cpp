// Where Windows keeps the per-user copy of a file that a virtualized program writes, and whether
// it would make one for this user.
#include <windows.h>
//
#include <shlobj.h>

#include <optional>
#include <string>

#include "settings/store/profile_files.h"

namespace settings::store {

namespace {

// The folders of SHGetFolderPath, which every Windows since XP has.
std::wstring SystemFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

// The 64-bit system's own Program Files. In this 32-bit program the folder calls name Program
// Files (x86) instead; the registry's 64-bit view still has it. A 32-bit system has one view,
// and its one Program Files.
std::wstring NativeProgramFiles() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return {};
    }
    wchar_t path[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH * sizeof(wchar_t);  // the last one stays a terminator
    DWORD type = 0;
    const LONG result = RegQueryValueExW(key, L"ProgramFilesDir", nullptr, &type,
                                         reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ ? std::wstring(path) : std::wstring();
}

// Virtualization came with UAC in Windows Vista; XP writes where it is told or refuses.
bool SystemVirtualizes() {
    OSVERSIONINFOEXW vista{};
    vista.dwOSVersionInfoSize = sizeof vista;
    vista.dwMajorVersion = 6;
    return VerifyVersionInfoW(&vista, VER_MAJORVERSION,
                              VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL)) != FALSE;
}

// Paths in this program are in the ANSI code page, as the profile functions take them.
std::wstring Widen(const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
    return wide;
}

// std::nullopt when the path has characters the ANSI code page cannot hold: such a path could
// not be opened by name, so there is no copy to use.
std::optional<std::string> Narrow(const std::wstring& wide) {
    const int size = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                      nullptr, &lossy);
    if (n <= 0 || lossy) return std::nullopt;
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, text.data(), n, nullptr,
                        nullptr);
    return text;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n) return path;
    full.resize(written);
    return full;
}

// The long form of a path (C:\PROGRA~2\Game -> C:\Program Files (x86)\Game). Names that do not
// exist yet (a file not written so far) have no short form: the longest existing part is
// expanded and the rest kept as written.
std::wstring LongForm(const std::wstring& path) {
    std::wstring head = path;
    std::wstring tail;
    for (;;) {
        const DWORD n = GetLongPathNameW(head.c_str(), nullptr, 0);
        if (n != 0) {
            std::wstring longHead(n, L'\0');
            const DWORD written = GetLongPathNameW(head.c_str(), longHead.data(), n);
            if (written != 0 && written < n) {
                longHead.resize(written);
                return longHead + tail;
            }
        }
        const std::size_t sep = head.find_last_of(L"\\/");
        if (sep == std::wstring::npos || sep == 0 || head[sep - 1] == L':') return path;
        tail.insert(0, head, sep, std::wstring::npos);
        head.resize(sep);
    }
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Upper case by the invariant locale's table, as the file system folds names: the same in every
// user's locale (no Turkish dotted I).
std::wstring Folded(const std::wstring& text) {
    std::wstring folded(text.size(), L'\0');
    const int size = static_cast<int>(text.size());
    if (size == 0 || LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), size,
                                  folded.data(), size) != size) {
        return text;
    }
    return folded;
}

// Whether `path` is `folder` or lies below it, compared as the file system compares names.
bool IsUnder(const std::wstring& path, std::wstring folder) {
    while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
    if (folder.empty() || path.size() <= folder.size()) return false;
    return IsSeparator(path[folder.size()]) &&
           Folded(path.substr(0, folder.size())) == Folded(folder);
}

}  // namespace

std::optional<std::string> PlatformVirtualStoreCopy(const std::string& path) {
    if (!SystemVirtualizes()) return std::nullopt;
    const std::wstring file = LongForm(FullPath(Widen(path)));
    if (file.size() < 3 || file[1] != L':' || !IsSeparator(file[2])) return std::nullopt;

    bool virtualized = false;
    const std::wstring roots[] = {NativeProgramFiles(), SystemFolder(CSIDL_PROGRAM_FILES),
                                  SystemFolder(CSIDL_PROGRAM_FILESX86), SystemFolder(CSIDL_WINDOWS),
                                  SystemFolder(CSIDL_COMMON_APPDATA)};
    for (const std::wstring& folder : roots) {
        if (!folder.empty() && IsUnder(file, LongForm(folder))) {
            virtualized = true;
            break;
        }
    }
    if (!virtualized) return std::nullopt;

    std::wstring store = SystemFolder(CSIDL_LOCAL_APPDATA);
    if (store.empty()) return std::nullopt;
    while (IsSeparator(store.back())) store.pop_back();
    store.append(L"\\VirtualStore").append(file, 2, std::wstring::npos);
    return Narrow(store);
}

// A system that cannot answer (Wine) counts as allowing it, as Windows itself does by default.
bool PlatformVirtualizationAllowed() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
    DWORD allowed = 1;
    DWORD size = 0;
    const BOOL answered =
        GetTokenInformation(token, TokenVirtualizationAllowed, &allowed, sizeof allowed, &size);
    CloseHandle(token);
    return !answered || allowed != 0;
}

}  // namespace settings::store
