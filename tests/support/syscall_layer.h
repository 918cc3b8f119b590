#pragma once
// The file calls the POSIX store makes, seen by tests: each test executable that links this
// layer has those calls wrapped at link time (-Wl,--wrap), so a test can fail any call for a
// path, hold one up while something else happens, and record every call a save makes with its
// data. The product has no seam for this; without a layer installed the calls go straight
// through.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace test_support::sys {

enum class Call {
    kOpen,
    kClose,
    kRead,
    kPread,
    kWrite,
    kPwrite,
    kFsync,
    kFdatasync,
    kRename,
    kUnlink,
    kFtruncate,
    kFallocate,
    kFchown,
    kFchmod,
    kXattr,
    kLock,
    kStat,
    kAccess,
    kReadlink,
    kListing,
    kMkdir,
};

struct Event {
    Call call;
    std::string path;       // the file the call names, or the one its descriptor was opened on
    std::string path2;      // a rename's new name
    int fd = -1;            // the descriptor the call works on, or open's result
    int flags = 0;          // open's flags; a lock's type, or flock's operation
    long long offset = -1;  // where a write lands; a truncation's length
    std::string data;       // what a write wrote
    int result = 0;         // after the call: its result and errno
    int error = 0;
};

// Asked before each call that goes through the layer; a non-zero answer is the errno the call
// then fails with, without running. Calls made from inside a hook go straight through.
using Hook = std::function<int(const Event&)>;

// Installs a hook, records calls, or both, while it lives. One at a time.
class Layer {
public:
    explicit Layer(Hook hook = {}, bool record = false);
    ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    std::vector<Event> Events() const;  // the recorded calls that ran, in order

    struct Impl;

private:
    std::shared_ptr<Impl> m_impl;
};

// Whether the event is about a file of this name (its last path component).
bool Names(const Event& event, std::string_view fileName);
// Whether it is about one of the store's own files beside `fileName`: its backup or a
// temporary file.
bool NamesStaging(const Event& event, std::string_view fileName);

}  // namespace test_support::sys
