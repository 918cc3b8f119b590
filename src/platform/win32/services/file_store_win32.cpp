#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "settings/store/file_store.h"

namespace settings::store {
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

using FinalPathNameFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);

// GetFinalPathNameByHandleA, from Windows Vista on.
FinalPathNameFn FinalPathName() {
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    const FARPROC proc =
        kernel32 != nullptr ? GetProcAddress(kernel32, "GetFinalPathNameByHandleA") : nullptr;
    // Through void(*)(), the generic function pointer type, to the real signature.
    return reinterpret_cast<FinalPathNameFn>(reinterpret_cast<void (*)()>(proc));
}

// The file a symbolic link or junction finally names. A dangling link cannot be followed and
// fails with the system's code. Windows XP cannot say, and has no symbolic links to files: the
// path is used as given.
bool ResolveLink(const std::string& path, std::string& resolved, int& error) {
    static const FinalPathNameFn finalPathName = FinalPathName();
    if (finalPathName == nullptr) {
        resolved = path;
        return true;
    }
    Handle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return Fail(GetLastError(), error);
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS, both 0: a drive-letter path.
        const DWORD n =
            finalPathName(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), 0);
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

// Two instances saving one file take turns: each holds a mutex named after the file's full path
// from reading the file to replacing it, so neither edits bytes the other is replacing. Windows
// has no lock that survives ReplaceFileA's swap of the file, so the lock is not on the file.
class SaveTurn {
public:
    SaveTurn() = default;
    ~SaveTurn() { Release(); }
    SaveTurn(const SaveTurn&) = delete;
    SaveTurn& operator=(const SaveTurn&) = delete;

    // Waits as long as a save may take; a save that holds it longer has hung.
    bool Take(const std::string& path, int& error) {
        char full[MAX_PATH * 2];
        const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
        std::string name = n > 0 && n < sizeof full ? std::string(full, n) : path;
        // One file, however it is spelled.
        std::replace(name.begin(), name.end(), '/', '\\');
        CharUpperBuffA(name.data(), static_cast<DWORD>(name.size()));
        std::uint32_t hash = 2166136261u;
        for (const char c : name) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
        char mutexName[64];
        std::snprintf(mutexName, sizeof mutexName, "Local\\TavrelCustomizerSave-%08x",
                      static_cast<unsigned>(hash));
        m_mutex = CreateMutexA(nullptr, FALSE, mutexName);
        if (m_mutex == nullptr) return Fail(GetLastError(), error);
        const DWORD waited = WaitForSingleObject(m_mutex, 5000);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            CloseHandle(m_mutex);
            m_mutex = nullptr;
            return Fail(waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError(), error);
        }
        return true;
    }
    void Release() {
        if (m_mutex == nullptr) return;
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
        m_mutex = nullptr;
    }

private:
    HANDLE m_mutex = nullptr;
};

}  // namespace

namespace {

bool ReadFileOrBackup(const std::string& path, std::string& bytes, bool& exists, int& error) {
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
            // A replacement cut off half-way leaves the old file under the backup name only.
            const std::string backup = DirectoryOf(path) + "\\" + BackupName(NameOf(path));
            if (code == ERROR_FILE_NOT_FOUND &&
                GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES) {
                return ReadFileOrBackup(backup, bytes, exists, error);
            }
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

}  // namespace

// A save in progress is waited for (a few seconds, then the file is read anyway), so that Load
// never reads what it is half-way through replacing.
bool ReadWholeFile(const std::string& path, std::string& bytes, bool& exists, int& error) {
    SaveTurn turn;
    int ignored = 0;
    turn.Take(path, ignored);
    return ReadFileOrBackup(path, bytes, exists, error);
}

// There is never a backup beside a whole file here: ReplaceFileA's backup exists only while the
// file is missing, and it is what Load then reads. Nothing is rewritten in place, so nothing is
// ever kept as found.
BackupReport FindBackup(const std::string&) {
    return {};
}

struct StagedFile::State {
    SaveTurn turn;  // first in, last out: other instances wait until the stage ends
    std::string target;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    bool existed = false;
    HANDLE temp = INVALID_HANDLE_VALUE;  // held until Commit, so no other instance removes it
    std::string tempPath;
    std::string backupPath;
    bool committed = false;
    std::string oldBytes;  // put back by Undo
    std::string newBytes;  // what Undo expects to find

    bool WriteTemp(std::string_view bytes, int& error);
    bool Replace(int& error);

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() { Drop(); }

