#pragma once
// What the POSIX file store's halves share: descriptors that close themselves, whole reads and
// writes, the locks two instances take turns by, and what lies at a file's backup name.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "settings/store/file_store.h"

namespace settings::store::posix {

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

// Sets `error` and errno to `code`; false, for `return Fail(...)`.
bool Fail(int code, int& error);

std::string DirectoryOf(const std::string& path);
std::string NameOf(const std::string& path);
// Follows a chain of symbolic links to the path of the file that really holds the data. The
// final target need not exist: writing through a dangling link creates it.
bool ResolveLinks(const std::string& path, std::string& resolved, int& error);

bool WriteAll(int fd, std::string_view bytes);
bool WriteAllAt(int fd, std::string_view bytes);  // from the start
// The whole file from its start; false with errno set on a read error, or EFBIG past `limit`.
bool ReadAllAt(int fd, std::string& bytes, unsigned long long limit = kMaxFileBytes);

// An open file description's own lock (not the process's, which closing any other descriptor
// of the file would drop), over the whole file. False with errno set when it is held elsewhere
// or cannot be had.
bool TryLock(int fd, short type);
enum class Locked { kYes, kNoLocks, kReaders, kTimedOut, kFailed };
// Waits a while for another instance's save of the same file to end; a save takes
// milliseconds, so one still holding the lock after seconds has hung and is not waited for.
// kReaders: what still holds it after the wait are only shared locks. A file system without
// locks (NFS without its lock daemon, some FUSE drivers) is used without them.
Locked WaitForLock(int fd, short type, int& code);
// Whether someone holds a write lock on the file (a save in progress).
bool WriteLocked(int fd);

// Our instances' saves of the files in one folder take turns, whatever readers do to the
// files' own locks: a lock (flock) on the folder, taken before the file's and held as long.
// The stages of one save that share a folder share its turn.
class FolderTurn {
public:
    FolderTurn() = default;
    ~FolderTurn();
    FolderTurn(const FolderTurn&) = delete;
    FolderTurn& operator=(const FolderTurn&) = delete;
    // Waits as WaitForLock does; a folder that takes no locks, or is not there yet, is used
    // without. Once held, taking it again does nothing.
    bool Take(const std::string& dir, int& code);

private:
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    bool m_held = false;
};

// What a file is (file_traits_posix.cpp). A refused mode changes nothing where the file we made
// already has it or the mode of the file it stands for (`own`), or the file system keeps none
// (NTFS, exFAT or FAT through FUSE, a mount with fixed permissions).
bool SetMode(int fd, mode_t mode, mode_t own);
// Whether a file we made already has the owner and group asked for (a file system that gives
// every file the same ones refuses to change them).
bool HasOwner(int fd, uid_t owner, gid_t group);
// Gives `to` exactly the extended attributes of `from` (the access ACL among them); false when
// one cannot be read or set.
bool CopyAttributes(int from, int to);
// A file mounted over another (a bind mount of the file itself) cannot be renamed over.
bool IsMountPoint(const std::string& target, const struct stat& st);

// Makes a rename or removal in the folder durable.
void SyncDirectory(const std::string& dir);

// Whether the system's user and group databases make the user a member of the group.
bool IsRealMember(unsigned user, unsigned group);
// Why we may not remove the entry from its folder (EACCES: no write access; EPERM: another's
// entry in a folder with the sticky bit), or 0.
int RemovalRefused(const std::string& dir, const struct stat& entry);

std::string BackupPathOf(const std::string& target);
struct BackupLook {
    BackupFinding finding = BackupFinding::kNone;
    FileJudgement judgement = FileJudgement::kTorn;  // of a recorded backup
    int removalRefused = 0;                          // RemovalRefused, for one of ours
    std::string bytes;                               // the whole backup, when it was read
};
// What the backup beside a file says of the file's bytes (`file` null: there is no file).
BackupLook LookAtBackup(const std::string& backupPath, const std::string& target,
                        const struct stat* file, std::string_view fileBytes);
// Whether a finding makes the file read as its backup's old bytes.
bool ReadsAsBackup(BackupFinding finding);

}  // namespace settings::store::posix
