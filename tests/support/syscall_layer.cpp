#include "support/syscall_layer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <map>
#include <mutex>
#include <type_traits>

#include "settings/store/file_store.h"

// The real calls behind the wrapped names (the linker's --wrap gives each as __real_<name>).
extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_close(int fd);
ssize_t __real_read(int fd, void* buffer, size_t size);
ssize_t __real_pread(int fd, void* buffer, size_t size, off_t offset);
ssize_t __real_write(int fd, const void* buffer, size_t size);
ssize_t __real_pwrite(int fd, const void* buffer, size_t size, off_t offset);
int __real_fsync(int fd);
int __real_fdatasync(int fd);
int __real_rename(const char* from, const char* to);
int __real_renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags);
int __real_unlink(const char* path);
int __real_ftruncate(int fd, off_t length);
int __real_fallocate(int fd, int mode, off_t offset, off_t length);
int __real_fchown(int fd, uid_t owner, gid_t group);
int __real_fchmod(int fd, mode_t mode);
ssize_t __real_flistxattr(int fd, char* list, size_t size);
ssize_t __real_fgetxattr(int fd, const char* name, void* value, size_t size);
int __real_fsetxattr(int fd, const char* name, const void* value, size_t size, int flags);
int __real_fremovexattr(int fd, const char* name);
int __real_fcntl(int fd, int command, ...);
int __real_flock(int fd, int operation);
int __real_stat(const char* path, struct stat* st);
int __real_lstat(const char* path, struct stat* st);
int __real_fstat(int fd, struct stat* st);
int __real_statx(int dir, const char* path, int flags, unsigned mask, struct statx* st);
int __real_faccessat(int dir, const char* path, int mode, int flags);
ssize_t __real_readlink(const char* path, char* buffer, size_t size);
DIR* __real_opendir(const char* path);
struct dirent* __real_readdir(DIR* dir);
int __real_closedir(DIR* dir);
int __real_mkdir(const char* path, mode_t mode);
}

