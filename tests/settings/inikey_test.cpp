// The inikey tool, run as a separate process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "settings/ini/ini_profile.h"
#include "support/game_files.h"
#include "support/utf16_file.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace {

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

using test_support::ReadBytes;
using test_support::WriteBytes;

std::string Quote(const std::string& arg) {
    return "\"" + arg + "\"";
}

std::string ToolPath() {
    std::string path = TC_INIKEY_PATH;
#ifdef _WIN32
    // Under Wine the build hands us a Unix path; drive Z: is the Unix root.
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
#endif
    return path;
}

class Inikey : public testing::Test {
protected:
    std::string File(const std::string& name) const { return (m_dir / name).string(); }

    // Runs the tool with already quoted arguments and the given stdin.
    Result Run(const std::string& args, const std::string& input = "") const {
        const fs::path in = m_dir / "stdin.txt", out = m_dir / "stdout.txt",
                       err = m_dir / "stderr.txt";
        WriteBytes(in, input);
        std::string command = Quote(ToolPath()) + " " + args + " < " + Quote(in.string()) + " > " +
                              Quote(out.string()) + " 2> " + Quote(err.string());
#ifdef _WIN32
        command = "\"" + command + "\"";  // cmd /c drops the outer quotes
#endif
        Result r;
        const int status = std::system(command.c_str());
#ifdef _WIN32
        r.code = status;
#else
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
        r.out = ReadBytes(out);
        r.err = ReadBytes(err);
        return r;
    }

    const test_support::TempFolder m_temp{"tc-inikey-"};
    const fs::path m_dir = m_temp.path();
};

TEST_F(Inikey, SetThenGet) {
    const std::string file = File("a.ini");
    Result r = Run("set " + Quote(file) + " Mul_Tavrel era 2");
    ASSERT_EQ(r.code, 0) << r.err;
    r = Run("set " + Quote(file) + " MUL_TAVREL type " + Quote("v 1"));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(file), "[Mul_Tavrel]\r\nera=2\r\ntype=v 1\r\n");

    r = Run("get " + Quote(file) + " mul_tavrel TYPE");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "v 1\n");
    r = Run("get " + Quote(file) + " Mul_Tavrel absent");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "\n");
}

TEST_F(Inikey, UnicodeFileStaysUnicode) {
    const std::string file = File("u.ini");
    WriteBytes(file, Utf16File(u"; \u4E00\r\n[Mul_Tavrel]\r\nera=1\r\n"));
    Result r = Run("batch " + Quote(file), "set\tMul_Tavrel\tera\t2\nset\tUI\tUIType\t\xE9\n");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(file),
              Utf16File(u"; \u4E00\r\n[Mul_Tavrel]\r\nera=2\r\n[UI]\r\nUIType=\u00E9\r\n"));
    r = Run("get " + Quote(file) + " ui uitype");
    EXPECT_EQ(r.out, "\xE9\n");
}

TEST_F(Inikey, GetUsesA64CharacterBuffer) {
    const std::string file = File("a.ini");
    WriteBytes(file, "[s]\nk=" + std::string(80, 'x') + "\n");
    const Result r = Run("get " + Quote(file) + " s k");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string(63, 'x') + "\n");
}

TEST_F(Inikey, GetOnMissingFilePrintsEmptyValue) {
    const Result r = Run("get " + Quote(File("none.ini")) + " s k");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "\n");
    EXPECT_FALSE(fs::exists(File("none.ini")));
}

TEST_F(Inikey, BatchAppliesEverythingAndWritesOnce) {
    const std::string file = File("a.ini");
    const std::string original =
        "; settings\r\n[Mul_Tavrel]\r\nera=1\r\n;end\r\n[UI]\r\nUIType=0\r\n";
    WriteBytes(file, original);
    const Result r = Run("batch " + Quote(file),
                         "get\tMul_Tavrel\tera\n"
                         "set\tMul_Tavrel\tera\t2\n"
                         "set\tMul_Tavrel\thull\t-1\r\n"
                         "\n"
                         "set\tUI\tUIType\t2\n"
                         "get\tmul_tavrel\tERA\n"
                         "set\tNew\tk\tvalue\twith tab\n"
                         "get\tNew\tk\n");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "1\n2\nvalue\twith tab\n");
    EXPECT_EQ(r.err.rfind("elapsed_us ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find_first_of("0123456789"), std::string::npos);

    std::string expected = original;
    settings::ini::SetString(expected, "Mul_Tavrel", "era", "2");
    settings::ini::SetString(expected, "Mul_Tavrel", "hull", "-1");
    settings::ini::SetString(expected, "UI", "UIType", "2");
    settings::ini::SetString(expected, "New", "k", "value\twith tab");
    EXPECT_EQ(ReadBytes(file), expected);
}

TEST_F(Inikey, BatchOfGetsLeavesFileUntouched) {
    const std::string file = File("a.ini");
    WriteBytes(file, "[s]\nk=1");
    const fs::file_time_type before = fs::last_write_time(file);
    const Result r = Run("batch " + Quote(file), "get\ts\tk\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(ReadBytes(file), "[s]\nk=1");
    EXPECT_EQ(fs::last_write_time(file), before);
}

TEST_F(Inikey, FailuresExitNonZeroWithAMessage) {
    const std::string file = File("a.ini");
    WriteBytes(file, "[s]\r\nk=1\r\n");
    struct Case {
        std::string args;
        std::string input;
        std::string message;
    };
    const Case cases[] = {
        {"", "", "missing command"},
        {"get " + Quote(file) + " s", "", "get takes"},
        {"set " + Quote(file) + " s k", "", "set takes"},
        {"frobnicate " + Quote(file), "", "unknown command"},
        {"get " + Quote(m_dir.string()) + " s k", "", "cannot read"},
        {"set " + Quote(File("no_dir/a.ini")) + " s k v", "", "cannot write"},
        {"batch " + Quote(file), "set\ts\tk\t2\nput\ts\tk\n", "batch line 2"},
        {"batch " + Quote(file), "get\ts\n", "batch line 1"},
        {"batch " + Quote(file) + " extra", "", "batch takes"},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.args, c.input);
        EXPECT_NE(r.code, 0) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    }
    EXPECT_EQ(ReadBytes(file), "[s]\r\nk=1\r\n");  // the bad batch did nothing
}

#ifndef _WIN32
TEST_F(Inikey, NativeNeedsWindows) {
    const Result r = Run("--native get " + Quote(File("a.ini")) + " s k");
    EXPECT_NE(r.code, 0);
    EXPECT_NE(r.err.find("Windows"), std::string::npos);
}
#else
TEST_F(Inikey, NativeModeReadsAndWritesThroughTheSystem) {
    const std::string file = File("n.ini");
    Result r = Run("--native set " + Quote(file) + " S k value");
    ASSERT_EQ(r.code, 0) << r.err;
    r = Run("--native get " + Quote(file) + " s K");
    EXPECT_EQ(r.out, "value\n");
    r = Run("--native batch " + Quote(file), "set\tS\tn\t2\nget\tS\tn\nget\tS\tk\n");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "2\nvalue\n");
    EXPECT_EQ(settings::ini::GetString(ReadBytes(file), "S", "n"), "2");
}
#endif

}  // namespace
