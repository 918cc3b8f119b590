#include "posix_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <mutex>
#include <thread>
#include <vector>

namespace settings::store::posix {

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

bool TryLock(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
#ifdef F_OFD_SETLK
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
#else
    return ::fcntl(fd, F_SETLK, &lock) == 0;
#endif
}

namespace {

constexpr auto kLockWait = std::chrono::seconds(5);

// The type of a lock someone else holds that conflicts with `type`; F_UNLCK for none.
short HeldLock(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
#ifdef F_OFD_GETLK
    if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) return F_UNLCK;
#else
    if (::fcntl(fd, F_GETLK, &lock) != 0) return F_UNLCK;
#endif
    return lock.l_type;
}

bool NoLocksHere(int code) {
    return code == ENOLCK || code == EOPNOTSUPP || code == ENOSYS;
}

}  // namespace

Locked WaitForLock(int fd, short type, int& code) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (!TryLock(fd, type)) {
        code = errno;
        if (NoLocksHere(code)) return Locked::kNoLocks;
        if (code != EACCES && code != EAGAIN && code != EINTR) return Locked::kFailed;
        if (std::chrono::steady_clock::now() > deadline) {
            code = EAGAIN;
            return type == F_WRLCK && HeldLock(fd, F_WRLCK) == F_RDLCK ? Locked::kReaders
                                                                       : Locked::kTimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return Locked::kYes;
}

bool WriteLocked(int fd) {
    return HeldLock(fd, F_RDLCK) == F_WRLCK;
}

namespace {

// The folders this process holds a turn on, so that two stages of one save share it (a second
// flock of the same folder would wait for the first). A child of a fork holds none of them.
struct HeldFolder {
    dev_t dev;
    ino_t ino;
    pid_t pid;
    int fd;
    int users;
};
std::mutex g_foldersMutex;
std::vector<HeldFolder> g_folders;

}  // namespace

bool FolderTurn::Take(const std::string& dir, int& code) {
    if (m_held) return true;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        code = errno;
        // A folder still to be made holds no file to take turns on yet.
        return code == ENOENT;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        code = errno;
        ::close(fd);
        return false;
    }
    const std::lock_guard<std::mutex> guard(g_foldersMutex);
    for (HeldFolder& held : g_folders) {
        if (held.dev == st.st_dev && held.ino == st.st_ino && held.pid == ::getpid()) {
            ++held.users;
            ::close(fd);
            m_dev = st.st_dev;
            m_ino = st.st_ino;
            m_held = true;
            return true;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // EBADF: NFS emulates flock by a write lock, which a folder cannot be opened for.
        if (NoLocksHere(errno) || errno == EBADF || errno == EINVAL) {
            ::close(fd);
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            code = errno;
            ::close(fd);
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            code = EAGAIN;
            ::close(fd);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    g_folders.push_back({st.st_dev, st.st_ino, ::getpid(), fd, 1});
    m_dev = st.st_dev;
    m_ino = st.st_ino;
    m_held = true;
    return true;
}

FolderTurn::~FolderTurn() {
    if (!m_held) return;
    const std::lock_guard<std::mutex> guard(g_foldersMutex);
    for (auto held = g_folders.begin(); held != g_folders.end(); ++held) {
        if (held->dev == m_dev && held->ino == m_ino && held->pid == ::getpid()) {
            if (--held->users == 0) {
                ::close(held->fd);
                g_folders.erase(held);
            }
            return;
        }
    }
}

void SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The rename is done and cannot be undone: a failed flush only weakens its durability.
    static_cast<void>(::fsync(fd));
    ::close(fd);
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

bool ReadAllAt(int fd, std::string& bytes, unsigned long long limit) {
    bytes.clear();
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            bytes.clear();
            return false;
        }
        if (n == 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(n));
        offset += n;
        if (bytes.size() > limit) {  // grew while we read it
            bytes.clear();
            errno = EFBIG;
            return false;
        }
    }
}

std::string BackupPathOf(const std::string& target) {
    return DirectoryOf(target) + "/" + BackupName(NameOf(target));
}

}  // namespace settings::store::posix
