#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "posix_io.h"

namespace settings::store {

using namespace posix;

namespace {

// A fresh file beside the target, created with the mode a new file would get (the umask
// applies), never an existing one, and locked at once so that no other instance's sweep takes
// it for a crashed save's leftover, nor, once renamed into place, opens it before the save ends.
int CreateTemp(const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string stem = DirectoryOf(target) + "/" + StagingPrefix(NameOf(target));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%x-%x", static_cast<unsigned>(::getpid()),
                      counter.fetch_add(1));
        tempPath = stem + suffix;
        const int fd = ::open(tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            TryLock(fd, F_WRLCK);
            return fd;
        }
        if (errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
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
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && TryLock(fd, F_WRLCK))
            stale.push_back(path);
        ::close(fd);
    }
    ::closedir(listing);
    for (const std::string& path : stale) ::unlink(path.c_str());
}

// Never replaces what is at `to`: whatever appeared there is not ours to remove.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool SizeAllowed(std::size_t size) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           size <= limit.rlim_cur;
}

}  // namespace

struct StagedFile::State {
    // First in, last out: signals stay deferred until everything below is cleaned up, and other
    // instances kept out until the files are closed.
    SaveInProgress saving;
    FolderTurn turn;
    std::string target;  // the file that holds the data, links followed
    std::string backupPath;
    bool existed = false;
    struct stat original {};
    bool inPlace = false;
    bool foreignBackup = false;  // something not ours holds the backup's name
    bool readerHolds = false;    // a reader kept the file's lock from us: no rewrite in place
    int fileFd = -1;             // the target, locked, while the stage lives
    int tempFd = -1;             // the new bytes (replace), locked
    std::string tempPath;
    int placedFd = -1;  // the file a committed rename put at the name, still locked
    bool committed = false;
    bool ourBackup = false;  // removed with the stage: the file is whole
    std::string oldBytes;    // what the file reads as: edited by the caller, put back on failure
    std::string newBytes;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() {
        const int code = errno;  // the failure a caller is about to report
        if (tempFd >= 0) ::close(tempFd);
        if (!tempPath.empty()) ::unlink(tempPath.c_str());
        if (ourBackup) {
            ::unlink(backupPath.c_str());
            SyncDirectory(DirectoryOf(target));
        }
        if (placedFd >= 0) ::close(placedFd);
        if (fileFd >= 0) ::close(fileFd);
        errno = code;
    }

    void DropTemp() {
        if (tempFd >= 0) ::close(tempFd);
        tempFd = -1;
        if (!tempPath.empty()) ::unlink(tempPath.c_str());
        tempPath.clear();
    }
    bool Fail(int code, int& error) {
        DropTemp();
        return posix::Fail(code, error);
    }

    // The target opened for writing and locked, still the file the path names.
    bool OpenAndLock(int& error);
    bool SettleBackup(int& error);
    bool KeepAsFound(int& error);
    bool StageReplacement(std::string_view bytes, int& error);
    bool StageInPlace(std::string_view bytes, int& error);
    bool CommitInPlace(int& error);
    bool StillOurs(int fd) const;
};

bool StagedFile::State::OpenAndLock(int& error) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return posix::Fail(errno, error);
        fileFd = fd;
        int code = 0;
        const Locked locked = WaitForLock(fd, F_WRLCK, code);
        if (locked == Locked::kNoLocks) return true;
        // Readers see a rename whole; our instances are kept out by the folder's turn.
        readerHolds = locked == Locked::kReaders;
        if (locked != Locked::kYes && !readerHolds) return posix::Fail(code, error);
        // An instance of an older version may have renamed a new file over it while we waited.
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(target.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            return true;
        }
        ::close(fd);
        fileFd = -1;
    }
    return posix::Fail(EAGAIN, error);
}

// Before a save edits the file, what lies at the backup's name is settled: a rewrite a crash cut
// off is finished by putting the old bytes back (the backup still guards the file meanwhile),
// after keeping the file as found where another program changed it since; a backup that
// guards nothing goes. None of it changes what the file reads as, and none of it starts where
// the backup could not be removed after it.
bool StagedFile::State::SettleBackup(int& error) {
    const BackupLook look =
        LookAtBackup(backupPath, target, existed ? &original : nullptr, oldBytes);
    if (look.finding == BackupFinding::kNone) return true;
    if (look.finding == BackupFinding::kForeign) {
        foreignBackup = true;
        return true;
    }
    if (look.removalRefused != 0) return posix::Fail(look.removalRefused, error);
    if (ReadsAsBackup(look.finding) && existed) {
        if (readerHolds) return posix::Fail(EBUSY, error);
        if (look.finding == BackupFinding::kTornAndChanged && !KeepAsFound(error)) return false;
        const std::string_view old = ReadBackupRecord(look.bytes).oldBytes;
        if (!WriteAllAt(fileFd, old) || ::ftruncate(fileFd, static_cast<off_t>(old.size())) != 0 ||
            ::fsync(fileFd) != 0) {
            return posix::Fail(errno, error);
        }
        oldBytes.assign(old);
    }
    if (::unlink(backupPath.c_str()) != 0 && errno != ENOENT) return posix::Fail(errno, error);
    SyncDirectory(DirectoryOf(target));
    return true;
}

