#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "posix_io.h"

namespace settings::store {

using namespace posix;

namespace {

// A backup is trusted only when it is a regular file of one link that one of the players who may
// write the file made: we, root, the file's owner, or a member of a group that may write it.
// Anything else at its name (a planted link, another user's file) is never read or removed.
bool TrustedBackup(const struct stat& backup, const struct stat* file) {
    if (!S_ISREG(backup.st_mode) || backup.st_nlink != 1) return false;
    if (backup.st_uid == ::geteuid() || backup.st_uid == 0) return true;
    return file != nullptr && (backup.st_uid == file->st_uid ||
                               (backup.st_gid == file->st_gid && (file->st_mode & S_IWGRP) != 0));
}

// Opens the file a path names for reading; the second instance's save renames a new file over
// the path, so one found replaced after the wait is opened again.
int OpenForReading(const std::string& path, struct stat& st, int& error) {
    for (int attempt = 0;; ++attempt) {
        int fd;
        do {
            // Non-blocking, so that a pipe cannot hang the open; plain files ignore the flag.
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            error = errno;
            return -1;
        }
        if (::fstat(fd, &st) != 0) {
            error = errno;
            ::close(fd);
            return -1;
        }
        if (!S_ISREG(st.st_mode)) return fd;
        // A save in progress holds it exclusively: its result is what is read. One that takes
        // longer than a save can is not waited for.
        int code = 0;
        if (WaitForLock(fd, F_RDLCK, code) != Locked::kYes || attempt == 9) return fd;
        struct stat named {};
        if (::stat(path.c_str(), &named) != 0 ||
            (named.st_dev == st.st_dev && named.st_ino == st.st_ino)) {
            return fd;
        }
        ::close(fd);
    }
}

}  // namespace

namespace posix {

BackupLook LookAtBackup(const std::string& backupPath, const struct stat* file,
                        std::string_view fileBytes) {
    BackupLook look;
    const int fd = ::open(backupPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return look;  // none, or gone since: the file is whole
        struct stat st {};
        if (::lstat(backupPath.c_str(), &st) != 0) {
            look.finding = errno == ENOENT ? BackupFinding::kNone : BackupFinding::kUnreadable;
        } else {
            look.finding =
                TrustedBackup(st, file) ? BackupFinding::kUnreadable : BackupFinding::kForeign;
        }
        return look;
    }
    Fd backup(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        look.finding = BackupFinding::kUnreadable;
        return look;
    }
    if (!TrustedBackup(st, file)) {
        look.finding = BackupFinding::kForeign;
        return look;
    }
    if (!ReadAllAt(fd, look.bytes, 2 * kMaxFileBytes)) {
        look.finding = BackupFinding::kUnreadable;
        return look;
    }
    const BackupContent content = ReadBackupRecord(look.bytes);
    if (!content.recorded) {
        look.finding = BackupFinding::kUnrecorded;
    } else if (file != nullptr && JudgeAgainstBackup(fileBytes, content) == FileJudgement::kTorn) {
        look.finding = BackupFinding::kGuarding;
    } else {
        look.finding = BackupFinding::kStale;
    }
    return look;
}

}  // namespace posix

bool ReadWholeFile(const std::string& path, std::string& bytes, bool& exists, int& error) {
    bytes.clear();
    exists = false;
    error = 0;
    struct stat st {};
    int code = 0;
    const int fd = OpenForReading(path, st, code);
    if (fd < 0) {
        if (code == ENOENT) return true;
        return Fail(code, error);
    }
    Fd file(fd);
    if (S_ISDIR(st.st_mode)) return Fail(EISDIR, error);
    if (!S_ISREG(st.st_mode)) return Fail(EINVAL, error);
    exists = true;
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) return Fail(EFBIG, error);
    if (!ReadAllAt(fd, bytes)) return Fail(errno, error);

    std::string target;
    int ignored = 0;
    if (!ResolveLinks(path, target, ignored)) return true;
    BackupLook look = LookAtBackup(BackupPathOf(target), &st, bytes);
    if (look.finding == BackupFinding::kGuarding || look.finding == BackupFinding::kUnrecorded) {
        bytes.assign(ReadBackupRecord(look.bytes).oldBytes);
    }
    return true;
}

BackupFinding FindBackup(const std::string& path) {
    std::string target;
    int ignored = 0;
    if (path.empty() || !ResolveLinks(path, target, ignored)) return BackupFinding::kNone;
    struct stat st {};
    std::string bytes;
    const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return LookAtBackup(BackupPathOf(target), nullptr, {}).finding;
    Fd file(fd);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !ReadAllAt(fd, bytes)) {
        return LookAtBackup(BackupPathOf(target), nullptr, {}).finding;
    }
    return LookAtBackup(BackupPathOf(target), &st, bytes).finding;
}

}  // namespace settings::store
