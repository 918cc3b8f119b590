#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "settings/file_store.h"

namespace settings {
namespace {

// Closes a descriptor on every path out; errors of close on a read-only file mean nothing.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return m_fd; }
    // Closes now and reports the error: on some file systems a failed write shows up only here.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int m_fd;
};

bool Fail(int code, int& error) {
    error = code;
    errno = code;
    return false;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Follows a chain of symbolic links to the path of the file that really holds the data. The
// final target need not exist: writing through a dangling link creates it.
bool ResolveLinks(const std::string& path, std::string& resolved, int& error) {
    resolved = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(resolved.c_str(), &st) != 0) {
            if (errno == ENOENT) return true;
            return Fail(errno, error);
        }
        if (!S_ISLNK(st.st_mode)) return true;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(resolved.c_str(), target.data(), target.size());
        if (n < 0) return Fail(errno, error);
        if (static_cast<std::size_t>(n) >= target.size()) return Fail(ENAMETOOLONG, error);
        target.resize(static_cast<std::size_t>(n));
        if (!target.empty() && target.front() != '/') {
            target = DirectoryOf(resolved) + "/" + target;
        }
        resolved = target;
    }
    return Fail(ELOOP, error);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// An open file description's own lock (not the process's, which closing any other descriptor
// of the file would drop), over the whole file.
bool TryLock(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
#ifdef F_OFD_SETLK
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
#else
    return ::fcntl(fd, F_SETLK, &lock) == 0;
#endif
}

// Waits a while for another instance's save of the same file to end; a save takes
// milliseconds, so one still holding the lock after seconds has hung and is not waited for.
bool WaitForLock(int fd, int& code) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!TryLock(fd)) {
        if ((errno != EACCES && errno != EAGAIN && errno != EINTR) ||
            std::chrono::steady_clock::now() > deadline) {
            code = errno == EINTR ? EAGAIN : errno;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A fresh file beside the target, created with the mode a new file would get (the umask
// applies), never an existing one, and locked at once so that no other instance's sweep takes
// it for a crashed save's leftover.
int CreateTemp(const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string stem = DirectoryOf(target) + "/" + StagingPrefix(NameOf(target));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%x-%x", static_cast<unsigned>(::getpid()),
                      counter.fetch_add(1));
        tempPath = stem + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            TryLock(fd);
            return fd;
        }
        if (errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

void SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // Makes the rename itself durable. It is done and cannot be undone; a failure here only
    // weakens durability.
    if (::fsync(fd) != 0) {
        // Nothing to undo.
    }
    ::close(fd);
}

// Removes the temporary files of earlier saves of this file that a crash or power loss left
// behind: those no running instance holds locked. The backup is not one of them.
void SweepTemporaries(const std::string& target) {
    const std::string dir = DirectoryOf(target);
    const std::string prefix = StagingPrefix(NameOf(target));
    const std::string backup = BackupName(NameOf(target));
    DIR* listing = ::opendir(dir.c_str());
    if (listing == nullptr) return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0 || name == backup) continue;
        const std::string path = dir + "/" + name;
        const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && TryLock(fd)) stale.push_back(path);
        ::close(fd);
    }
    ::closedir(listing);
    for (const std::string& path : stale) ::unlink(path.c_str());
}

bool WriteAllAt(int fd, std::string_view bytes) {
    off_t offset = 0;
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

bool ReadAllAt(int fd, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
}

// The names of a file's extended attributes; none where the file system has none.
bool AttributeNames(int fd, std::vector<std::string>& names) {
    names.clear();
    std::string list;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) return errno == ENOTSUP;
        list.resize(static_cast<std::size_t>(size));
        const ssize_t n = ::flistxattr(fd, list.data(), list.size());
        if (n >= 0) {
            list.resize(static_cast<std::size_t>(n));
            break;
        }
        if (errno != ERANGE) return false;
    }
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = list.find('\0', at);
        names.push_back(list.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return true;
}

// Gives `to` exactly the extended attributes of `from` (the access ACL among them); false when
// one cannot be read or set.
bool CopyAttributes(int from, int to) {
    std::vector<std::string> names, extra;
    if (!AttributeNames(from, names) || !AttributeNames(to, extra)) return false;
    for (const std::string& name : extra) {  // a folder's default ACL, inherited by the new file
        bool kept = false;
        for (const std::string& wanted : names) kept = kept || wanted == name;
        if (!kept && ::fremovexattr(to, name.c_str()) != 0) return false;
    }
    std::string value;
    for (const std::string& name : names) {
        const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
        if (size < 0) return false;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t n = ::fgetxattr(from, name.c_str(), value.data(), value.size());
        if (n < 0) return false;
        if (::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(n), 0) != 0) {
            return false;
        }
    }
    return true;
}

