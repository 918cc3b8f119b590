#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/prefixes/prefix_search.h"
#include "settings/wine/registry_file.h"
#include "wine_test_support.h"

namespace {

using settings::prefixes::ReadMachineString;
using settings::wine::Arch;
using settings::wine::ReadRegistryArch;
using settings::wine::RegistryFile;
using wine_test::kGameKey;
using wine_test::kGameKeyWow;

// One string value out of a registry file's text, read keeping that key alone; nullopt when the
// file is not a registry file, or the key, the value or its text is missing.
std::optional<std::string> ReadRegistryString(std::string_view fileBytes, std::string_view keyPath,
                                              std::string_view valueName) {
    const std::string_view keys[] = {keyPath};
    const auto file = RegistryFile::Parse(fileBytes, keys);
    if (!file) return std::nullopt;
    return file->FindString(keyPath, valueName);
}

constexpr std::string_view kWin64Sample = R"(WINE REGISTRY Version 2
;; All keys relative to REGISTRY\\Machine

#arch=win64

[Software\\Taldren\\Starfleet Command II] 1796728074
#time=1dd87045f7014b6
"Path"="D:\\Native\\SFC2"

[Software\\Wow6432Node\\Classes] 1796728052
#time=1dd87045292ddfa
#link
"SymbolicLinkValue"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,00,\
  5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00

[Software\\Wow6432Node\\Taldren\\Starfleet Command II] 1796728074
#time=1dd87045f7014b6
"Path"="C:\\Program Files (x86)\\Taldren\\Starfleet Command II"
"Version"=dword:00000004
)";

constexpr std::string_view kWin32Sample = R"(WINE REGISTRY Version 2
;; All keys relative to REGISTRY\\Machine

#arch=win32

[Software\\Taldren\\Starfleet Command II] 1796728221
#time=1dd8704b70980a4
"Path"="C:\\Games\\SFC2"

[Software\\Wow6432Node\\Taldren\\Starfleet Command II] 1796728221
"Path"="C:\\Stale\\Copy"
)";

std::string WithValue(std::string_view valueLine) {
    return "WINE REGISTRY Version 2\n\n#arch=win64\n\n[Software\\\\Test] 1796728074\n" +
           std::string(valueLine) + "\n";
}

// --- Prefix architecture and the two registry views ----------------------------------------

TEST(WineRegistryViews, Win64PrefersTheWow6432NodeCopy) {
    EXPECT_EQ(ReadRegistryArch(kWin64Sample), Arch::Win64);
    EXPECT_EQ(ReadMachineString(kWin64Sample, kGameKey, "Path"),
              "C:\\Program Files (x86)\\Taldren\\Starfleet Command II");
    EXPECT_EQ(ReadRegistryString(kWin64Sample, kGameKey, "Path"), "D:\\Native\\SFC2");
}

TEST(WineRegistryViews, Win64FallsBackToTheNativeKey) {
    std::string text(kWin64Sample);
    text.resize(text.find("[Software\\\\Wow6432Node\\\\Taldren"));
    EXPECT_EQ(ReadMachineString(text, kGameKey, "Path"), "D:\\Native\\SFC2");
}

TEST(WineRegistryViews, Win32IgnoresWow6432Node) {
    EXPECT_EQ(ReadRegistryArch(kWin32Sample), Arch::Win32);
    EXPECT_EQ(ReadMachineString(kWin32Sample, kGameKey, "Path"), "C:\\Games\\SFC2");
    std::string onlyWow(kWin32Sample);
    onlyWow.erase(onlyWow.find("[Software\\\\Taldren"),
                  onlyWow.find("[Software\\\\Wow") - onlyWow.find("[Software\\\\Taldren"));
    EXPECT_EQ(ReadMachineString(onlyWow, kGameKey, "Path"), std::nullopt);
}

TEST(WineRegistryViews, UnknownArchitectureTriesBothViews) {
    const std::string text = wine_test::SystemReg("", kGameKeyWow, "C:\\Wow");
    EXPECT_EQ(ReadRegistryArch(text), Arch::Unknown);
    EXPECT_EQ(ReadMachineString(text, kGameKey, "Path"), "C:\\Wow");
}

TEST(WineRegistryViews, ArchOptionOnlyCountsBeforeTheFirstSection) {
    EXPECT_EQ(ReadRegistryArch("WINE REGISTRY Version 2\n#arch=win32\n"), Arch::Win32);
    EXPECT_EQ(ReadRegistryArch("WINE REGISTRY Version 2\n#arch=amd64\n"), Arch::Unknown);
    EXPECT_EQ(ReadRegistryArch("WINE REGISTRY Version 2\n[]\n#arch=win32\n"), Arch::Unknown);
    EXPECT_EQ(ReadRegistryArch("\xEF\xBB\xBFWINE REGISTRY Version 2\n#arch=win32\n"),
              Arch::Unknown);
    const auto views = settings::prefixes::MachineKeyViews("software\\X", Arch::Win64);
    ASSERT_EQ(views.size(), 2U);
    EXPECT_EQ(views[0], "software\\Wow6432Node\\X");
    EXPECT_EQ(settings::prefixes::MachineKeyViews("System\\X", Arch::Win64).size(), 1U);
}