namespace test_support::sys {

struct Layer::Impl {
    Hook hook;
    bool record = false;
    mutable std::mutex mutex;
    std::vector<Event> events;
};

namespace {

std::mutex g_mutex;  // the installed layer and the names of descriptors
std::shared_ptr<Layer::Impl> g_layer;
std::map<int, std::string> g_fds;
std::map<DIR*, std::string> g_dirs;
thread_local int t_inHook = 0;

std::shared_ptr<Layer::Impl> Installed() {
    if (t_inHook > 0) return nullptr;
    const std::lock_guard<std::mutex> lock(g_mutex);
    return g_layer;
}

std::string PathOf(int fd) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    const auto found = g_fds.find(fd);
    return found == g_fds.end() ? std::string() : found->second;
}

int ResultOf(ssize_t value) {
    return static_cast<int>(value);
}
int ResultOf(int value) {
    return value;
}
int ResultOf(const void* pointer) {
    return pointer == nullptr ? -1 : 0;
}

// Asks the hook, runs the call, records it. `failed` is what the call returns when it fails.
template <class T, class Real, class After>
T Through(Event event, T failed, Real&& real, After&& after) {
    const std::shared_ptr<Layer::Impl> layer = Installed();
    if (!layer) {
        T result = real();
        const int saved = errno;
        after(result);
        errno = saved;
        return result;
    }
    if (layer->hook) {
        ++t_inHook;
        const int code = layer->hook(event);
        --t_inHook;
        if (code != 0) {
            errno = code;
            return failed;
        }
    }
    T result = real();
    const int saved = errno;
    after(result);
    if (layer->record) {
        event.result = ResultOf(result);
        event.error = ResultOf(result) < 0 ? saved : 0;
        if (event.call == Call::kOpen) event.fd = ResultOf(result);
        if constexpr (std::is_same_v<T, ssize_t>) {
            if (result >= 0 && (event.call == Call::kWrite || event.call == Call::kPwrite)) {
                event.data.resize(static_cast<std::size_t>(result));
            }
        }
        const std::lock_guard<std::mutex> lock(layer->mutex);
        layer->events.push_back(std::move(event));
    }
    errno = saved;
    return result;
}

template <class T, class Real>
T Through(Event event, T failed, Real&& real) {
    return Through(std::move(event), failed, std::forward<Real>(real), [](const T&) {});
}

Event On(Call call, const char* path) {
    Event event{call, path != nullptr ? path : "", "", -1, 0, -1, "", 0, 0};
    return event;
}
Event On(Call call, int fd) {
    Event event{call, PathOf(fd), "", fd, 0, -1, "", 0, 0};
    return event;
}

bool IsLockCommand(int command) {
    return command == F_SETLK || command == F_SETLKW || command == F_GETLK
#ifdef F_OFD_SETLK
           || command == F_OFD_SETLK || command == F_OFD_SETLKW || command == F_OFD_GETLK
#endif
        ;
}

std::string_view LastComponent(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

Layer::Layer(Hook hook, bool record) : m_impl(std::make_shared<Impl>()) {
    m_impl->hook = std::move(hook);
    m_impl->record = record;
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_layer = m_impl;
}

Layer::~Layer() {
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (g_layer == m_impl) g_layer.reset();
}

std::vector<Event> Layer::Events() const {
    const std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->events;
}

bool Names(const Event& event, std::string_view fileName) {
    return LastComponent(event.path) == fileName || LastComponent(event.path2) == fileName;
}

bool NamesStaging(const Event& event, std::string_view fileName) {
    const std::string prefix = settings::store::StagingPrefix(fileName);
    return LastComponent(event.path).substr(0, prefix.size()) == prefix ||
           LastComponent(event.path2).substr(0, prefix.size()) == prefix;
}

}  // namespace test_support::sys

using test_support::sys::Call;
using test_support::sys::Event;
using test_support::sys::IsLockCommand;
using test_support::sys::On;
using test_support::sys::Through;

extern "C" {

int __wrap_open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    Event event = On(Call::kOpen, path);
    event.flags = flags;
    return Through(
        std::move(event), -1, [&] { return __real_open(path, flags, mode); },
        [&](int fd) {
            if (fd < 0) return;
            const std::lock_guard<std::mutex> lock(test_support::sys::g_mutex);
            test_support::sys::g_fds[fd] = path;
        });
}

int __wrap_close(int fd) {
    return Through(
        On(Call::kClose, fd), -1, [&] { return __real_close(fd); },
        [&](int) {
            const std::lock_guard<std::mutex> lock(test_support::sys::g_mutex);
            test_support::sys::g_fds.erase(fd);
        });
}

ssize_t __wrap_read(int fd, void* buffer, size_t size) {
    return Through(On(Call::kRead, fd), ssize_t{-1}, [&] { return __real_read(fd, buffer, size); });
}

ssize_t __wrap_pread(int fd, void* buffer, size_t size, off_t offset) {
    Event event = On(Call::kPread, fd);
    event.offset = offset;
    return Through(std::move(event), ssize_t{-1},
                   [&] { return __real_pread(fd, buffer, size, offset); });
}

ssize_t __wrap_write(int fd, const void* buffer, size_t size) {
    Event event = On(Call::kWrite, fd);
    if (test_support::sys::Installed()) {
        event.offset = lseek(fd, 0, SEEK_CUR);
        event.data.assign(static_cast<const char*>(buffer), size);
    }
    return Through(std::move(event), ssize_t{-1}, [&] { return __real_write(fd, buffer, size); });
}

ssize_t __wrap_pwrite(int fd, const void* buffer, size_t size, off_t offset) {
    Event event = On(Call::kPwrite, fd);
    event.offset = offset;
    if (test_support::sys::Installed()) event.data.assign(static_cast<const char*>(buffer), size);
    return Through(std::move(event), ssize_t{-1},
                   [&] { return __real_pwrite(fd, buffer, size, offset); });
}

int __wrap_fsync(int fd) {
    return Through(On(Call::kFsync, fd), -1, [&] { return __real_fsync(fd); });
}

int __wrap_fdatasync(int fd) {
    return Through(On(Call::kFdatasync, fd), -1, [&] { return __real_fdatasync(fd); });
}

int __wrap_rename(const char* from, const char* to) {
    Event event = On(Call::kRename, from);
    event.path2 = to;
    return Through(std::move(event), -1, [&] { return __real_rename(from, to); });
}

int __wrap_renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    Event event = On(Call::kRename, from);
    event.path2 = to;
    event.flags = static_cast<int>(flags);
    return Through(std::move(event), -1,
                   [&] { return __real_renameat2(fromDir, from, toDir, to, flags); });
}

int __wrap_unlink(const char* path) {
    return Through(On(Call::kUnlink, path), -1, [&] { return __real_unlink(path); });
}

int __wrap_ftruncate(int fd, off_t length) {
    Event event = On(Call::kFtruncate, fd);
    event.offset = length;
    return Through(std::move(event), -1, [&] { return __real_ftruncate(fd, length); });
}

int __wrap_fallocate(int fd, int mode, off_t offset, off_t length) {
    Event event = On(Call::kFallocate, fd);
    event.offset = offset + length;
    return Through(std::move(event), -1,
                   [&] { return __real_fallocate(fd, mode, offset, length); });
}