// A file mounted over another (a bind mount of the file itself) cannot be renamed over.
bool IsMountPoint(const std::string& target, const struct stat& st) {
#ifdef STATX_ATTR_MOUNT_ROOT
    struct statx sx {};
    if (::statx(AT_FDCWD, target.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS, &sx) == 0 &&
        (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
        return (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    }
#endif
    struct stat folder {};
    return ::stat(DirectoryOf(target).c_str(), &folder) == 0 && folder.st_dev != st.st_dev;
}

bool SizeAllowed(std::size_t size) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           size <= limit.rlim_cur;
}

// Termination requests that arrived during a save, raised again once it is over.
volatile sig_atomic_t g_pendingSignal = 0;
int g_saveDepth = 0;
constexpr int kDeferredSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction g_previous[3];
struct sigaction g_previousFileSize;

extern "C" void DeferSignal(int sig) {
    g_pendingSignal = sig;
}

}  // namespace

namespace {

bool ReadFile(const std::string& path, std::string& bytes, bool& exists, int& error) {
    bytes.clear();
    exists = false;
    error = 0;
    int fd;
    do {
        // Non-blocking, so that a pipe cannot hang the open; plain files ignore the flag.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        return Fail(errno, error);
    }
    Fd file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return Fail(errno, error);
    if (S_ISDIR(st.st_mode)) return Fail(EISDIR, error);
    if (!S_ISREG(st.st_mode)) return Fail(EINVAL, error);
    exists = true;
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) return Fail(EFBIG, error);
    if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));

    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            bytes.clear();
            return Fail(code, error);
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > kMaxFileBytes) {  // grew while we read it
            bytes.clear();
            return Fail(EFBIG, error);
        }
    }
    return true;
}

}  // namespace

// A backup beside the file means a rewrite in place may not have finished: the backup holds
// the file's last whole content, and is what the file is read as until a save removes it.
bool ReadWholeFile(const std::string& path, std::string& bytes, bool& exists, int& error) {
    std::string target;
    int ignored = 0;
    if (!path.empty() && ResolveLinks(path, target, ignored)) {
        const std::string backup = DirectoryOf(target) + "/" + BackupName(NameOf(target));
        struct stat st {};
        if (::lstat(backup.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            return ReadFile(backup, bytes, exists, error);
        }
    }
    return ReadFile(path, bytes, exists, error);
}

struct StagedFile::State {
    // First in, last out: signals stay deferred until everything below is cleaned up.
    SaveInProgress saving;
    std::string target;  // the file that holds the data, links followed
    bool existed = false;
    bool inPlace = false;
    int fileFd = -1;  // the target, locked, while the stage lives
    int tempFd = -1;  // the new bytes (replace), locked
    std::string tempPath;
    std::string backupPath;
    bool staleBackup = false;  // left by a crash: the file may be torn until it is rewritten
    bool ourBackup = false;
    std::string oldBytes;  // in place: what the file held, to put back when the rewrite fails
    std::string newBytes;  // in place: written at Commit

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() {
        if (tempFd >= 0) ::close(tempFd);
        if (!tempPath.empty()) ::unlink(tempPath.c_str());
        if (ourBackup) {
            ::unlink(backupPath.c_str());
            SyncDirectory(DirectoryOf(target));
        }
        if (fileFd >= 0) ::close(fileFd);
    }

    bool Fail(int code, int& error) {
        if (tempFd >= 0) ::close(tempFd);
        tempFd = -1;
        if (!tempPath.empty()) ::unlink(tempPath.c_str());
        tempPath.clear();
        return settings::Fail(code, error);
    }

    // The target opened for writing and locked, still the file the path names.
    bool OpenAndLock(int& error);
    bool StageReplacement(std::string_view bytes, const struct stat& original, int& error);
    bool StageInPlace(std::string_view bytes, int& error);
    bool CommitInPlace(int& error);
};

bool StagedFile::State::OpenAndLock(int& error) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return settings::Fail(errno, error);
        fileFd = fd;
        int code = 0;
        if (!WaitForLock(fd, code)) return settings::Fail(code, error);
        // Another instance may have renamed a new file over it while we waited.
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(target.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            return true;
        }
        ::close(fd);
        fileFd = -1;
    }
    return settings::Fail(EAGAIN, error);
}