// --- String data in every form Wine writes or accepts --------------------------------------

struct DataCase {
    const char* name;
    const char* valueLine;
    std::optional<std::string> expected;
};

class WineRegistryData : public ::testing::TestWithParam<DataCase> {};

TEST_P(WineRegistryData, DecodesToUtf8) {
    const DataCase& param = GetParam();
    EXPECT_EQ(ReadRegistryString(WithValue(param.valueLine), "Software\\Test", "V"), param.expected)
        << param.valueLine;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, WineRegistryData,
    ::testing::Values(DataCase{"Plain", R"("V"="C:\\Games\\Product II")", "C:\\Games\\Product II"},
                      DataCase{"Empty", R"("V"="")", ""},
                      DataCase{"HexEscapes", R"("V"="\xe9 \xfc \x65e5\x672c \xd83d\xde00")",
                               "\xC3\xA9 \xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"},
                      DataCase{"HexPaddedBeforeHexDigit", R"("V"="\x00e91\x00e9a\xe9Z\xe9")",
                               "\xC3\xA9"
                               "1\xC3\xA9"
                               "a\xC3\xA9Z\xC3\xA9"},
                      DataCase{"HexWithoutDigits", R"("V"="\xg")", "xg"},
                      DataCase{"LoneSurrogate", R"("V"="a\xd83d")", "a\xEF\xBF\xBD"},
                      DataCase{"ControlEscapes", R"("V"="tab\there\nnl\0017\eend\a\b\v\f\r")",
                               "tab\there\nnl\x01"
                               "7\x1b"
                               "end\a\b\v\f\r"},
                      DataCase{"OctalThreeDigitsMost", R"("V"="\1012\60")", "A20"},
                      DataCase{"QuotesAndBackslashes", R"("V"="say \"hi\" \\ end")",
                               "say \"hi\" \\ end"},
                      DataCase{"OtherEscapeIsTheCharacter", R"("V"="\q\]\[")", "q]["},
                      DataCase{"EmbeddedNulEndsTheText", R"("V"="a\0b")", "a"},
                      DataCase{"RawUtf8", "\"V\"=\"Caf\xC3\xA9\"", "Caf\xC3\xA9"},
                      DataCase{"InvalidUtf8Dropped", "\"V\"=\"Caf\xFF\xC3!\xE6\x97\"", "Caf!"},
                      DataCase{"OverlongUtf8Dropped",
                               "\"V\"=\"a\xC0\xAF"
                               "b\"",
                               "ab"},
                      DataCase{"StrForm", R"("V"=str:"C:\\X")", "C:\\X"},
                      DataCase{"ExpandNotExpanded", R"("V"=str(2):"%ProgramFiles%\\Vendor")",
                               "%ProgramFiles%\\Vendor"},
                      DataCase{"MultiGivesFirst", R"("V"=str(7):"one\0two\0")", "one"},
                      DataCase{"Hex1WithoutNul", R"("V"=hex(1):43,00,3a,00,5c,00)", "C:\\"},
                      DataCase{"Hex1TrailingNuls", R"("V"=hex(1):43,00,3a,00,00,00,00,00)", "C:"},
                      DataCase{"Hex2", R"("V"=hex(2):25,00,41,00,25,00,00,00)", "%A%"},
                      DataCase{"Hex7", R"("V"=hex(7):61,00,00,00,62,00,00,00,00,00)", "a"},
                      DataCase{"Hex1Empty", R"("V"=hex(1):)", ""},
                      DataCase{"Hex1OddLength", R"("V"=hex(1):43,00,3a)", "C"},
                      DataCase{"Hex1NonBmp", R"("V"=hex(1):3d,d8,00,de)", "\xF0\x9F\x98\x80"},
                      DataCase{"BlanksAroundEquals", "  \"V\" \t=  \"x\"", "x"},
                      DataCase{"DwordIsNotText", R"("V"=dword:0000002a)", std::nullopt},
                      DataCase{"BinaryIsNotText", R"("V"=hex:43,00)", std::nullopt},
                      DataCase{"UnterminatedString", R"("V"="C:\\Games)", std::nullopt},
                      DataCase{"BackslashAtEnd", R"("V"="C:\)", std::nullopt},
                      DataCase{"NoEquals", R"("V" "x")", std::nullopt},
                      DataCase{"UnknownType", R"("V"=text:"x")", std::nullopt},
                      DataCase{"HexByteTooBig", R"("V"=hex(1):100,00)", std::nullopt},
                      DataCase{"HexGarbage", R"("V"=hex(1):43,00,zz)", std::nullopt},
                      DataCase{"HexTypeUnclosed", R"("V"=hex(1:43,00)", std::nullopt},
                      DataCase{"DwordTooLong", R"("V"=dword:000000001)", std::nullopt}),
    [](const ::testing::TestParamInfo<DataCase>& caseInfo) { return caseInfo.param.name; });

