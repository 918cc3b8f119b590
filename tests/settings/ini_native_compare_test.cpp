// Our engine against the system's profile functions on real files (Wine's, when the Windows build
// runs its tests under Wine). Wine rewrites a whole file on every write, so writes are compared by
// the values that read back, not by bytes. Cases where Wine is known to differ from Windows are
// left out: comment lines asked for as keys (Wine returns them), section names (Wine ends them at
// the last ']' and rejects a header without one), lines before the first header (Wine reads them
// as section ""), byte-order marks (Wine honours a UTF-8 one), blanks other than spaces around
// arguments, form feed and Ctrl-Z around names and values (Wine trims them too), NUL bytes before
// a line's '=' (Wine still finds the key), and leading blanks of written values (Wine drops them).
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "settings/ini/ini_profile.h"
#include "settings/store/file_store.h"

using namespace std::string_literals;

namespace {

std::string TempFile() {
    static int counter = 0;
    char dir[MAX_PATH + 1] = {};
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "tc_ini_compare_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(counter++) + ".ini";
}

void Store(const std::string& path, const std::string& bytes) {
    int error = 0;
    ASSERT_TRUE(settings::store::ReplaceWholeFile(path, bytes, error)) << error;
}

std::string Load(const std::string& path) {
    std::string bytes;
    bool exists = false;
    int error = 0;
    EXPECT_TRUE(settings::store::ReadWholeFile(path, bytes, exists, error)) << error;
    return bytes;
}

std::string SystemGet(const std::string& path, const std::string& section, const std::string& key,
                      DWORD size = 64) {
    std::vector<char> buffer(size + 1, '\0');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), size,
                                             path.c_str());
    return std::string(buffer.data(), n);
}

struct Probe {
    std::string section;
    std::string key;
};

struct ReadCase {
    std::string bytes;
    std::vector<Probe> probes;
};

TEST(NativeCompare, ReadsAgree) {
    const std::string hundred(100, 'x');
    const std::vector<ReadCase> cases = {
        {"[Section1]\r\nName1=val1", {{"section1", "NAME1"}, {"SECTION1", "name1"}}},
        {"[ sec ]\r\n  key  =  value  ", {{"sec", "key"}}},
        {"[s]\nmy key = a  b \n", {{"s", "my key"}}},
        {"[s]\n\tk\t=\t v \t\n", {{"s", "k"}}},
        {"[sec]\nkey=1\n", {{" sec ", " key "}, {"sec", "key"}}},
        {"[s]\nk=a=b\n", {{"s", "k"}}},
        {"[s]\nk=1\nK=2\n", {{"s", "k"}, {"s", "K"}}},
        {"[a]\nx=1\n[b]\ny=0\n[A]\ny=2\n", {{"a", "y"}, {"a", "x"}, {"b", "y"}}},
        {"[a]\n[b]\nk=1\n", {{"a", "k"}, {"b", "k"}}},
        {"[s]\nk=\nm=   \n", {{"s", "k"}, {"s", "m"}, {"s", "absent"}, {"t", "k"}}},
        {"[s]\na=\"abc\"\nb='abc'\nc=  \"   x   \"  \nn=\"\"abc\"\"\nm='\"abc\"'\n"
         "u=\"abc\nd=\"abc'\ni=x\"abc\"\ne=\"\"\nh=\"a\"b\"\nq=\"\n",
         {{"s", "a"},
          {"s", "b"},
          {"s", "c"},
          {"s", "n"},
          {"s", "m"},
          {"s", "u"},
          {"s", "d"},
          {"s", "i"},
          {"s", "e"},
          {"s", "h"},
          {"s", "q"}}},
        {"[s]\n;x=v\nk=v ; inline\na;b=1\n#h=hash\nnoequals\n",
         {{"s", "k"}, {"s", "a;b"}, {"s", "#h"}, {"s", "noequals"}}},
        {"  [s]\nk=1\n", {{"s", "k"}}},
        {"[s]\nk=" + hundred + "\n", {{"s", "k"}}},
        {"[s]\nk=\"" + hundred + "\"\n", {{"s", "k"}}},
        {"[s]\r\na=1\r\nk=2\r\n", {{"s", "a"}, {"s", "k"}}},
        {"[s]\ra=1\rk=2\r[t]\rk=3", {{"s", "a"}, {"s", "k"}, {"t", "k"}}},
        {"[s]\n\rk=2\n\r", {{"s", "k"}}},
        {"[s]\r\nk=last", {{"s", "k"}}},
        {"[s]\nk=ab\0cd\nm=2\n"s, {{"s", "k"}, {"s", "m"}}},
        {"[Mul_Tavrel]\r\nmultiplier=1.10\r\ntype=0\r\nrrace=-1\r\nhull=abc\r\n"
         "hullpercentA=1093813840\r\n[UI]\r\nUIType=2\r\n",
         {{"Mul_Tavrel", "multiplier"},
          {"Mul_Tavrel", "type"},
          {"Mul_Tavrel", "rrace"},
          {"Mul_Tavrel", "hull"},
          {"Mul_Tavrel", "hullpercentA"},
          {"Mul_Tavrel", "era"},
          {"UI", "UIType"}}},
    };
    for (const ReadCase& c : cases) {
        const std::string path = TempFile();
        Store(path, c.bytes);
        for (const Probe& p : c.probes) {
            EXPECT_EQ(settings::ini::GetString(c.bytes, p.section, p.key),
                      SystemGet(path, p.section, p.key))
                << "[" << p.section << "] " << p.key << " in\n"
                << c.bytes;
        }
        DeleteFileA(path.c_str());
    }
}

