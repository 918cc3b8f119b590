#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>
#include <system_error>

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

// A fresh file beside the target, created with the mode a new file would get (the umask
// applies), never an existing one.
int CreateTemp(const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string dir = DirectoryOf(target);
    const std::size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = dir + "/." + name + ".tmp" + std::to_string(::getpid()) + "-" +
                   std::to_string(counter.fetch_add(1));
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
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

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, bool& exists, int& error) {
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

bool ReplaceWholeFile(const std::string& path, std::string_view bytes, int& error) {
    error = 0;
    if (path.empty()) return Fail(ENOENT, error);
    std::string target;
    if (!ResolveLinks(path, target, error)) return false;

    struct stat original {};
    bool existed = true;
    if (::stat(target.c_str(), &original) != 0) {
        if (errno != ENOENT) return Fail(errno, error);
        existed = false;
    }
    if (existed) {
        if (S_ISDIR(original.st_mode)) return Fail(EISDIR, error);
        // A device or pipe would be replaced by a plain file, not written to.
        if (!S_ISREG(original.st_mode)) return Fail(EINVAL, error);
        // A file without any write permission is read-only, as Windows treats its read-only
        // attribute: even an administrator's write is refused. Otherwise the caller must be
        // allowed to write it; renaming over it would only need the directory's permission.
        if ((original.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return Fail(EACCES, error);
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            return Fail(errno, error);
        }
    }

    std::string tempPath;
    const int fd = CreateTemp(target, tempPath);
    if (fd < 0) return Fail(errno, error);
    Fd temp(fd);
    const auto abandon = [&](int code) {
        if (temp.get() >= 0) temp.Close();
        ::unlink(tempPath.c_str());
        return Fail(code, error);
    };

    if (existed) {
        // Owner first: changing it can clear set-id bits, which the mode below restores. Only a
        // privileged caller can give the file away, so failing to is no error.
        if ((original.st_uid != ::geteuid() || original.st_gid != ::getegid()) &&
            ::fchown(fd, original.st_uid, original.st_gid) != 0) {
            // Not permitted: the new file stays ours.
        }
        if (::fchmod(fd, original.st_mode & 07777) != 0) return abandon(errno);
    }
    if (!WriteAll(fd, bytes)) return abandon(errno);
    if (::fsync(fd) != 0) return abandon(errno);
    if (!temp.Close()) return abandon(errno);
    if (::rename(tempPath.c_str(), target.c_str()) != 0) return abandon(errno);
    SyncDirectory(DirectoryOf(target));
    return true;
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