// --- Names, sections and the shape of the file ----------------------------------------------

TEST(WineRegistryNames, EscapedKeyAndValueNames) {
    const std::string text = std::string("WINE REGISTRY Version 2\n\n") +
                             R"([Software\\Weird\]Name\\Sub"Key\\Caf\xe9] 1796728074
"N\xe4me"="x"
"Quote\"And\\Back"="y"
"name]with[brackets=eq"="a=b"
@="default"
"@"="at"
[Software\\Vendor/Slash \[x\]\\Key]
"Path"="slash"
)";
    const auto file = RegistryFile::Parse(text);
    ASSERT_TRUE(file);
    const std::string key = "Software\\Weird]Name\\Sub\"Key\\Caf\xC3\xA9";
    EXPECT_EQ(file->FindString(key, "N\xC3\xA4me"), "x");
    EXPECT_EQ(file->FindString("SOFTWARE\\weird]name\\SUB\"KEY\\CAF\xC3\x89", "N\xC3\x84ME"), "x");
    EXPECT_EQ(file->FindString(key, "Quote\"And\\Back"), "y");
    EXPECT_EQ(file->FindString(key, "name]with[brackets=eq"), "a=b");
    EXPECT_EQ(file->FindString(key, ""), "default");
    EXPECT_EQ(file->FindString(key, "@"), "at");
    EXPECT_EQ(file->FindString("Software\\Vendor/Slash [x]\\Key", "path"), "slash");
    EXPECT_EQ(file->FindString("\\Software\\Vendor/Slash [x]\\Key\\", "Path"), "slash");
}

TEST(WineRegistrySections, DuplicatesMergeAndLaterValuesWin) {
    const std::string text = std::string("WINE REGISTRY Version 2\n\n") + R"(
[Software\\Taldren\\Starfleet Command II] 1796728074
"Path"="C:\\First"
"Kept"="k"

[Software\\Other]
"Path"="other"

[software\\TALDREN\\starfleet command ii] 1796728099
"PATH"="C:\\Second"
"Added"="a"
)";
    const auto file = RegistryFile::Parse(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->FindString("Software\\Other", "Path"), "other");
    EXPECT_EQ(file->FindString(kGameKey, "Path"), "C:\\Second");
    EXPECT_EQ(file->FindString(kGameKey, "kept"), "k");
    EXPECT_EQ(file->FindString(kGameKey, "Added"), "a");
    EXPECT_EQ(ReadRegistryString(text, kGameKey, "Path"), "C:\\Second");
}

TEST(WineRegistrySections, FilteredParseKeepsOnlyTheKeysAsked) {
    const std::string_view keys[] = {kGameKey};
    const auto file = RegistryFile::Parse(kWin64Sample, keys);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->FindValue(kGameKeyWow, "Path"), nullptr);
    EXPECT_EQ(file->FindValue("Software\\Wow6432Node\\Classes", "SymbolicLinkValue"), nullptr);
    EXPECT_EQ(file->FindString(kGameKey, "Path"), "D:\\Native\\SFC2");
}

TEST(WineRegistryLines, HexContinuationLines) {
    const std::string text = std::string("WINE REGISTRY Version 2\n\n[Software\\\\Test]\n") +
                             "\"V\"=hex(2):43,00,3a,00,5c,00,\\\n"
                             "  47,00,61,00,6d,00,\\\n"
                             "\t65,00,\\\n"
                             "  00,00\n"
                             "\"After\"=\"still read\"\n";
    EXPECT_EQ(ReadRegistryString(text, "Software\\Test", "V"), "C:\\Game");
    EXPECT_EQ(ReadRegistryString(text, "Software\\Test", "After"), "still read");
    const auto file = RegistryFile::Parse(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->FindValue("Software\\Test", "V")->type, settings::wine::kRegExpandSz);
    EXPECT_EQ(file->FindValue("Software\\Test", "V")->data.size(), 16U);
}

