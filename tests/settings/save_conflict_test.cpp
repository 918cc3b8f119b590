// Two instances at once, a crash's leftovers, file systems that keep no modes and files planted
// at the backup's name: no save loses or leaks a byte of the game's files.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "settings/record/script_settings.h"
#include "settings/store/file_store.h"
#include "support/game_folder_test.h"
#include "support/syscall_layer.h"

namespace {

namespace fs = std::filesystem;
namespace sys = test_support::sys;
using settings::store::BackupFinding;
using sys::Call;

class SaveConflictTest : public test_support::GameFolderTest {
protected:
    void SetUp() override {
        m_keys.era = "1";
        WriteGame(m_keys);
    }

    fs::path Backup() const {
        return ScriptsIni().parent_path() / settings::store::BackupName("scripts.ini");
    }
    // A second name keeps the file where it is: it is rewritten in place.
    void KeepInPlace() { fs::create_hard_link(ScriptsIni(), m_link); }

    // A save in place of `era`, cut off by a crash at the rewrite's first `call` (by default
    // just before it): the backup stays, with the file as the rewrite left it.
    void CrashBeforeRewrite(Call call = Call::kPwrite, int era = 0) {
        const pid_t child = fork();
        if (child == 0) {
            const sys::Layer layer([call](const sys::Event& e) {
                if (e.call == call && sys::Names(e, "scripts.ini")) _exit(0);
                return 0;
            });
            SaveEra(era);
            _exit(1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        ASSERT_TRUE(fs::exists(Backup()));
    }

    static bool SaveEra(int era) {
        CScriptSettings record;
        if (!record.Load()) return false;
        record.SetEra(era);
        return record.Save();
    }
    static int LoadedEra() {
        CScriptSettings record;
        EXPECT_TRUE(record.Load());
        return record.GetEra();
    }
    std::string ScriptsWith(const char* era, const std::string& tail = "") const {
        test_support::GameKeys keys = m_keys;
        keys.era = era;
        return test_support::ScriptsIniBytes(keys) + tail;
    }

    test_support::GameKeys m_keys;
    const fs::path m_link = m_root / "scripts.link";
};

// A second instance that loads or saves while the first rewrites the file waits for it, and
// then works on what it wrote; one whose backup vanishes as it opens it reads the whole file.
TEST_F(SaveConflictTest, TwoInstancesTakeTurns) {
    std::string padding = "[Padding]\r\n";
    for (int i = 0; i < 20000; ++i) padding += "padkey" + std::to_string(i) + "=1\r\n";
    WriteBytes(ScriptsIni(), ScriptsWith("1", padding));
    KeepInPlace();
    const pid_t first = getpid();
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t second = -1;
    {
        const sys::Layer layer([&](const sys::Event& e) {
            if (getpid() != first || second != -1 || e.call != Call::kPwrite ||
                !sys::Names(e, "scripts.ini")) {
                return 0;
            }
            // F1 meanwhile tells a save in progress, not a torn file.
            EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()).finding,
                      BackupFinding::kInProgress);
            second = fork();
            if (second == 0) {
                // Another process: none of the first one's open files (and so its locks).
                for (int fd = 3; fd < 1024; ++fd) {
                    if (fd != report[1]) close(fd);
                }
                CScriptSettings record;
                const bool loaded = record.Load();
                const char era = static_cast<char>('0' + record.GetEra());
                record.SetUIType(3);
                const char saved = loaded && record.Save() ? 'y' : 'n';
                const char out[2] = {era, saved};
                _exit(write(report[1], out, 2) == 2 ? 0 : 1);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            int status = 0;
            EXPECT_EQ(waitpid(second, &status, WNOHANG), 0) << "did not wait for the save";
            return 0;
        });
        ASSERT_TRUE(SaveEra(0));
    }
    int status = 0;
    ASSERT_EQ(waitpid(second, &status, 0), second);
    char out[2] = {};
    ASSERT_EQ(read(report[0], out, 2), 2);
    close(report[0]);
    close(report[1]);
    EXPECT_EQ(out[0], '0');  // what the first instance saved
    EXPECT_EQ(out[1], 'y');
    EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("0", padding));
    EXPECT_NE(ReadBytes(SfcIni()).find("UIType=3"), std::string::npos);

    // The other instance removes the backup between this one's look and its open.
    for (const bool save : {false, true}) {
        CrashBeforeRewrite();
        const sys::Layer layer([&](const sys::Event& e) {
            if (e.call == Call::kOpen && e.path == Backup().string()) fs::remove(Backup());
            return 0;
        });
        CScriptSettings record;
        ASSERT_TRUE(record.Load());
        EXPECT_EQ(record.GetEra(), 0);
        if (save) {
            record.SetUIType(2);
            ASSERT_TRUE(record.Save());
            EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("0", padding));
        }
    }
}