bool StagedFile::State::StageReplacement(std::string_view bytes, const struct stat& original,
                                         int& error) {
    const int fd = CreateTemp(target, tempPath);
    if (fd < 0) {
        tempPath.clear();
        return Fail(errno, error);
    }
    tempFd = fd;
    if (existed) {
        // Owner first: changing it can clear set-id bits, which the mode below restores. Where
        // the owner cannot be given back (we are not root), the file is rewritten in place.
        if (original.st_uid != ::geteuid() || original.st_gid != ::getegid()) {
            const uid_t owner =
                original.st_uid == ::geteuid() ? static_cast<uid_t>(-1) : original.st_uid;
            if (StoreFaultAt(StoreStep::kOwnership, target) != 0 ||
                ::fchown(fd, owner, original.st_gid) != 0) {
                inPlace = true;
                return true;
            }
        } else if (StoreFaultAt(StoreStep::kOwnership, target) != 0) {
            inPlace = true;
            return true;
        }
        if (::fchmod(fd, original.st_mode & 07777) != 0) return Fail(errno, error);
        // After the mode: the access ACL carries the group bits as its mask.
        if (StoreFaultAt(StoreStep::kAttributes, target) != 0 || !CopyAttributes(fileFd, fd)) {
            inPlace = true;
            return true;
        }
    }
    if (const int code = StoreFaultAt(StoreStep::kWrite, target)) return Fail(code, error);
    if (!WriteAll(fd, bytes)) return Fail(errno, error);
    if (const int code = StoreFaultAt(StoreStep::kFlush, target)) return Fail(code, error);
    if (::fsync(fd) != 0) return Fail(errno, error);
    return true;
}