TEST(WineRegistryLines, LongValuesAndNamesHaveNoLengthLimit) {
    std::string path = "C:\\";
    while (path.size() < 620) path += "Very Long Folder Name\\";
    const std::string name(299, 'n');
    std::string hexLine = "\"Hex\"=hex(1):";
    for (int i = 0; i < 3000; ++i) hexLine += (i % 25 == 24) ? "41,00,\\\n  " : "41,00,";
    hexLine += "00,00";
    const std::string text = "WINE REGISTRY Version 2\n\n[Software\\\\Test]\n\"" + name + "\"=\"" +
                             wine_test::Escape(path) + "\"\n" + hexLine + "\n";
    EXPECT_EQ(ReadRegistryString(text, "Software\\Test", name), path);
    EXPECT_EQ(ReadRegistryString(text, "Software\\Test", "Hex"), std::string(3000, 'A'));
}

TEST(WineRegistryLines, CrlfFileReadsLikeLf) {
    std::string crlf;
    for (const char c : kWin64Sample) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(ReadRegistryArch(crlf), Arch::Win64);
    EXPECT_EQ(ReadMachineString(crlf, kGameKey, "Path"),
              "C:\\Program Files (x86)\\Taldren\\Starfleet Command II");
    const auto file = RegistryFile::Parse(crlf);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->FindValue("Software\\Wow6432Node\\Classes", "SymbolicLinkValue")->data.size(),
              34U);
}

TEST(WineRegistryLines, GarbageAndMalformedLinesAreSkipped) {
    const std::string text = std::string("WINE REGISTRY Version 2\n") + R"(
"Orphan"="value without key"
#unknown option
garbage line
    ; indented comment
[Software\\Broken header 1796728074
"Path"="C:\\FromBrokenSection"
[Software\\Taldren\\Starfleet Command II]
"Path"=
"Path"="C:\\Good"
"Path"=hex(1):43,00,zz
=="x"
"Path
@=
)" + std::string("\x01\x02\xFF\n\0\n", 6) +
                             "\"Tail\"=\"t\"";
    const auto file = RegistryFile::Parse(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->FindValue("Software\\Broken header 1796728074", "Path"), nullptr);
    EXPECT_EQ(file->FindString(kGameKey, "Path"), "C:\\Good");
    EXPECT_EQ(file->FindString(kGameKey, "Tail"), "t");
    EXPECT_EQ(file->FindValue(kGameKey, ""), nullptr);
}

TEST(WineRegistryHeader, OnlyTheExactHeaderIsAccepted) {
    const std::string body = "\n[Software\\\\Test]\n\"V\"=\"x\"\n";
    EXPECT_EQ(ReadRegistryString("WINE REGISTRY Version 2" + body, "Software\\Test", "V"), "x");
    EXPECT_EQ(ReadRegistryString("WINE REGISTRY Version 2\r" + body, "Software\\Test", "V"), "x");
    const std::string badHeaders[] = {"\xEF\xBB\xBFWINE REGISTRY Version 2",
                                      "WINE REGISTRY Version 1",
                                      "WINE REGISTRY Version 2 ",
                                      " WINE REGISTRY Version 2",
                                      "Windows Registry Editor Version 5.00",
                                      ""};
    for (const std::string& bad : badHeaders) {
        EXPECT_FALSE(RegistryFile::Parse(bad + body)) << bad;
    }
    EXPECT_FALSE(RegistryFile::Parse(""));
    EXPECT_FALSE(RegistryFile::Parse("\nWINE REGISTRY Version 2\n"));
    // A reg export: UTF-16LE with a BOM.
    EXPECT_FALSE(RegistryFile::Parse(std::string("\xFF\xFEW\0I\0N\0E\0", 10)));
}

TEST(WineRegistryHeader, EveryTruncationIsSafe) {
    // A file cut anywhere (a reader racing a rewrite in place) reads without harm, and a value
    // is either absent or complete, in the quoted form as in a hex list.
    const std::string full(kWin64Sample);
    const std::string expected = "C:\\Program Files (x86)\\Taldren\\Starfleet Command II";
    for (std::size_t length = 0; length <= full.size(); ++length) {
        const std::string_view cut = std::string_view(full).substr(0, length);
        const auto value = ReadMachineString(cut, kGameKey, "Path");
        if (value) {
            EXPECT_TRUE(*value == expected || *value == "D:\\Native\\SFC2") << length;
        }
        if (const auto file = RegistryFile::Parse(cut)) {
            const auto* link =
                file->FindValue("Software\\Wow6432Node\\Classes", "SymbolicLinkValue");
            if (link != nullptr) {
                EXPECT_EQ(link->data.size(), 34U) << length;
            }
        }
    }
    // A hand-written file may lack the final newline; a quoted value there still counts.
    EXPECT_EQ(ReadRegistryString("WINE REGISTRY Version 2\n[K]\n\"V\"=\"x\"", "K", "V"), "x");
}

}  // namespace