// A backup is believed only while the file is the torn rewrite it records: another program's
// change since is kept (a rewrite cut off before it changed the file, then a section appended),
// and where the file is torn as well, the next save repairs it and keeps the file as found
// beside it (a shrinking rewrite cut off before its truncation, then a section appended).
TEST_F(SaveConflictTest, ABackupNeverUndoesALaterChange) {
    const std::string section = "[Another mission]\r\nodds=7\r\n";
    const std::string other = "[Other]\r\nkeep=1\r\n";  // the save adds our section: it grows
    KeepInPlace();
    WriteBytes(ScriptsIni(), other);
    CrashBeforeRewrite(Call::kPwrite, 123456);
    WriteBytes(ScriptsIni(), other + section);  // within the new content's length
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()).finding, BackupFinding::kStale);
    ASSERT_TRUE(SaveEra(0));
    EXPECT_EQ(ReadBytes(ScriptsIni()).rfind(other + section + "[Mul_Tavrel]\r\n", 0), 0u);
    EXPECT_EQ(LoadedEra(), 0);
    EXPECT_FALSE(fs::exists(Backup()));

    WriteBytes(ScriptsIni(), ScriptsWith("123456"));  // the save shrinks it
    CrashBeforeRewrite(Call::kFtruncate, 1);
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()).finding, BackupFinding::kGuarding);
    const std::string found = ReadBytes(ScriptsIni()) + section;  // with the stale tail
    WriteBytes(ScriptsIni(), found);
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()).finding,
              BackupFinding::kTornAndChanged);
    EXPECT_EQ(LoadedEra(), 123456);
    ASSERT_TRUE(SaveEra(2));
    EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("2"));
    const fs::path keptCopy = ScriptsIni().string() + ".before-repair";
    EXPECT_EQ(ReadBytes(keptCopy), found);
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()).keptCopies,
              std::vector<std::string>{keptCopy.string()});
    fs::remove(keptCopy);

    const fs::path kept = m_root / "kept.bak";
    {
        const sys::Layer layer([&](const sys::Event& e) {
            if (e.call == Call::kUnlink && e.path == Backup().string()) {
                fs::copy_file(Backup(), kept);
            }
            return 0;
        });
        ASSERT_TRUE(SaveEra(1));
    }
    fs::rename(kept, Backup());
    EXPECT_EQ(LoadedEra(), 1);
    ASSERT_TRUE(SaveEra(1));
    EXPECT_FALSE(fs::exists(Backup()));

    // An older version's backup has no record to judge by: it is read, as it always was.
    WriteBytes(Backup(), ScriptsWith("5"));
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()).finding,
              BackupFinding::kUnrecorded);
    EXPECT_EQ(LoadedEra(), 5);
}

// NTFS or FAT through FUSE, or a mount with fixed permissions: a mode or owner that cannot be
// set on our own files is no failure where the file we made has the file's own, or where none
// is kept. The mounts here give every new file the mode of the game's files and refuse any
// other: a fixed 0644 on both paths, and NTFS with umask=000, where everything is 0777.
TEST_F(SaveConflictTest, FileSystemsThatRefuseModes) {
    for (const auto& [what, mode, inPlace] : {std::tuple{"0644, replaced", 0644u, false},
                                              {"0644, in place", 0644u, true},
                                              {"umask=000, in place", 0777u, true}}) {
        SCOPED_TRACE(what);
        for (const fs::path& file : {ScriptsIni(), SfcIni()}) {
            ASSERT_EQ(chmod(file.c_str(), mode), 0);
        }
        if (inPlace && !fs::exists(m_link)) KeepInPlace();
        const sys::Layer layer([mode = mode](const sys::Event& e) {
            if (e.call == Call::kFchmod) fchmod(e.fd, mode);
            return e.call == Call::kFchmod || e.call == Call::kFchown ? EPERM : 0;
        });
        EXPECT_TRUE(SaveEra(static_cast<int>(mode))) << settings::store::LastErrorCode();
        EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith(std::to_string(mode).c_str()));
    }
    fs::remove(m_link);
    ASSERT_EQ(chmod(ScriptsIni().c_str(), 0600), 0);
    const sys::Layer layer(
        [](const sys::Event& e) { return e.call == Call::kFchmod ? ENOSYS : 0; });
    EXPECT_TRUE(SaveEra(4)) << settings::store::LastErrorCode();
}

