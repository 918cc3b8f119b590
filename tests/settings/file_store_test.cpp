#include "settings/store/file_store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#endif

#include "support/game_files.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// A fresh directory per test, removed afterwards.
class FileStore : public testing::Test {
protected:
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    // Names in the directory: after any call, only the files the test made.
    std::set<std::string> Entries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    const test_support::TempFolder m_temp{"tc-file-store-"};
    const fs::path m_dir = m_temp.path();
};

TEST_F(FileStore, MissingFileReadsEmpty) {
    std::string bytes = "stale";
    bool exists = true;
    int error = -1;
    EXPECT_TRUE(settings::store::ReadWholeFile(Path("absent.ini"), bytes, exists, error));
    EXPECT_FALSE(exists);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(error, 0);
    // A missing folder is a missing file too, as the profile functions see it.
    EXPECT_TRUE(settings::store::ReadWholeFile(Path("no_dir/absent.ini"), bytes, exists, error));
    EXPECT_FALSE(exists);
}

TEST_F(FileStore, DirectoryIsNoFile) {
    std::string bytes;
    bool exists = false;
    int error = 0;
    EXPECT_FALSE(settings::store::ReadWholeFile(m_dir.string(), bytes, exists, error));
    EXPECT_NE(error, 0);
    EXPECT_EQ(settings::store::LastErrorCode(), error);

    error = 0;
    EXPECT_FALSE(settings::store::ReplaceWholeFile(m_dir.string(), "x", error));
    EXPECT_NE(error, 0);
    EXPECT_TRUE(fs::is_directory(m_dir));
    EXPECT_TRUE(Entries().empty());
}

#ifndef _WIN32
// A sparse file far larger than any profile: refused instead of read into memory.
TEST_F(FileStore, OversizedFileIsRefusedNotRead) {
    const std::string path = Path("huge.ini");
    test_support::WriteBytes(path, "[S]\r\nk=v\r\n");
    fs::resize_file(path, settings::store::kMaxFileBytes + 1);
    std::string bytes = "stale";
    bool exists = false;
    int error = 0;
    EXPECT_FALSE(settings::store::ReadWholeFile(path, bytes, exists, error));
    EXPECT_EQ(error, EFBIG);
    EXPECT_TRUE(bytes.empty());
}
#endif

TEST_F(FileStore, RoundTripsEveryByte) {
    std::string bytes;
    for (int i = 0; i < 256 * 3; ++i) bytes.push_back(static_cast<char>(i));
    bytes += "\r\n\n\r\0"s;
    int error = 0;
    ASSERT_TRUE(settings::store::ReplaceWholeFile(Path("a.ini"), bytes, error));
    EXPECT_EQ(test_support::ReadBytes(Path("a.ini")), bytes);

    std::string read;
    bool exists = false;
    ASSERT_TRUE(settings::store::ReadWholeFile(Path("a.ini"), read, exists, error));
    EXPECT_TRUE(exists);
    EXPECT_EQ(read, bytes);

    ASSERT_TRUE(settings::store::ReplaceWholeFile(Path("a.ini"), "", error));
    ASSERT_TRUE(settings::store::ReadWholeFile(Path("a.ini"), read, exists, error));
    EXPECT_TRUE(exists);
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(Entries(), std::set<std::string>{"a.ini"});
}

TEST_F(FileStore, ReplacesLargeFileAndLeavesNoTemporary) {
    test_support::WriteBytes(Path("a.ini"), std::string(1 << 20, 'o'));
    const std::string next(3 << 20, 'n');
    int error = 0;
    ASSERT_TRUE(settings::store::ReplaceWholeFile(Path("a.ini"), next, error));
    EXPECT_EQ(test_support::ReadBytes(Path("a.ini")), next);
    EXPECT_EQ(Entries(), std::set<std::string>{"a.ini"});
}

TEST_F(FileStore, MissingFolderFailsAndCreatesNothing) {
    int error = 0;
    EXPECT_FALSE(settings::store::ReplaceWholeFile(Path("no_dir/a.ini"), "x", error));
#ifdef _WIN32
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
#else
    EXPECT_EQ(error, ENOENT);
#endif
    EXPECT_EQ(settings::store::LastErrorCode(), error);
    EXPECT_TRUE(Entries().empty());
}

TEST_F(FileStore, ReadOnlyTargetRefused) {
    const std::string path = Path("ro.ini");
    test_support::WriteBytes(path, "original");
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
#else
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
#endif
    int error = 0;
    EXPECT_FALSE(settings::store::ReplaceWholeFile(path, "new", error));
#ifdef _WIN32
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
    EXPECT_EQ(error, EACCES);
#endif
    EXPECT_EQ(test_support::ReadBytes(path), "original");
    EXPECT_EQ(Entries(), std::set<std::string>{"ro.ini"});
}

TEST(LastErrorCode, SetAndGet) {
    settings::store::SetLastErrorCode(5);
    EXPECT_EQ(settings::store::LastErrorCode(), 5);
    settings::store::SetLastErrorCode(0);
    EXPECT_EQ(settings::store::LastErrorCode(), 0);
}

