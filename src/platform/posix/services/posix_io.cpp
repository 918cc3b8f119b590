#include "posix_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

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

Locked WaitForLock(int fd, short type, int& code) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!TryLock(fd, type)) {
        code = errno;
        if (code == ENOLCK || code == EOPNOTSUPP || code == ENOSYS) return Locked::kNoLocks;
        if (code != EACCES && code != EAGAIN && code != EINTR) return Locked::kFailed;
        if (std::chrono::steady_clock::now() > deadline) {
            code = EAGAIN;
            return Locked::kTimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return Locked::kYes;
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