// The file as found, torn and then changed by another program, goes beside it under a plain
// name, with its owner, group and mode where we may give them, before the repair overwrites
// it. A copy an earlier try made, before a crash cut its repair off, is not made twice.
bool StagedFile::State::KeepAsFound(int& error) {
    const int fd = CreateTemp(target, tempPath);
    if (fd < 0) {
        tempPath.clear();
        return Fail(errno, error);
    }
    tempFd = fd;
    if (::fchown(fd, original.st_uid, original.st_gid) != 0) {
        static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), original.st_gid));
    }
    const mode_t mode = original.st_mode & 0777;
    if (!SetMode(fd, mode, mode) || !WriteAll(fd, oldBytes) || ::fsync(fd) != 0) {
        return Fail(errno, error);
    }
    for (int number = 1; number < 1000; ++number) {
        const std::string kept = DirectoryOf(target) + "/" + KeptCopyName(NameOf(target), number);
        if (RenameNoReplace(tempPath, kept)) {
            tempPath.clear();
            ::close(tempFd);
            tempFd = -1;
            SyncDirectory(DirectoryOf(target));
            return true;
        }
        if (errno != EEXIST) return Fail(errno, error);
        const int earlier = ::open(kept.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (earlier < 0) continue;
        const Fd copy(earlier);
        struct stat st {};
        std::string bytes;
        if (::fstat(earlier, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ReadAllAt(earlier, bytes) && bytes == oldBytes) {
            DropTemp();
            return true;
        }
    }
    return Fail(EEXIST, error);
}

bool StagedFile::State::StillOurs(int fd) const {
    struct stat held {
    }, named{};
    if (::fstat(fd, &held) != 0 || ::stat(target.c_str(), &named) != 0 ||
        held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
        return false;
    }
    std::string now;
    return ReadAllAt(fd, now) && now == newBytes;
}

bool StagedFile::State::StageReplacement(std::string_view bytes, int& error) {
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
            if (::fchown(fd, owner, original.st_gid) != 0 &&
                !HasOwner(fd, original.st_uid, original.st_gid)) {
                inPlace = true;
                return true;
            }
        }
        if (!SetMode(fd, original.st_mode & 07777, original.st_mode & 07777)) {
            return Fail(errno, error);
        }
        // After the mode: the access ACL carries the group bits as its mask.
        if (!CopyAttributes(fileFd, fd)) {
            inPlace = true;
            return true;
        }
    }
    if (!WriteAll(fd, bytes)) return Fail(errno, error);
    if (::fsync(fd) != 0) return Fail(errno, error);
    return true;
}

