#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "settings/file_store.h"

namespace settings {
namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return m_handle; }
    bool Close() {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

private:
    HANDLE m_handle;
};

bool Fail(DWORD code, int& error) {
    error = static_cast<int>(code);
    SetLastError(code);
    return false;
}

std::size_t LastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t sep = LastSeparator(path);
    if (sep == std::string::npos) return ".";
    return path.substr(0, sep == 0 ? 1 : sep);
}

std::string NameOf(const std::string& path) {
    const std::size_t sep = LastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

// The file a symbolic link or junction finally names. A dangling link cannot be followed and
// fails with the system's code.
bool ResolveLink(const std::string& path, std::string& resolved, int& error) {
    Handle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return Fail(GetLastError(), error);
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD n =
            GetFinalPathNameByHandleA(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return Fail(GetLastError(), error);
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(n + 1);
    }
    resolved = buffer;
    return true;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, bool& exists, int& error) {
    bytes.clear();
    exists = false;
    error = 0;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Fail(ERROR_ACCESS_DENIED, error);
    }
    Handle file(CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            SetLastError(code);
            return true;
        }
        return Fail(code, error);
    }
    exists = true;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
        if (static_cast<unsigned long long>(size.QuadPart) > kMaxFileBytes) {
            return Fail(ERROR_FILE_TOO_LARGE, error);
        }
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
            const DWORD code = GetLastError();
            bytes.clear();
            return Fail(code, error);
        }
        if (n == 0) break;
        bytes.append(buffer, n);
        if (bytes.size() > kMaxFileBytes) {  // grew while we read it
            bytes.clear();
            return Fail(ERROR_FILE_TOO_LARGE, error);
        }
    }
    return true;
}

bool ReplaceWholeFile(const std::string& path, std::string_view bytes, int& error) {
    error = 0;
    if (path.empty()) return Fail(ERROR_PATH_NOT_FOUND, error);
    std::string target = path;
    DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        // Not there: created below. A missing folder makes creating the temporary file fail.
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) return Fail(code, error);
    } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if (!ResolveLink(path, target, error)) return false;
        attributes = GetFileAttributesA(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return Fail(GetLastError(), error);
    }
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (existed && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return Fail(ERROR_ACCESS_DENIED, error);
    }
    // The new file carries the original's visible attributes (hidden, system, archive).
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD newAttributes =
        existed && (attributes & kept) != 0 ? (attributes & kept) : FILE_ATTRIBUTE_NORMAL;

    static std::atomic<unsigned> counter{0};
    const std::string stem = DirectoryOf(target) + "\\." + NameOf(target) + ".tmp" +
                             std::to_string(GetCurrentProcessId());
    std::string tempPath;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        tempPath = stem + "-" + std::to_string(counter.fetch_add(1));
        created = CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              newAttributes, nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (created == INVALID_HANDLE_VALUE) return Fail(GetLastError(), error);
    Handle temp(created);
    const auto abandon = [&](DWORD code) {
        if (temp.get() != INVALID_HANDLE_VALUE) temp.Close();
        DeleteFileA(tempPath.c_str());
        return Fail(code, error);
    };

    if (!WriteAll(temp.get(), bytes)) return abandon(GetLastError());
    if (!FlushFileBuffers(temp.get())) return abandon(GetLastError());
    if (!temp.Close()) return abandon(GetLastError());
    if (!MoveFileExA(tempPath.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return abandon(GetLastError());
    }
    SetLastError(ERROR_SUCCESS);
    return true;
}

bool CreateFolders(const std::string& folder, int& error) {
    error = 0;
    if (folder.empty()) return Fail(ERROR_PATH_NOT_FOUND, error);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || Fail(ERROR_ALREADY_EXISTS, error);
    }
    // The parent first; a drive root or a share ("C:", "\\server") has none to create.
    const std::size_t sep = LastSeparator(folder);
    if (sep != std::string::npos && sep > 0 && folder[sep - 1] != ':' && folder[sep - 1] != '\\' &&
        folder[sep - 1] != '/') {
        if (!CreateFolders(folder.substr(0, sep), error)) return false;
    }
    if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
        return true;
    }
    return Fail(GetLastError(), error);
}

bool IsAccessDenied(int error) {
    return error == static_cast<int>(ERROR_ACCESS_DENIED);
}

int LastErrorCode() {
    return static_cast<int>(GetLastError());
}

void SetLastErrorCode(int code) {
    SetLastError(static_cast<DWORD>(code));
}

}  // namespace settings
