// What a file is, carried over to the file that replaces it: its mode, owner and extended
// attributes; and whether it can be replaced by a rename at all.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <string>
#include <vector>

#include "posix_io.h"

namespace settings::store::posix {

namespace {

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

}  // namespace

bool SetMode(int fd, mode_t mode, mode_t own) {
    if (::fchmod(fd, mode) == 0) return true;
    const int code = errno;
    if (code == ENOSYS || code == EOPNOTSUPP) return true;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && ((st.st_mode & 07777) == mode || (st.st_mode & 07777) == own)) {
        return true;
    }
    errno = code;
    return false;
}

bool HasOwner(int fd, uid_t owner, gid_t group) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_uid == owner && st.st_gid == group;
}

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

}  // namespace settings::store::posix