    void Drop() {
        if (temp != INVALID_HANDLE_VALUE) CloseHandle(temp);
        temp = INVALID_HANDLE_VALUE;
        if (!tempPath.empty()) DeleteFileA(tempPath.c_str());
        tempPath.clear();
    }
    bool Fail(DWORD code, int& error) {
        Drop();
        return settings::store::Fail(code, error);
    }
};

namespace {

// Removes the temporary files of earlier saves of this file that a crash left behind. One that
// another instance still has open cannot be deleted and stays; the backup is not one of them.
void SweepTemporaries(const std::string& target) {
    const std::string dir = DirectoryOf(target);
    const std::string prefix = StagingPrefix(NameOf(target));
    const std::string backup = BackupName(NameOf(target));
    WIN32_FIND_DATAA found{};
    const HANDLE find = FindFirstFileA((dir + "\\" + prefix + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name != backup && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            DeleteFileA((dir + "\\" + name).c_str());
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

}  // namespace

StagedFile::StagedFile() = default;
StagedFile::~StagedFile() = default;
StagedFile::StagedFile(StagedFile&&) noexcept = default;
StagedFile& StagedFile::operator=(StagedFile&&) noexcept = default;

void StagedFile::Abort() {
    m_state.reset();
}

bool StagedFile::Open(const std::string& path, std::string& bytes, bool& exists, int& error) {
    Abort();
    error = 0;
    bytes.clear();
    exists = false;
    if (path.empty()) return Fail(ERROR_PATH_NOT_FOUND, error);
    auto state = std::make_unique<State>();
    State& s = *state;
    s.target = path;
    DWORD attributes = GetFileAttributesA(s.target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        // Not there: created below. A missing folder makes creating the temporary file fail.
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) return Fail(code, error);
    } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if (!ResolveLink(path, s.target, error)) return false;
        attributes = GetFileAttributesA(s.target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return Fail(GetLastError(), error);
    }
    if (!s.turn.Take(s.target, error)) return false;
    if (!ReadFileOrBackup(s.target, bytes, exists, error)) return false;
    s.attributes = attributes;
    s.oldBytes = bytes;
    m_state = std::move(state);
    return true;
}

bool StagedFile::Prepare(const std::string& path, std::string_view bytes, int& error) {
    std::string current;
    bool exists = false;
    return Open(path, current, exists, error) && Prepare(bytes, error);
}

// The new file carries the original's visible attributes (hidden, system, archive); the
// replacement call keeps them too, with the security descriptor and the streams.
bool StagedFile::State::WriteTemp(std::string_view bytes, int& error) {
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD newAttributes =
        existed && (attributes & kept) != 0 ? (attributes & kept) : FILE_ATTRIBUTE_NORMAL;
    static std::atomic<unsigned> counter{0};
    const std::string stem = DirectoryOf(target) + "\\" + StagingPrefix(NameOf(target));
    char pid[16];
    std::snprintf(pid, sizeof pid, "%lx-", static_cast<unsigned long>(GetCurrentProcessId()));
    for (int attempt = 0; attempt < 100 && temp == INVALID_HANDLE_VALUE; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%x", counter.fetch_add(1));
        tempPath = stem + pid + suffix;
        // Others may read it, not delete it: a sweep of another instance passes it over.
        temp = CreateFileA(tempPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           newAttributes, nullptr);
        if (temp == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (temp == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        tempPath.clear();
        return Fail(code, error);
    }
    if (!WriteAll(temp, bytes) || !FlushFileBuffers(temp)) return Fail(GetLastError(), error);
    return true;
}

bool StagedFile::Prepare(std::string_view bytes, int& error) {
    error = 0;
    if (!m_state || m_state->committed) return Fail(ERROR_INVALID_FUNCTION, error);
    State& s = *m_state;
    s.existed = s.attributes != INVALID_FILE_ATTRIBUTES;
    if (s.existed && (s.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        Abort();
        return Fail(ERROR_ACCESS_DENIED, error);
    }
    SweepTemporaries(s.target);
    s.backupPath = DirectoryOf(s.target) + "\\" + BackupName(NameOf(s.target));
    if (!s.WriteTemp(bytes, error)) {
        Abort();
        return Fail(static_cast<DWORD>(error), error);
    }
    s.newBytes.assign(bytes);
    return true;
}

// An existing file is replaced by the system's own call, which keeps its security descriptor,
// attributes and alternate streams; each of its partial failures is put right so that the
// original stays whole under its name and no temporary file is left.
bool StagedFile::State::Replace(int& error) {
    const HANDLE written = temp;
    temp = INVALID_HANDLE_VALUE;
    if (!CloseHandle(written)) return Fail(GetLastError(), error);
    if (!existed) {
        if (!MoveFileExA(tempPath.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return Fail(GetLastError(), error);
        }
        tempPath.clear();
        DeleteFileA(backupPath.c_str());  // a crashed replacement's, now superseded
        SetLastError(ERROR_SUCCESS);
        return true;
    }
    DeleteFileA(backupPath.c_str());
    if (!ReplaceFileA(target.c_str(), tempPath.c_str(), backupPath.c_str(),
                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const DWORD code = GetLastError();
        // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: the original has gone to the backup name.
        if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES &&
            GetFileAttributesA(backupPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
            MoveFileExA(backupPath.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
        }
        return Fail(code, error);
    }
    tempPath.clear();
    DeleteFileA(backupPath.c_str());
    SetLastError(ERROR_SUCCESS);
    return true;
}

// The stage lives on after its commit, holding the save's turn, until the whole save has ended.
bool StagedFile::Commit(int& error) {
    error = 0;
    if (!m_state || m_state->committed) return Fail(ERROR_INVALID_FUNCTION, error);
    State& s = *m_state;
    if (s.temp == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_FUNCTION, error);
    s.committed = s.Replace(error);
    return s.committed;
}

// Under the turn the stage still holds; a file that no longer holds what the commit wrote is
// another program's since, and is left alone.
bool StagedFile::Undo(int& error) {
    error = 0;
    if (!m_state || !m_state->committed) return true;
    State& s = *m_state;
    s.committed = false;
    std::string now;
    bool exists = false;
    int ignored = 0;
    if (!ReadFileOrBackup(s.target, now, exists, ignored) || !exists || now != s.newBytes) {
        return true;
    }
    if (!s.existed) {
        if (DeleteFileA(s.target.c_str())) return true;
        return Fail(GetLastError(), error);
    }
    return s.WriteTemp(s.oldBytes, error) && s.Replace(error);
}

SaveInProgress::SaveInProgress() = default;
SaveInProgress::~SaveInProgress() = default;

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

}  // namespace settings::store