// A backup the first release left, its new content known only by the hashes of its pieces
// (written by that release for "era=1" rewritten as "era=123456"), still judges the file.
TEST(BackupRecord, TheFirstReleasesStillJudges) {
    const std::string backup =
        "era=1\r\n\x89\xb0\x9f\xdc\xc4\xbc\x34\xd0\x57\x43\x59\x44\x3b\xe1\xd5\xed\x07"s +
        std::string(7, '\0') + "\x0c"s + std::string(7, '\0') +
        "\xf1\x7e\x5c\x8b\x38\x1d\x00\x78TCBAKREC"s;
    const settings::store::BackupContent record = settings::store::ReadBackupRecord(backup);
    ASSERT_TRUE(record.recorded);
    EXPECT_EQ(record.oldBytes, "era=1\r\n");
    using settings::store::FileJudgement;
    for (const auto& [file, judged] :
         {std::pair{"era=123456\r\n"s, FileJudgement::kWholeNew},
          std::pair{"era=1\r\n"s + std::string(5, '\0'), FileJudgement::kTorn},
          std::pair{"era=123\0\0\0\0\0"s, FileJudgement::kTorn},
          std::pair{"era=1\r\n[Other]\r\n"s, FileJudgement::kChanged}}) {
        EXPECT_EQ(settings::store::JudgeAgainstBackup(file, record), judged) << file;
    }
}

#ifndef _WIN32

bool RunningAsRoot() {
    return geteuid() == 0;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST_F(FileStore, UnreadableFileFails) {
    if (RunningAsRoot()) GTEST_SKIP() << "root reads any file";
    const std::string path = Path("secret.ini");
    test_support::WriteBytes(path, "x");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    std::string bytes;
    bool exists = false;
    int error = 0;
    EXPECT_FALSE(settings::store::ReadWholeFile(path, bytes, exists, error));
    EXPECT_EQ(error, EACCES);
}

TEST_F(FileStore, WritePermissionOfOthersOnlyIsNotEnough) {
    if (RunningAsRoot()) GTEST_SKIP() << "root may write any file";
    const std::string path = Path("theirs.ini");
    test_support::WriteBytes(path, "original");
    ASSERT_EQ(chmod(path.c_str(), 0464), 0);  // owner may not write
    int error = 0;
    EXPECT_FALSE(settings::store::ReplaceWholeFile(path, "new", error));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(test_support::ReadBytes(path), "original");
}

TEST_F(FileStore, PermissionsKept) {
    const std::string path = Path("a.ini");
    test_support::WriteBytes(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    int error = 0;
    ASSERT_TRUE(settings::store::ReplaceWholeFile(path, "new", error));
    EXPECT_EQ(ModeOf(path), 0640u);
    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    ASSERT_TRUE(settings::store::ReplaceWholeFile(path, "newer", error));
    EXPECT_EQ(ModeOf(path), 0604u);
    EXPECT_EQ(test_support::ReadBytes(path), "newer");
}

TEST_F(FileStore, OwnerKeptWhenAllowed) {
    if (!RunningAsRoot()) GTEST_SKIP() << "only root can give a file away";
    const std::string path = Path("theirs.ini");
    test_support::WriteBytes(path, "old");
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    int error = 0;
    ASSERT_TRUE(settings::store::ReplaceWholeFile(path, "new", error));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
}

TEST_F(FileStore, NewFileGetsUmaskMode) {
    const mode_t mask = umask(027);
    int error = 0;
    const bool ok = settings::store::ReplaceWholeFile(Path("new.ini"), "x", error);
    umask(mask);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ModeOf(Path("new.ini")), 0640u);
}

TEST_F(FileStore, SymlinkStaysALink) {
    const std::string target = Path("real.ini");
    test_support::WriteBytes(target, "old");
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    fs::create_directory(m_dir / "sub");
    fs::create_symlink("../real.ini", m_dir / "sub" / "hop.ini");       // relative
    fs::create_symlink(m_dir / "sub" / "hop.ini", m_dir / "link.ini");  // a chain of two

    int error = 0;
    ASSERT_TRUE(settings::store::ReplaceWholeFile(Path("link.ini"), "new", error));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.ini"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "sub" / "hop.ini"));
    EXPECT_EQ(test_support::ReadBytes(target), "new");
    EXPECT_EQ(ModeOf(target), 0600u);
    EXPECT_EQ(Entries(), (std::set<std::string>{"link.ini", "real.ini", "sub"}));
    EXPECT_TRUE(fs::is_empty(m_dir / "sub") == false);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "sub"), fs::directory_iterator()), 1);
}

TEST_F(FileStore, DanglingSymlinkCreatesTarget) {
    fs::create_symlink("made.ini", m_dir / "link.ini");
    int error = 0;
    ASSERT_TRUE(settings::store::ReplaceWholeFile(Path("link.ini"), "x", error));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.ini"));
    EXPECT_EQ(test_support::ReadBytes(Path("made.ini")), "x");
}