// The old bytes go to the backup first, whole (a temporary file renamed), so that the backup
// name only ever holds a complete copy, with the record that tells a torn rewrite from a file
// changed since.
bool StagedFile::State::StageInPlace(std::string_view bytes, int& error) {
    DropTemp();
    if (foreignBackup) return posix::Fail(EEXIST, error);
    // A reader of a file rewritten under it would see it torn.
    if (readerHolds) return posix::Fail(EBUSY, error);
    if (!SizeAllowed(oldBytes.size())) return posix::Fail(EFBIG, error);

    const int fd = CreateTemp(target, tempPath);
    if (fd < 0) {
        tempPath.clear();
        return Fail(errno, error);
    }
    tempFd = fd;
    // Readable by whoever may read the file, since Load may read it instead.
    if (::fchown(fd, static_cast<uid_t>(-1), original.st_gid) != 0) {
        errno = 0;  // not a member of the file's group: the backup keeps ours
    }
    if (!SetMode(fd, original.st_mode & 0666, original.st_mode & 07777)) return Fail(errno, error);
    if (!WriteAll(fd, BackupWithRecord(oldBytes, bytes))) return Fail(errno, error);
    if (::fsync(fd) != 0) return Fail(errno, error);
    if (!RenameNoReplace(tempPath, backupPath)) return Fail(errno, error);
    ::close(tempFd);
    tempFd = -1;
    tempPath.clear();
    ourBackup = true;
    SyncDirectory(DirectoryOf(target));
    // Room for the longer content now, where the file system can promise it, so the rewrite
    // does not run out of space half-way.
    if (bytes.size() > oldBytes.size() &&
        ::fallocate(fileFd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        return posix::Fail(errno, error);
    }
    return true;
}

bool StagedFile::State::CommitInPlace(int& error) {
    if (WriteAllAt(fileFd, newBytes) &&
        ::ftruncate(fileFd, static_cast<off_t>(newBytes.size())) == 0 && ::fsync(fileFd) == 0) {
        return true;
    }
    const int code = errno;
    // Put the old bytes back; while that fails too the backup stays and Load reads it.
    ourBackup = WriteAllAt(fileFd, oldBytes) &&
                ::ftruncate(fileFd, static_cast<off_t>(oldBytes.size())) == 0 &&
                ::fsync(fileFd) == 0;
    return posix::Fail(code, error);
}

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
    if (path.empty()) return Fail(ENOENT, error);
    auto state = std::make_unique<State>();
    State& s = *state;
    if (!ResolveLinks(path, s.target, error)) return false;
    s.backupPath = BackupPathOf(s.target);
    s.existed = true;
    if (::stat(s.target.c_str(), &s.original) != 0) {
        if (errno != ENOENT) return Fail(errno, error);
        s.existed = false;
    }
    if (s.existed) {
        if (S_ISDIR(s.original.st_mode)) return Fail(EISDIR, error);
        // A device or pipe would be replaced by a plain file, not written to.
        if (!S_ISREG(s.original.st_mode)) return Fail(EINVAL, error);
        // A file without any write permission is read-only, as Windows treats its read-only
        // attribute: even an administrator's write is refused. Otherwise the caller must be
        // allowed to write it; renaming over it would only need the directory's permission.
        if ((s.original.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return Fail(EACCES, error);
        if (::faccessat(AT_FDCWD, s.target.c_str(), W_OK, AT_EACCESS) != 0) {
            return Fail(errno, error);
        }
    }
    if (!s.turn.Take(DirectoryOf(s.target), error)) return Fail(error, error);
    if (s.existed) {
        if (!s.OpenAndLock(error)) return false;
        if (::fstat(s.fileFd, &s.original) != 0) return Fail(errno, error);
        if (static_cast<unsigned long long>(s.original.st_size) > kMaxFileBytes) {
            return Fail(EFBIG, error);
        }
        if (!ReadAllAt(s.fileFd, s.oldBytes)) return Fail(errno, error);
    }
    if (!s.SettleBackup(error)) return false;
    bytes = s.oldBytes;
    exists = s.existed;
    m_state = std::move(state);
    return true;
}

bool StagedFile::Prepare(std::string_view bytes, int& error) {
    error = 0;
    if (!m_state || m_state->committed) return Fail(EINVAL, error);
    State& s = *m_state;
    if (!SizeAllowed(bytes.size())) {
        Abort();
        return Fail(EFBIG, error);
    }
    // Where Open found no folder yet, the turn is taken now that the caller has made it.
    if (!s.turn.Take(DirectoryOf(s.target), error)) {
        Abort();
        return Fail(error, error);
    }
    SweepTemporaries(s.target);
    s.newBytes.assign(bytes);
    s.inPlace = s.existed && (s.original.st_nlink > 1 || IsMountPoint(s.target, s.original));
    if ((!s.inPlace && !s.StageReplacement(bytes, error)) ||
        (s.inPlace && !s.StageInPlace(bytes, error))) {
        Abort();
        return Fail(error, error);
    }
    return true;
}

bool StagedFile::Prepare(const std::string& path, std::string_view bytes, int& error) {
    std::string current;
    bool exists = false;
    return Open(path, current, exists, error) && Prepare(bytes, error);
}

// The stage lives on after its commit, holding the file, until the whole save has ended.
bool StagedFile::Commit(int& error) {
    error = 0;
    if (!m_state || m_state->committed) return Fail(EINVAL, error);
    State& s = *m_state;
    if (s.inPlace) {
        s.committed = s.CommitInPlace(error);
        return s.committed;
    }
    if (s.tempFd < 0) return Fail(EINVAL, error);  // opened, never prepared
    // The descriptor stays open: its lock holds the new file from the moment it has the name.
    if (::rename(s.tempPath.c_str(), s.target.c_str()) != 0) return s.Fail(errno, error);
    s.tempPath.clear();
    s.placedFd = s.tempFd;
    s.tempFd = -1;
    s.committed = true;
    SyncDirectory(DirectoryOf(s.target));
    return true;
}

// Through the descriptors the stage holds: a fresh open of the file would be refused the lock
// this process already has.
bool StagedFile::Undo(int& error) {
    error = 0;
    if (!m_state || !m_state->committed) return true;
    State& s = *m_state;
    s.committed = false;
    const int placed = s.inPlace ? s.fileFd : s.placedFd;
    if (!s.StillOurs(placed)) return true;  // another program's since: left alone
    if (!s.existed) {
        if (::unlink(s.target.c_str()) != 0 && errno != ENOENT) return Fail(errno, error);
        SyncDirectory(DirectoryOf(s.target));
        return true;
    }
    if (s.inPlace) {
        // Torn, it still reads as the old bytes: the backup stays until they are written.
        s.ourBackup = WriteAllAt(placed, s.oldBytes) &&
                      ::ftruncate(placed, static_cast<off_t>(s.oldBytes.size())) == 0 &&
                      ::fsync(placed) == 0;
        return s.ourBackup || Fail(errno, error);
    }
    const bool staged = s.StageReplacement(s.oldBytes, error);
    if (!staged || s.inPlace) {
        s.inPlace = false;
        return s.Fail(staged ? EPERM : error, error);
    }
    if (::rename(s.tempPath.c_str(), s.target.c_str()) != 0) return s.Fail(errno, error);
    s.tempPath.clear();  // its descriptor keeps the lock until the stage ends
    SyncDirectory(DirectoryOf(s.target));
    return true;
}

}  // namespace settings::store
