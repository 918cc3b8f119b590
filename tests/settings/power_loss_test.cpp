// Every disk state a power loss can leave during a save, built from the save's recorded calls
// under the conservative model file systems are held to: data is on disk only after its file's
// flush, a name only after its folder's; of what came after the last flush, any part may have
// reached the disk, a write cut at any 4 KiB boundary, past the file's old end as zeros (bytes
// of neither version there are another program's, and kept). In each state both files read
// whole, old or new, and the next save cleans up; where another program appended to or edited
// a file after the crash, its change is in the file or the file as found is kept beside it.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "settings/record/script_settings.h"
#include "settings/store/file_store.h"
#include "support/game_folder_test.h"
#include "support/syscall_layer.h"

namespace {

namespace fs = std::filesystem;
namespace sys = test_support::sys;
using sys::Call;

constexpr long long kBlock = 4096;

// One file's data as the model sees it: what its last flush made durable, and the writes and
// truncations since, each of which may or may not have reached the disk.
struct Change {
    bool truncate = false;
    long long offset = 0;  // a truncation's length
    std::string data;
};
struct Inode {
    std::string durable;
    std::string current;
    std::vector<Change> pending;
};
// A name's creation, rename or removal in a folder, on disk only after the folder's flush.
struct NameChange {
    std::string from;  // empty: a new name
    std::string to;    // empty: a removal
    int inode = -1;
};

struct Disk {
    std::vector<Inode> inodes;
    std::map<std::string, int> durableNames, currentNames;
    std::map<std::string, std::vector<NameChange>> pendingNames;  // by folder
};

std::string FolderOf(const std::string& path) {
    return fs::path(path).parent_path().string();
}

// Replays the recorded calls up to the cut, on the files the save started from.
Disk Replay(const std::map<std::string, std::string>& files, const std::vector<sys::Event>& events,
            std::size_t cut, const std::map<std::string, std::string>& links) {
    Disk disk;
    for (const auto& [path, bytes] : files) {
        const int id = static_cast<int>(disk.inodes.size());
        disk.inodes.push_back({bytes, bytes, {}});
        disk.durableNames[path] = disk.currentNames[path] = id;
    }
    for (const auto& [link, target] : links) {
        disk.durableNames[link] = disk.currentNames[link] = disk.currentNames.at(target);
    }
    std::map<int, int> fds;                // descriptor -> inode
    std::map<int, std::string> folderFds;  // descriptor -> folder
    for (std::size_t i = 0; i < cut; ++i) {
        const sys::Event& e = events[i];
        if (e.result < 0) continue;
        switch (e.call) {
            case Call::kOpen:
                if ((e.flags & O_DIRECTORY) != 0) {
                    folderFds[e.fd] = e.path;
                } else if (const auto named = disk.currentNames.find(e.path);
                           named != disk.currentNames.end()) {
                    fds[e.fd] = named->second;
                } else if ((e.flags & O_CREAT) != 0) {
                    const int id = static_cast<int>(disk.inodes.size());
                    disk.inodes.emplace_back();
                    disk.currentNames[e.path] = id;
                    disk.pendingNames[FolderOf(e.path)].push_back({"", e.path, id});
                    fds[e.fd] = id;
                }
                break;
            case Call::kClose:
                fds.erase(e.fd);
                folderFds.erase(e.fd);
                break;
            case Call::kWrite:
            case Call::kPwrite:
                if (fds.count(e.fd) != 0) {
                    Inode& inode = disk.inodes[static_cast<std::size_t>(fds[e.fd])];
                    const auto at = static_cast<std::size_t>(e.offset);
                    if (inode.current.size() < at + e.data.size()) {
                        inode.current.resize(at + e.data.size());
                    }
                    inode.current.replace(at, e.data.size(), e.data);
                    inode.pending.push_back({false, e.offset, e.data});
                }
                break;
            case Call::kFtruncate:
                if (fds.count(e.fd) != 0) {
                    Inode& inode = disk.inodes[static_cast<std::size_t>(fds[e.fd])];
                    inode.current.resize(static_cast<std::size_t>(e.offset));
                    inode.pending.push_back({true, e.offset, {}});
                }
                break;
            case Call::kFsync:
            case Call::kFdatasync:
                if (fds.count(e.fd) != 0) {
                    Inode& inode = disk.inodes[static_cast<std::size_t>(fds[e.fd])];
                    inode.durable = inode.current;
                    inode.pending.clear();
                } else if (folderFds.count(e.fd) != 0) {
                    for (const NameChange& change : disk.pendingNames[folderFds[e.fd]]) {
                        if (!change.from.empty()) disk.durableNames.erase(change.from);
                        if (!change.to.empty()) disk.durableNames[change.to] = change.inode;
                    }
                    disk.pendingNames[folderFds[e.fd]].clear();
                }
                break;
            case Call::kRename: {
                const int id = disk.currentNames.at(e.path);
                disk.currentNames.erase(e.path);
                disk.currentNames[e.path2] = id;
                disk.pendingNames[FolderOf(e.path2)].push_back({e.path, e.path2, id});
                break;
            }
            case Call::kUnlink:
                if (disk.currentNames.count(e.path) != 0) {
                    disk.pendingNames[FolderOf(e.path)].push_back(
                        {e.path, "", disk.currentNames.at(e.path)});
                    disk.currentNames.erase(e.path);
                }
                break;
            default:
                break;
        }
    }
    return disk;
}

// The ways one pending write may have reached the disk: not at all, cut at a block boundary
// (at most `cuts` of them, spread over the write), whole; the part past the old end as written
// or as zeros.
struct WriteOutcome {
    long long kept;  // bytes of the write that reached the disk
    bool extend;     // the file's size grew to the write's end, zeros where nothing was written
};

std::vector<WriteOutcome> Outcomes(const Change& change, long long oldSize, int cuts) {
    std::vector<WriteOutcome> outcomes = {{0, false}};
    const long long length = static_cast<long long>(change.data.size());
    std::vector<long long> kept;
    for (long long at = (change.offset / kBlock + 1) * kBlock; at < change.offset + length;
         at += kBlock) {
        kept.push_back(at - change.offset);
    }
    if (static_cast<int>(kept.size()) > cuts) {
        std::vector<long long> sampled;
        for (int i = 0; i < cuts; ++i) {
            sampled.push_back(
                kept[kept.size() * static_cast<std::size_t>(i) / static_cast<std::size_t>(cuts)]);
        }
        sampled.push_back(kept.back());
        kept = sampled;
    }
    kept.push_back(length);
    const bool grows = change.offset + length > oldSize;
    for (const long long k : kept) {
        outcomes.push_back({k, false});
        if (grows) outcomes.push_back({k, true});
    }
    return outcomes;
}

std::string Apply(std::string bytes, const Change& change, const WriteOutcome& outcome) {
    if (change.truncate) {
        if (outcome.kept != 0) bytes.resize(static_cast<std::size_t>(change.offset));
        return bytes;
    }
    const auto at = static_cast<std::size_t>(change.offset);
    const std::size_t end = at + change.data.size();
    const auto kept = static_cast<std::size_t>(outcome.kept);
    if (bytes.size() < at + kept) bytes.resize(at + kept);
    bytes.replace(at, kept, change.data.substr(0, kept));
    if (outcome.extend && bytes.size() < end) bytes.resize(end, '\0');
    return bytes;
}

// Each inode's possible contents after the power loss (the pending changes applied in order,
// each in one of its ways).
std::vector<std::string> Contents(const Inode& inode, int cuts) {
    std::vector<std::string> states = {inode.durable};
    for (const Change& change : inode.pending) {
        std::vector<std::string> next;
        for (const std::string& state : states) {
            if (change.truncate) {
                next.push_back(Apply(state, change, {0, false}));
                next.push_back(Apply(state, change, {1, false}));
                continue;
            }
            for (const WriteOutcome& outcome :
                 Outcomes(change, static_cast<long long>(state.size()), cuts)) {
                next.push_back(Apply(state, change, outcome));
            }
        }
        std::sort(next.begin(), next.end());
        next.erase(std::unique(next.begin(), next.end()), next.end());
        states = std::move(next);
    }
    return states;
}

// Every set of names the folders may hold: any subset of each folder's pending changes.
std::vector<std::map<std::string, int>> Namings(const Disk& disk) {
    std::vector<NameChange> pending;
    for (const auto& [folder, changes] : disk.pendingNames) {
        pending.insert(pending.end(), changes.begin(), changes.end());
    }
    std::vector<std::map<std::string, int>> namings;
    for (unsigned mask = 0; mask < (1u << pending.size()); ++mask) {
        std::map<std::string, int> names = disk.durableNames;
        for (std::size_t i = 0; i < pending.size(); ++i) {
            if ((mask & (1u << i)) == 0) continue;
            if (!pending[i].from.empty()) names.erase(pending[i].from);
            if (!pending[i].to.empty()) names[pending[i].to] = pending[i].inode;
        }
        if (std::find(namings.begin(), namings.end(), names) == namings.end()) {
            namings.push_back(std::move(names));
        }
    }
    return namings;
}

struct Case {
    const char* name;
    bool inPlace;
    std::size_t size;    // about this many bytes in each file
    const char* oldEra;  // nullptr: the key is added
    const char* newEra;
};

class PowerLossTest : public test_support::GameFolderTest,
                      public testing::WithParamInterface<Case> {
public:
    // Thousands of saves, each with its flushes: in memory, where a flush costs nothing.
    static void SetUpTestSuite() {
        if (fs::is_directory("/dev/shm")) setenv("TMPDIR", "/dev/shm", 1);
    }

protected:
    // Both files as the case has them before the save.
    void WriteCase(const Case& c) {
        test_support::GameKeys keys;
        keys.era = c.oldEra == nullptr ? std::nullopt : std::optional<std::string>(c.oldEra);
        std::string scripts = "[Before]\r\n";
        std::string sfc = "[Before]\r\n";
        for (int i = 0; scripts.size() < c.size; ++i) {
            const auto letter = static_cast<char>('a' + i % 26);
            scripts += "line" + std::to_string(i) + "=" + std::string(40, letter) + "\r\n";
            sfc += "line" + std::to_string(i) + "=" + std::string(41, letter) + "\r\n";
        }
        WriteBytes(ScriptsIni(), scripts + test_support::ScriptsIniBytes(keys));
        WriteBytes(SfcIni(), sfc + test_support::SfcIniBytes(keys));
    }
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(m_root)) {
            if (entry.is_regular_file() && !entry.is_symlink()) {
                files[entry.path().string()] = ReadBytes(entry.path());
            }
        }
        return files;
    }
    // Lays the state out in the game folder: each name a file, two names of one inode linked.
    void Materialize(const std::map<std::string, int>& names,
                     const std::map<int, std::string>& contents) {
        for (const auto& entry : fs::recursive_directory_iterator(m_root)) {
            if (!entry.is_directory()) m_stale.push_back(entry.path());
        }
        for (const fs::path& path : m_stale) fs::remove(path);
        m_stale.clear();
        std::map<int, std::string> first;
        for (const auto& [path, inode] : names) {
            if (const auto linked = first.find(inode); linked != first.end()) {
                fs::create_hard_link(linked->second, path);
                continue;
            }
            first[inode] = path;
            WriteBytes(path, contents.at(inode));
        }
    }

    // What the next instance does: its Load and Save of the same values.
    static void SaveNext(const Case& c) {
        CScriptSettings next;
        ASSERT_TRUE(next.Load());
        next.SetEra(std::stoi(c.newEra));
        next.SetUIType(7);
        ASSERT_TRUE(next.Save()) << settings::store::LastErrorCode();
    }

    static constexpr std::string_view kSection = "[Another mission]\r\nodds=7\r\n";
    static constexpr std::string_view kEdit = "[Edited]";  // over "[Before]"
    std::vector<fs::path> m_stale;
};

