#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "posix_io.h"

namespace settings::store {

using namespace posix;

namespace {

bool Trusted(const struct stat& backup, const std::string& target, const struct stat* file) {
    BackupMaker maker;
    maker.regularFile = S_ISREG(backup.st_mode);
    maker.links = backup.st_nlink;
    maker.owner = backup.st_uid;
    maker.us = ::geteuid();
    if (file != nullptr) {
        maker.fileExists = true;
        maker.fileOwner = file->st_uid;
        maker.fileGroup = file->st_gid;
        maker.groupMayWrite = (file->st_mode & S_IWGRP) != 0;
    }
    // Asked only where it decides: for a backup of our own that nothing else vouches for.
    maker.weMayWrite = backup.st_uid == maker.us && maker.us != 0 &&
                       ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
    return TrustBackup(maker, IsRealMember);
}

// A first size for the reentrant user and group lookups; ERANGE asks for more.
std::vector<char> LookupBuffer(int which) {
    const long size = ::sysconf(which);
    return std::vector<char>(size > 0 ? static_cast<std::size_t>(size) : 16384);
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

bool IsRealMember(unsigned user, unsigned group) {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer = LookupBuffer(_SC_GETPW_R_SIZE_MAX);
    while (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr) return false;
    if (entry.pw_gid == group) return true;
    const std::string name = entry.pw_name;
    ::group members{};
    ::group* listed = nullptr;
    buffer = LookupBuffer(_SC_GETGR_R_SIZE_MAX);
    while (::getgrgid_r(group, &members, buffer.data(), buffer.size(), &listed) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (listed == nullptr) return false;
    for (char** member = members.gr_mem; member != nullptr && *member != nullptr; ++member) {
        if (name == *member) return true;
    }
    return false;
}

int RemovalRefused(const std::string& dir, const struct stat& entry) {
    struct stat folder {};
    if (::stat(dir.c_str(), &folder) != 0) return errno;
    if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno;
    const uid_t us = ::geteuid();
    const bool mayRemove =
        (folder.st_mode & S_ISVTX) == 0 || us == 0 || us == folder.st_uid || us == entry.st_uid;
    return mayRemove ? 0 : EPERM;
}

bool ReadsAsBackup(BackupFinding finding) {
    return finding == BackupFinding::kGuarding || finding == BackupFinding::kTornAndChanged ||
           finding == BackupFinding::kUnrecorded;
}

// Only what a player who may write the file made is opened: the name is looked at first, and
// what is opened must be what was looked at.
BackupLook LookAtBackup(const std::string& backupPath, const std::string& target,
                        const struct stat* file, std::string_view fileBytes) {
    BackupLook look;
    struct stat named {};
    if (::lstat(backupPath.c_str(), &named) != 0) {
        if (errno != ENOENT) look.finding = BackupFinding::kUnreadable;
        return look;
    }
    if (!Trusted(named, target, file)) {
        look.finding = BackupFinding::kForeign;
        return look;
    }
    look.removalRefused = RemovalRefused(DirectoryOf(backupPath), named);
    const int fd = ::open(backupPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // Gone since: the file is whole.
        look.finding = errno == ENOENT ? BackupFinding::kNone : BackupFinding::kUnreadable;
        return look;
    }
    Fd backup(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_dev != named.st_dev || st.st_ino != named.st_ino ||
        !Trusted(st, target, file)) {
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
    } else if (file == nullptr) {
        look.finding = BackupFinding::kStale;
    } else {
        look.judgement = JudgeAgainstBackup(fileBytes, content);
        look.finding = look.judgement == FileJudgement::kTorn ? BackupFinding::kGuarding
                       : look.judgement == FileJudgement::kTornAndChanged
                           ? BackupFinding::kTornAndChanged
                           : BackupFinding::kStale;
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
    BackupLook look = LookAtBackup(BackupPathOf(target), target, &st, bytes);
    if (ReadsAsBackup(look.finding)) bytes.assign(ReadBackupRecord(look.bytes).oldBytes);
    return true;
}

BackupReport FindBackup(const std::string& path) {
    BackupReport report;
    std::string target;
    int ignored = 0;
    if (path.empty() || !ResolveLinks(path, target, ignored)) return report;
    const std::string backupPath = BackupPathOf(target);
    struct stat st {};
    std::string bytes;
    bool saving = false;
    const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const Fd file(fd);
    const bool read =
        fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ReadAllAt(fd, bytes);
    BackupLook look = LookAtBackup(backupPath, target, read ? &st : nullptr, bytes);
    // Mid-rewrite, a file is what another instance is writing, not what a crash left.
    if (read && look.finding != BackupFinding::kNone && look.finding != BackupFinding::kForeign) {
        saving = WriteLocked(fd);
    }
    report.finding = saving ? BackupFinding::kInProgress : look.finding;
    report.removable = look.removalRefused == 0;

    const std::string name = NameOf(target);
    if (DIR* listing = ::opendir(DirectoryOf(target).c_str())) {
        while (const dirent* entry = ::readdir(listing)) {
            if (IsKeptCopyName(name, entry->d_name)) {
                report.keptCopies.push_back(DirectoryOf(target) + "/" + entry->d_name);
            }
        }
        ::closedir(listing);
    }
    std::sort(report.keptCopies.begin(), report.keptCopies.end());
    return report;
}

}  // namespace settings::store