TEST(NativeCompare, BufferSizesAgree) {
    // Values that fit; the system's quote removal at an exact fit is left out (Wine cuts one
    // character too many there).
    const std::string bytes = "[s]\r\nk=val1\r\nlong=" + std::string(100, 'y') + "\r\n";
    const std::string path = TempFile();
    Store(path, bytes);
    for (DWORD size : {1u, 2u, 4u, 5u, 64u, 100u, 101u, 200u}) {
        for (const char* key : {"k", "long"}) {
            EXPECT_EQ(settings::ini::GetString(bytes, "s", key, size),
                      SystemGet(path, "s", key, size))
                << key << " size " << size;
        }
    }
    DeleteFileA(path.c_str());
}

struct Write {
    std::string section;
    std::string key;
    std::string value;
};

TEST(NativeCompare, WritesReadBackAlike) {
    const std::vector<std::string> starts = {
        "",
        "[Mul_Tavrel]\r\nmultiplier=1.50\r\ntype=1\r\n;note\r\n\r\n[UI]\r\nUIType=1\r\n",
        "[S]\nk = old \nx=1\n[T]\nk=t",
        "[S]\rk=1\r;c\r",
        "[s]\r\nk=1\r\nK=2\r\n[S]\r\nn=3\r\n",
    };
    const std::vector<Write> writes = {
        {"Mul_Tavrel", "multiplier", "1.10"},
        {"Mul_Tavrel", "type", "0"},
        {"Mul_Tavrel", "hull", "-1"},
        {"UI", "UIType", "2"},
        {"S", "k", "new value"},
        {"s", "K", "again"},
        {"S", "n", "\"quoted\""},
        {"T", "k", ""},
        {"New", "a", "1"},
        {"new", "b", "x = y"},
    };
    std::vector<Probe> probes;
    for (const Write& w : writes) probes.push_back({w.section, w.key});
    probes.push_back({"S", "x"});
    probes.push_back({"Mul_Tavrel", "absent"});

    for (const std::string& start : starts) {
        const std::string ours = TempFile(), theirs = TempFile();
        Store(ours, start);
        Store(theirs, start);
        std::string bytes = start;
        for (const Write& w : writes) {
            settings::ini::SetString(bytes, w.section, w.key, w.value);
            Store(ours, bytes);
            ASSERT_TRUE(WritePrivateProfileStringA(w.section.c_str(), w.key.c_str(),
                                                   w.value.c_str(), theirs.c_str()));
        }
        const std::string theirBytes = Load(theirs);
        for (const Probe& p : probes) {
            const std::string expected = settings::ini::GetString(bytes, p.section, p.key);
            EXPECT_EQ(SystemGet(ours, p.section, p.key), expected) << p.key << " from\n" << start;
            EXPECT_EQ(settings::ini::GetString(theirBytes, p.section, p.key), expected)
                << p.key << " from\n"
                << start;
            EXPECT_EQ(SystemGet(theirs, p.section, p.key), expected) << p.key << " from\n" << start;
        }
        DeleteFileA(ours.c_str());
        DeleteFileA(theirs.c_str());
    }
}

}  // namespace

#endif  // _WIN32
