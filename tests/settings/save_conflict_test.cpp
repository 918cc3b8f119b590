// Two instances at once, a crash's leftovers, file systems that keep no modes and files planted
// at the backup's name: no save loses or leaks a byte of the game's files.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

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

    // A save in place of era=0, cut off by a crash just before its rewrite: the file as it
    // was, and the backup that guards it.
    void CrashBeforeRewrite() {
        const pid_t child = fork();
        if (child == 0) {
            const sys::Layer layer([](const sys::Event& e) {
                if (e.call == Call::kPwrite && sys::Names(e, "scripts.ini")) _exit(0);
                return 0;
            });
            SaveEra(0);
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

// A backup is believed only while the file is the torn rewrite it guards: a change made since
// by another program, or a save whose backup a power loss brought back, is what is read.
TEST_F(SaveConflictTest, ABackupNeverUndoesALaterChange) {
    KeepInPlace();
    CrashBeforeRewrite();
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()), BackupFinding::kGuarding);
    // Only a section appended: every byte the backup guards is still the old one.
    const std::string section = "[Another mission]\r\nodds=7\r\n";
    WriteBytes(ScriptsIni(), ScriptsWith("1", section));
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()), BackupFinding::kStale);
    CScriptSettings record;
    ASSERT_TRUE(record.Load());
    record.SetEra(0);
    ASSERT_TRUE(record.Save());
    EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("0", section));
    EXPECT_FALSE(fs::exists(Backup()));

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
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()), BackupFinding::kUnrecorded);
    EXPECT_EQ(LoadedEra(), 5);
}

// NTFS or FAT through FUSE, or a mount with fixed permissions: a mode or owner that cannot be
// set on our own files is no failure where the file already has it, or where none is kept.
TEST_F(SaveConflictTest, FileSystemsThatRefuseModes) {
    for (const fs::path& file : {ScriptsIni(), SfcIni()}) {
        ASSERT_EQ(chmod(file.c_str(), 0666 & ~umask(022)), 0);
    }
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "replaced");
        if (inPlace) KeepInPlace();
        const sys::Layer layer([](const sys::Event& e) {
            return e.call == Call::kFchmod || e.call == Call::kFchown ? EPERM : 0;
        });
        EXPECT_TRUE(SaveEra(inPlace ? 2 : 3)) << settings::store::LastErrorCode();
    }
    EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsWith("2"));
    fs::remove(m_link);
    ASSERT_EQ(chmod(ScriptsIni().c_str(), 0600), 0);
    const sys::Layer layer(
        [](const sys::Event& e) { return e.call == Call::kFchmod ? ENOSYS : 0; });
    EXPECT_TRUE(SaveEra(4)) << settings::store::LastErrorCode();
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
        EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()), BackupFinding::kUnreadable);
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
    EXPECT_EQ(settings::store::FindBackup(ScriptsIni().string()), BackupFinding::kForeign);
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