TEST_P(PowerLossTest, EveryStateReadsWholeAndSavesClean) {
    const Case& c = GetParam();
    WriteCase(c);
    const std::map<std::string, std::string> links =
        c.inPlace ? std::map<std::string, std::string>{{(m_root / "scripts.link").string(),
                                                        ScriptsIni().string()},
                                                       {(m_root / "sfc.link").string(),
                                                        SfcIni().string()}}
                  : std::map<std::string, std::string>{};
    const std::map<std::string, std::string> before = Files();
    for (const auto& [link, target] : links) fs::create_hard_link(target, link);

    CScriptSettings record;
    ASSERT_TRUE(record.Load());
    record.SetEra(std::stoi(c.newEra));
    record.SetUIType(7);
    std::vector<sys::Event> events;
    {
        const sys::Layer layer({}, true);
        ASSERT_TRUE(record.Save());
        events = layer.Events();
    }
    const std::string newScripts = ReadBytes(ScriptsIni());
    const std::string newSfc = ReadBytes(SfcIni());
    ASSERT_NE(newScripts, before.at(ScriptsIni().string()));

    // Small files: every call is a cut and every block boundary of a write. Large ones, to keep
    // to seconds: every eighth call, and three block boundaries of each write besides its last.
    const int cuts = c.size > 100000 ? 3 : 64;
    const std::size_t step = c.size > 100000 ? 8 : 1;
    std::size_t states = 0;
    for (std::size_t cut = 0; cut <= events.size();
         cut += (cut + step <= events.size() ? step : 1)) {
        const Disk disk = Replay(before, events, cut, links);
        std::map<int, std::vector<std::string>> contents;
        for (const auto& naming : Namings(disk)) {
            std::set<int> inodes;
            for (const auto& [path, inode] : naming) inodes.insert(inode);
            // Each inode's contents vary on their own; one at a time against the others' first.
            std::map<int, std::string> chosen;
            for (const int inode : inodes) {
                if (contents.count(inode) == 0) {
                    contents[inode] = Contents(disk.inodes[static_cast<std::size_t>(inode)], cuts);
                }
                chosen[inode] = contents[inode].front();
            }
            for (const int varied : inodes) {
                for (const std::string& content : contents[varied]) {
                    std::map<int, std::string> state = chosen;
                    state[varied] = content;
                    Materialize(naming, state);
                    ++states;
                    SCOPED_TRACE(testing::Message() << "cut before call " << cut << " of "
                                                    << events.size() << ", state " << states);
                    std::string bytes;
                    bool exists = false;
                    int error = 0;
                    for (const auto& [path, whole] :
                         {std::pair{ScriptsIni(), &newScripts}, std::pair{SfcIni(), &newSfc}}) {
                        ASSERT_TRUE(
                            settings::store::ReadWholeFile(path.string(), bytes, exists, error));
                        ASSERT_TRUE(bytes == *whole || bytes == before.at(path.string()))
                            << path
                            << " reads as neither its old nor its new content: " << bytes.size()
                            << " bytes, old " << before.at(path.string()).size() << ", new "
                            << whole->size() << "; on disk " << ReadBytes(path).size()
                            << ", backup "
                            << static_cast<int>(settings::store::FindBackup(path.string()).finding);
                    }
                    ASSERT_NO_FATAL_FAILURE(SaveNext(c));
                    ASSERT_EQ(ReadBytes(ScriptsIni()), newScripts);
                    ASSERT_EQ(ReadBytes(SfcIni()), newSfc);
                    for (const auto& entry : fs::recursive_directory_iterator(m_root)) {
                        ASSERT_NE(entry.path().filename().string().rfind(".tc", 0), 0u)
                            << "left over: " << entry.path();
                    }
                    // Another program appends a section to both files after the crash, or
                    // edits their first line: its change is in the file, or the file as it
                    // found it is kept beside it, named where F1 looks.
                    for (const bool append : {true, false}) {
                        // Without a backup every file is read as it is. Large files get one of
                        // the two a state, in turn, to keep the sanitizer run to minutes.
                        if (!c.inPlace || (c.size > 100000 && append != (states % 2 == 0))) {
                            continue;
                        }
                        const auto change = [append](std::string file) {
                            return append ? file + std::string(kSection)
                                          : file.replace(0, kEdit.size(), kEdit);
                        };
                        Materialize(naming, state);
                        std::map<fs::path, std::string> changed;
                        for (const fs::path& path : {ScriptsIni(), SfcIni()}) {
                            changed[path] = change(ReadBytes(path));
                            WriteBytes(path, changed[path]);  // in place, as an editor's save
                        }
                        ASSERT_NO_FATAL_FAILURE(SaveNext(c));
                        for (const auto& [path, whole] :
                             {std::pair{ScriptsIni(), newScripts}, std::pair{SfcIni(), newSfc}}) {
                            const std::string withChange = change(whole);
                            const std::string now = ReadBytes(path);
                            const std::vector<std::string> kept =
                                settings::store::FindBackup(path.string()).keptCopies;
                            ASSERT_TRUE(now == withChange || (now == whole && kept.size() == 1 &&
                                                              ReadBytes(kept[0]) == changed[path]))
                                << path << (append ? " appended" : " edited") << ", " << kept.size()
                                << " kept";
                        }
                    }
                }
                if (states > 0 && HasFatalFailure()) return;
            }
        }
    }
    RecordProperty("states", static_cast<int>(states));
    std::printf("%s: %zu calls, %zu states\n", c.name, events.size(), states);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, PowerLossTest,
                         testing::Values(Case{"replaced_adds_key_1k", false, 1000, nullptr, "0"},
                                         Case{"replaced_grows_1k", false, 1000, "1", "123456"},
                                         Case{"replaced_shrinks_1k", false, 1000, "123456", "1"},
                                         Case{"replaced_adds_key_1m", false, 1000000, nullptr, "0"},
                                         Case{"replaced_grows_1m", false, 1000000, "1", "123456"},
                                         Case{"replaced_shrinks_1m", false, 1000000, "123456", "1"},
                                         Case{"in_place_adds_key_1k", true, 1000, nullptr, "0"},
                                         Case{"in_place_grows_1k", true, 1000, "1", "123456"},
                                         Case{"in_place_shrinks_1k", true, 1000, "123456", "1"},
                                         Case{"in_place_adds_key_1m", true, 1000000, nullptr, "0"},
                                         Case{"in_place_grows_1m", true, 1000000, "1", "123456"},
                                         Case{"in_place_shrinks_1m", true, 1000000, "123456", "1"}),
                         [](const testing::TestParamInfo<Case>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
#endif
