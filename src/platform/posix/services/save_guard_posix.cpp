#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

#include "posix_io.h"

namespace settings::store {
namespace {

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
    const std::size_t last = folder.find_last_not_of('/');
    if (last == std::string::npos) return folder.empty() ? posix::Fail(ENOENT, error) : true;
    const std::string path = folder.substr(0, last + 1);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) || posix::Fail(ENOTDIR, error);
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !CreateFolders(path.substr(0, slash), error)) {
        return false;
    }
    if (::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) return true;
    return posix::Fail(errno, error);
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

}  // namespace settings::store