// Instance A's commit of sfc.ini fails just after its scripts.ini was replaced, and instance B,
// open since before, presses OK right then: B waits until A has put scripts.ini back and saves
// both. On either path both files are B's, and A reports its failure.
TEST_F(SaveConflictTest, AnUndoNeverOverwritesAnotherSave) {
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "replaced");
        WriteGame(m_keys);
        if (inPlace) KeepInPlace();
        int loaded[2], pressed[2];
        ASSERT_EQ(pipe(loaded), 0);
        ASSERT_EQ(pipe(pressed), 0);
        const pid_t other = fork();
        if (other == 0) {
            CScriptSettings record;
            char press = record.Load() ? 'y' : 'n';
            if (write(loaded[1], &press, 1) != 1 || read(pressed[0], &press, 1) != 1) _exit(2);
            record.SetEra(2);
            record.SetUIType(3);
            _exit(record.Save() ? 0 : 1);
        }
        char ready = 0;
        ASSERT_EQ(read(loaded[0], &ready, 1), 1);
        {
            bool held = false;
            const sys::Layer layer([&](const sys::Event& e) {
                if (held || e.call != Call::kRename || !sys::Names(e, "sfc.ini")) return 0;
                held = write(pressed[1], "x", 1) == 1;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                return EIO;
            });
            EXPECT_FALSE(SaveEra(0));
            EXPECT_EQ(settings::store::LastErrorCode(), EIO);
        }
        int status = 0;
        ASSERT_EQ(waitpid(other, &status, 0), other);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("2"));
        EXPECT_NE(ReadBytes(SfcIni()).find("UIType=3"), std::string::npos);
        for (const int fd : {loaded[0], loaded[1], pressed[0], pressed[1]}) close(fd);
    }
}

// A reader that keeps scripts.ini locked delays a save a few seconds at most: then a
// replacement by rename goes on (a reader sees it whole), and a rewrite in place fails with
// EBUSY, changing neither file.
TEST_F(SaveConflictTest, AReaderDelaysASaveOnlyBriefly) {
    const auto holdForReading = [this] {
        const int fd = open(ScriptsIni().c_str(), O_RDONLY | O_CLOEXEC);
        struct flock lock {};
        lock.l_type = F_RDLCK;
        EXPECT_EQ(fcntl(fd, F_OFD_SETLK, &lock), 0);
        return fd;
    };
    int reader = holdForReading();
    EXPECT_TRUE(SaveEra(0)) << settings::store::LastErrorCode();
    EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("0"));
    close(reader);

    KeepInPlace();
    reader = holdForReading();
    const std::string sfc = ReadBytes(SfcIni());
    EXPECT_FALSE(SaveEra(1));
    EXPECT_EQ(settings::store::LastErrorCode(), EBUSY);
    EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("0"));
    EXPECT_EQ(ReadBytes(SfcIni()), sfc);
    close(reader);
}