TEST_F(FileStore, PipeIsNeitherReadNorReplaced) {
    const std::string path = Path("fifo.ini");
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    std::string bytes;
    bool exists = false;
    int error = 0;
    EXPECT_FALSE(settings::store::ReadWholeFile(path, bytes, exists, error));  // and does not block
    EXPECT_EQ(error, EINVAL);
    error = 0;
    EXPECT_FALSE(settings::store::ReplaceWholeFile(path, "x", error));
    EXPECT_EQ(error, EINVAL);
    EXPECT_EQ(fs::status(path).type(), fs::file_type::fifo);
    EXPECT_EQ(Entries(), std::set<std::string>{"fifo.ini"});
}

TEST_F(FileStore, SymlinkLoopFails) {
    fs::create_symlink("b.ini", m_dir / "a.ini");
    fs::create_symlink("a.ini", m_dir / "b.ini");
    int error = 0;
    EXPECT_FALSE(settings::store::ReplaceWholeFile(Path("a.ini"), "x", error));
    EXPECT_EQ(error, ELOOP);
    EXPECT_EQ(Entries(), (std::set<std::string>{"a.ini", "b.ini"}));
}

TEST_F(FileStore, UnwritableFolderLeavesOriginal) {
    if (RunningAsRoot()) GTEST_SKIP() << "root writes into any folder";
    const std::string path = Path("a.ini");
    test_support::WriteBytes(path, "original");
    ASSERT_EQ(chmod(m_dir.c_str(), 0555), 0);
    int error = 0;
    EXPECT_FALSE(settings::store::ReplaceWholeFile(path, "new", error));
    EXPECT_EQ(error, EACCES);
    chmod(m_dir.c_str(), 0755);
    EXPECT_EQ(test_support::ReadBytes(path), "original");
    EXPECT_EQ(Entries(), std::set<std::string>{"a.ini"});
}

// A write that fails half-way (here: the file-size limit) removes its temporary file and leaves
// the original alone. Runs in a child so the limit stays there; works as root too.
TEST_F(FileStore, FailedWriteLeavesOriginalAndNoTemporary) {
    const std::string path = Path("a.ini");
    test_support::WriteBytes(path, "original");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        int error = 0;
        const bool ok = settings::store::ReplaceWholeFile(path, std::string(1 << 16, 'n'), error);
        _exit(ok ? 10 : (error == EFBIG ? 0 : 11));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test_support::ReadBytes(path), "original");
    EXPECT_EQ(Entries(), std::set<std::string>{"a.ini"});
}

// A writer killed at any moment leaves the file holding one whole content or the other.
TEST_F(FileStore, KilledWriterNeverLeavesAPartialFile) {
    const std::string path = Path("scripts.ini");
    std::string first, second;
    for (int i = 0; i < 6000; ++i) first += "[S" + std::to_string(i) + "]\r\nk=first\r\n";
    for (int i = 0; i < 9000; ++i) second += "second line " + std::to_string(i) + "\n";
    int error = 0;
    ASSERT_TRUE(settings::store::ReplaceWholeFile(path, first, error));

    std::mt19937 rng(12345);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    int rounds = 0;
    int interrupted = 0;  // rounds whose kill hit a write in progress
    for (; rounds < 150 && std::chrono::steady_clock::now() < deadline; ++rounds) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned n = 0;; ++n) {
                int e = 0;
                if (!settings::store::ReplaceWholeFile(path, (n % 2) ? second : first, e)) _exit(3);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 8000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer stopped by itself, round " << rounds;

        const std::string now = test_support::ReadBytes(path);
        ASSERT_TRUE(now == first || now == second)
            << "partial file, round " << rounds << ", " << now.size() << " bytes";
        // The killed writer may leave its own temporary file, never more than one.
        int strays = 0;
        for (const std::string& name : Entries()) {
            if (name == "scripts.ini") continue;
            ++strays;
            EXPECT_EQ(name.rfind(settings::store::StagingPrefix("scripts.ini"), 0), 0u) << name;
            fs::remove(m_dir / name);
        }
        EXPECT_LE(strays, 1);
        interrupted += strays;
    }
    EXPECT_GE(rounds, 20);
    RecordProperty("rounds", rounds);
    RecordProperty("interrupted", interrupted);
}

#else  // _WIN32

TEST_F(FileStore, DirectoryReadGivesAccessDenied) {
    std::string bytes;
    bool exists = false;
    int error = 0;
    EXPECT_FALSE(settings::store::ReadWholeFile(m_dir.string(), bytes, exists, error));
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);
}

TEST_F(FileStore, HiddenAttributeKept) {
    const std::string path = Path("h.ini");
    test_support::WriteBytes(path, "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    int error = 0;
    ASSERT_TRUE(settings::store::ReplaceWholeFile(path, "new", error)) << error;
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(test_support::ReadBytes(path), "new");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

#endif

}  // namespace