// The old bytes go to the backup first, whole (a temporary file renamed), so that the backup
// name only ever holds a complete copy; a backup a crash left is that copy already.
bool StagedFile::State::StageInPlace(std::string_view bytes, int& error) {
    if (tempFd >= 0) ::close(tempFd);
    tempFd = -1;
    if (!tempPath.empty()) ::unlink(tempPath.c_str());
    tempPath.clear();

    if (staleBackup) {
        bool exists = false;
        if (!ReadWholeFile(backupPath, oldBytes, exists, error)) return false;
    } else {
        if (!ReadAllAt(fileFd, oldBytes)) return settings::Fail(errno, error);
        if (!SizeAllowed(oldBytes.size())) return settings::Fail(EFBIG, error);
        const int fd = CreateTemp(target, tempPath);
        if (fd < 0) {
            tempPath.clear();
            return Fail(errno, error);
        }
        tempFd = fd;
        struct stat st {};
        if (::fstat(fileFd, &st) == 0) {
            // Readable by whoever may read the file, since Load may read it instead.
            if (::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
                // Not a member of the file's group: the backup keeps ours.
            }
            if (::fchmod(fd, st.st_mode & 0666) != 0) return Fail(errno, error);
        }
        if (const int code = StoreFaultAt(StoreStep::kWrite, target)) return Fail(code, error);
        if (!WriteAll(fd, oldBytes)) return Fail(errno, error);
        if (const int code = StoreFaultAt(StoreStep::kFlush, target)) return Fail(code, error);
        if (::fsync(fd) != 0) return Fail(errno, error);
        if (::rename(tempPath.c_str(), backupPath.c_str()) != 0) return Fail(errno, error);
        ::close(tempFd);
        tempFd = -1;
        tempPath.clear();
        ourBackup = true;
        SyncDirectory(DirectoryOf(target));
    }
    // Room for the longer content now, where the file system can promise it, so the rewrite
    // does not run out of space half-way.
    if (bytes.size() > oldBytes.size() &&
        ::fallocate(fileFd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        return settings::Fail(errno, error);
    }
    newBytes.assign(bytes);
    return true;
}

bool StagedFile::State::CommitInPlace(int& error) {
    int code = StoreFaultAt(StoreStep::kRewrite, target);
    if (code == 0) {
        if (!WriteAllAt(fileFd, newBytes) ||
            ::ftruncate(fileFd, static_cast<off_t>(newBytes.size())) != 0 || ::fsync(fileFd) != 0) {
            code = errno;
        }
    }
    if (code != 0) {
        // Put the old bytes back; while that fails too the backup stays and Load reads it.
        if (WriteAllAt(fileFd, oldBytes) &&
            ::ftruncate(fileFd, static_cast<off_t>(oldBytes.size())) == 0 && ::fsync(fileFd) == 0) {
            ourBackup = true;
        } else {
            ourBackup = false;
        }
        return settings::Fail(code, error);
    }
    ourBackup = true;  // removed with the stage: the file is whole
    return true;
}

StagedFile::StagedFile() = default;
StagedFile::~StagedFile() = default;
StagedFile::StagedFile(StagedFile&&) noexcept = default;
StagedFile& StagedFile::operator=(StagedFile&&) noexcept = default;

void StagedFile::Abort() {
    m_state.reset();
}

bool StagedFile::InPlace() const {
    return m_state && m_state->inPlace;
}

bool StagedFile::Prepare(const std::string& path, std::string_view bytes, int& error) {
    Abort();
    error = 0;
    if (path.empty()) return Fail(ENOENT, error);
    auto state = std::make_unique<State>();
    State& s = *state;
    if (!ResolveLinks(path, s.target, error)) return false;
    if (!SizeAllowed(bytes.size())) return Fail(EFBIG, error);

    struct stat original {};
    s.existed = true;
    if (::stat(s.target.c_str(), &original) != 0) {
        if (errno != ENOENT) return Fail(errno, error);
        s.existed = false;
    }
    if (s.existed) {
        if (S_ISDIR(original.st_mode)) return Fail(EISDIR, error);
        // A device or pipe would be replaced by a plain file, not written to.
        if (!S_ISREG(original.st_mode)) return Fail(EINVAL, error);
        // A file without any write permission is read-only, as Windows treats its read-only
        // attribute: even an administrator's write is refused. Otherwise the caller must be
        // allowed to write it; renaming over it would only need the directory's permission.
        if ((original.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return Fail(EACCES, error);
        if (::faccessat(AT_FDCWD, s.target.c_str(), W_OK, AT_EACCESS) != 0) {
            return Fail(errno, error);
        }
        if (!s.OpenAndLock(error)) return false;
        if (::fstat(s.fileFd, &original) != 0) return Fail(errno, error);
    }
    SweepTemporaries(s.target);
    s.backupPath = DirectoryOf(s.target) + "/" + BackupName(NameOf(s.target));
    struct stat backup {};
    s.staleBackup = ::lstat(s.backupPath.c_str(), &backup) == 0;

    s.inPlace = s.existed && (original.st_nlink > 1 || IsMountPoint(s.target, original));
    if (!s.inPlace && !s.StageReplacement(bytes, original, error)) return false;
    if (s.inPlace && !s.StageInPlace(bytes, error)) return false;
    m_state = std::move(state);
    return true;
}

bool StagedFile::Commit(int& error) {
    error = 0;
    if (!m_state) return Fail(EINVAL, error);
    State& s = *m_state;
    if (s.inPlace) {
        const bool ok = s.CommitInPlace(error);
        m_state.reset();
        return ok || Fail(error, error);
    }
    if (const int code = StoreFaultAt(StoreStep::kRename, s.target)) return s.Fail(code, error);
    if (::close(s.tempFd) != 0 && errno != EINTR) {
        s.tempFd = -1;
        return s.Fail(errno, error);
    }
    s.tempFd = -1;
    if (::rename(s.tempPath.c_str(), s.target.c_str()) != 0) return s.Fail(errno, error);
    s.tempPath.clear();
    SyncDirectory(DirectoryOf(s.target));
    // The file is whole again: a crashed rewrite's backup has served its purpose.
    s.ourBackup = s.staleBackup;
    m_state.reset();
    return true;
}

bool RemoveFile(const std::string& path, int& error) {
    error = 0;
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
    return Fail(errno, error);
}

SaveInProgress::SaveInProgress() {
    if (g_saveDepth++ > 0) return;
    g_pendingSignal = 0;
    struct sigaction defer {};
    defer.sa_handler = DeferSignal;
    defer.sa_flags = SA_RESTART;
    sigemptyset(&defer.sa_mask);
    for (const int sig : kDeferredSignals) sigaddset(&defer.sa_mask, sig);
    for (std::size_t i = 0; i < std::size(kDeferredSignals); ++i) {
        ::sigaction(kDeferredSignals[i], &defer, &g_previous[i]);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, &g_previousFileSize);
}

SaveInProgress::~SaveInProgress() {
    if (--g_saveDepth > 0) return;
    ::sigaction(SIGXFSZ, &g_previousFileSize, nullptr);
    for (std::size_t i = 0; i < std::size(kDeferredSignals); ++i) {
        ::sigaction(kDeferredSignals[i], &g_previous[i], nullptr);
    }
    // Now as the program would have taken it: its default ends the program.
    const int pending = g_pendingSignal;
    g_pendingSignal = 0;
    if (pending != 0) ::raise(pending);
}

bool CreateFolders(const std::string& folder, int& error) {
    error = 0;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec) return true;
    return Fail(ec.value(), error);
}

bool IsAccessDenied(int error) {
    return error == EACCES || error == EPERM;
}

int LastErrorCode() {
    return errno;
}

void SetLastErrorCode(int code) {
    errno = code;
}

}  // namespace settings
