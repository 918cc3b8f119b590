// Where Windows keeps the per-user copy of a file that a virtualized program writes, and whether
// it would make one for this user.
#include <windows.h>
//
#include <knownfolders.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "settings/store/profile_files.h"

namespace settings::store {

namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path) {
        folder = path;
    }
    CoTaskMemFree(path);
    return folder;
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

// Whether `path` is `folder` or lies below it, compared as the file system compares names.
bool IsUnder(const std::wstring& path, std::wstring folder) {
    while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
    if (folder.empty() || path.size() <= folder.size()) return false;
    const int length = static_cast<int>(folder.size());
    return IsSeparator(path[folder.size()]) &&
           CompareStringOrdinal(path.c_str(), length, folder.c_str(), length, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::optional<std::string> PlatformVirtualStoreCopy(const std::string& path) {
    const std::wstring file = LongForm(FullPath(Widen(path)));
    if (file.size() < 3 || file[1] != L':' || !IsSeparator(file[2])) return std::nullopt;

    bool virtualized = false;
    const KNOWNFOLDERID* const roots[] = {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86,
                                          &FOLDERID_Windows, &FOLDERID_ProgramData};
    for (const KNOWNFOLDERID* id : roots) {
        const std::wstring folder = KnownFolder(*id);
        if (!folder.empty() && IsUnder(file, LongForm(folder))) {
            virtualized = true;
            break;
        }
    }
    if (!virtualized) return std::nullopt;

    std::wstring store = KnownFolder(FOLDERID_LocalAppData);
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