int __wrap_fchown(int fd, uid_t owner, gid_t group) {
    return Through(On(Call::kFchown, fd), -1, [&] { return __real_fchown(fd, owner, group); });
}

int __wrap_fchmod(int fd, mode_t mode) {
    Event event = On(Call::kFchmod, fd);
    event.flags = static_cast<int>(mode);
    return Through(std::move(event), -1, [&] { return __real_fchmod(fd, mode); });
}

ssize_t __wrap_flistxattr(int fd, char* list, size_t size) {
    return Through(On(Call::kXattr, fd), ssize_t{-1},
                   [&] { return __real_flistxattr(fd, list, size); });
}

ssize_t __wrap_fgetxattr(int fd, const char* name, void* value, size_t size) {
    Event event = On(Call::kXattr, fd);
    event.data = name;
    return Through(std::move(event), ssize_t{-1},
                   [&] { return __real_fgetxattr(fd, name, value, size); });
}

int __wrap_fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
    Event event = On(Call::kXattr, fd);
    event.data = name;
    return Through(std::move(event), -1,
                   [&] { return __real_fsetxattr(fd, name, value, size, flags); });
}

int __wrap_fremovexattr(int fd, const char* name) {
    Event event = On(Call::kXattr, fd);
    event.data = name;
    return Through(std::move(event), -1, [&] { return __real_fremovexattr(fd, name); });
}

int __wrap_fcntl(int fd, int command, ...) {
    va_list args;
    va_start(args, command);
    void* argument = va_arg(args, void*);
    va_end(args);
    if (!IsLockCommand(command)) return __real_fcntl(fd, command, argument);
    Event event = On(Call::kLock, fd);
    event.flags = static_cast<const struct flock*>(argument)->l_type;
    return Through(std::move(event), -1, [&] { return __real_fcntl(fd, command, argument); });
}

int __wrap_flock(int fd, int operation) {
    Event event = On(Call::kLock, fd);
    event.flags = operation;
    return Through(std::move(event), -1, [&] { return __real_flock(fd, operation); });
}

int __wrap_stat(const char* path, struct stat* st) {
    return Through(On(Call::kStat, path), -1, [&] { return __real_stat(path, st); });
}

int __wrap_lstat(const char* path, struct stat* st) {
    return Through(On(Call::kStat, path), -1, [&] { return __real_lstat(path, st); });
}

int __wrap_fstat(int fd, struct stat* st) {
    return Through(On(Call::kStat, fd), -1, [&] { return __real_fstat(fd, st); });
}

int __wrap_statx(int dir, const char* path, int flags, unsigned mask, struct statx* st) {
    return Through(On(Call::kStat, path), -1,
                   [&] { return __real_statx(dir, path, flags, mask, st); });
}

int __wrap_faccessat(int dir, const char* path, int mode, int flags) {
    return Through(On(Call::kAccess, path), -1,
                   [&] { return __real_faccessat(dir, path, mode, flags); });
}

ssize_t __wrap_readlink(const char* path, char* buffer, size_t size) {
    return Through(On(Call::kReadlink, path), ssize_t{-1},
                   [&] { return __real_readlink(path, buffer, size); });
}

DIR* __wrap_opendir(const char* path) {
    return Through(
        On(Call::kListing, path), static_cast<DIR*>(nullptr), [&] { return __real_opendir(path); },
        [&](DIR* dir) {
            if (dir == nullptr) return;
            const std::lock_guard<std::mutex> lock(test_support::sys::g_mutex);
            test_support::sys::g_dirs[dir] = path;
        });
}

struct dirent* __wrap_readdir(DIR* dir) {
    std::string path;
    {
        const std::lock_guard<std::mutex> lock(test_support::sys::g_mutex);
        path = test_support::sys::g_dirs[dir];
    }
    return Through(On(Call::kListing, path.c_str()), static_cast<struct dirent*>(nullptr),
                   [&] { return __real_readdir(dir); });
}

int __wrap_closedir(DIR* dir) {
    std::string path;
    {
        const std::lock_guard<std::mutex> lock(test_support::sys::g_mutex);
        path = test_support::sys::g_dirs[dir];
        test_support::sys::g_dirs.erase(dir);
    }
    return Through(On(Call::kListing, path.c_str()), -1, [&] { return __real_closedir(dir); });
}

int __wrap_mkdir(const char* path, mode_t mode) {
    return Through(On(Call::kMkdir, path), -1, [&] { return __real_mkdir(path, mode); });
}

}  // extern "C"