// A backup is trusted only from someone who may write the file, by the system's group
// database and never by the backup's own group. Run as root, the same with real users in
// folders of mode 3777 (setgid, sticky, world-writable), where anyone's file gets the game's
// group: a planted backup never reaches scripts.ini, and a trusted backup a member may not
// remove fails her save before anything changes.
TEST_F(SaveConflictTest, OnlyThoseWhoMayWriteTheFileAreTrusted) {
    // The file is 1000's, group 50 may write it; 1001 is a member of 50, 1002 is not.
    const auto member = [](unsigned user, unsigned group) { return user == 1001 && group == 50; };
    // Owner, whether the group may write, who asks and whether they may write: trusted?
    for (const auto& [owner, groupMayWrite, us, weMayWrite, trusted] :
         {std::tuple{1000u, false, 1002u, true, true},
          {0u, false, 1002u, false, true},
          {1001u, true, 1002u, false, true},
          {1001u, false, 0u, true, false},
          {1002u, true, 0u, true, false},
          {1002u, true, 1002u, true, true},
          {1002u, true, 1002u, false, false}}) {
        settings::store::BackupMaker maker{true,          1,  owner,     true, 1000, 50,
                                           groupMayWrite, us, weMayWrite};
        EXPECT_EQ(settings::store::TrustBackup(maker, member), trusted) << owner << " " << us;
        maker.links = 2;
        EXPECT_FALSE(settings::store::TrustBackup(maker, member));
    }

    // daemon is a member of its own group by the database; nobody is in none of them.
    const passwd* entry = getpwnam("daemon");
    const uid_t playerId = entry != nullptr ? entry->pw_uid : 0;
    const gid_t games = entry != nullptr ? entry->pw_gid : 0;
    entry = getpwnam("nobody");
    const uid_t strangerId = entry != nullptr ? entry->pw_uid : 0;
    const gid_t strangers = entry != nullptr ? entry->pw_gid : 0;
    if (geteuid() != 0 || playerId == 0 || strangerId == 0) {
        GTEST_SKIP() << "the real users' run needs root and the users daemon and nobody";
    }
    const auto as = [](uid_t user, gid_t group, const std::function<int()>& body) {
        const pid_t child = fork();
        if (child == 0) {
            const bool switched =
                setgroups(1, &group) == 0 && setgid(group) == 0 && setuid(user) == 0;
            _exit(switched ? body() : 99);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const auto saved = [](int era) { return SaveEra(era) ? 0 : settings::store::LastErrorCode(); };
    for (const fs::path& path :
         {m_root, m_root / "Assets", ScriptsIni().parent_path(), ScriptsIni(), SfcIni()}) {
        ASSERT_EQ(chown(path.c_str(), 0, games), 0);
        ASSERT_EQ(chmod(path.c_str(), fs::is_directory(path) ? 03777 : 0664), 0);
    }
    const auto plant = [this] { return test_support::WriteBytes(Backup(), "era=7") ? 0 : 1; };
    EXPECT_EQ(as(strangerId, strangers, plant), 0);
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()).finding, BackupFinding::kForeign);
    // The member rewrites root's file in place, which the planted file stops; root replaces it.
    EXPECT_EQ(as(playerId, games, [&] { return LoadedEra() == 1 ? saved(0) : 98; }), EEXIST);
    EXPECT_EQ(saved(3), 0);
    EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("3"));
    fs::remove(Backup());

    WriteBytes(ScriptsIni(), ScriptsWith("12345"));
    KeepInPlace();
    CrashBeforeRewrite(Call::kFtruncate, 1);
    const std::string torn = ReadBytes(ScriptsIni());
    EXPECT_EQ(as(playerId, games, [&] { return LoadedEra() == 12345 ? saved(0) : 98; }), EPERM);
    EXPECT_EQ(ReadBytes(ScriptsIni()), torn);
}

// A backup the save cannot remove fails it before either file changes; one Load cannot read
// is passed over, and the next save removes it.
TEST_F(SaveConflictTest, BackupsThatCannotBeRemovedOrRead) {
    KeepInPlace();
    CrashBeforeRewrite();
    fs::remove(m_link);
    const std::string scripts = ReadBytes(ScriptsIni());
    const std::string sfc = ReadBytes(SfcIni());
    {
        const sys::Layer layer([&](const sys::Event& e) {
            return e.call == Call::kUnlink && e.path == Backup().string() ? EPERM : 0;
        });
        EXPECT_FALSE(SaveEra(0));
        EXPECT_EQ(settings::store::LastErrorCode(), EPERM);
    }
    EXPECT_EQ(ReadBytes(ScriptsIni()), scripts);
    EXPECT_EQ(ReadBytes(SfcIni()), sfc);
    EXPECT_TRUE(fs::exists(Backup()));

    WriteBytes(Backup(), ScriptsWith("5"));
    {
        const sys::Layer layer([&](const sys::Event& e) {
            return e.call == Call::kOpen && e.path == Backup().string() ? EACCES : 0;
        });
        EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()).finding,
                  BackupFinding::kUnreadable);
        EXPECT_EQ(LoadedEra(), 1);
        EXPECT_TRUE(SaveEra(2));
    }
    EXPECT_FALSE(fs::exists(Backup()));
    EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("2"));
}

// Another user's link at the backup's name is never read through or removed: Load reads the
// file, a rewrite in place refuses to start, a replacement leaves the link alone.
TEST_F(SaveConflictTest, APlantedLinkIsNeverFollowed) {
    const fs::path secret = m_root / "secret.txt";
    WriteBytes(secret, "SECRET CONTENT");
    ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
    fs::create_symlink(secret, Backup());
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()).finding, BackupFinding::kForeign);
    EXPECT_EQ(LoadedEra(), 1);

    KeepInPlace();
    const std::string scripts = ReadBytes(ScriptsIni());
    const std::string sfc = ReadBytes(SfcIni());
    EXPECT_FALSE(SaveEra(0));
    EXPECT_EQ(settings::store::LastErrorCode(), EEXIST);
    EXPECT_EQ(ReadBytes(ScriptsIni()), scripts);
    EXPECT_EQ(ReadBytes(SfcIni()), sfc);

    fs::remove(m_link);
    EXPECT_TRUE(SaveEra(0));
    EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("0"));
    EXPECT_TRUE(fs::is_symlink(Backup()));
    EXPECT_EQ(ReadBytes(secret), "SECRET CONTENT");
}

}  // namespace
#endif
