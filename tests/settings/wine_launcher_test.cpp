#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/prefixes/prefix_search.h"
#include "settings/prefixes/vdf_reader.h"
#include "settings/wine/registry_file.h"
#include "wine_test_support.h"

namespace {

using settings::prefixes::ParseVdf;
using settings::prefixes::ReadMachineString;
using settings::prefixes::SteamLibraryFolders;
using settings::wine::RegistryFile;
using Folders = std::vector<std::string>;

// --- Steam's libraryfolders.vdf ---------------------------------------------------------------

TEST(SteamLibraryFolders, CurrentAndOldFormats) {
    EXPECT_EQ(SteamLibraryFolders(R"("libraryfolders"
{
	"0"
	{
		"path"		"/home/u/.local/share/Steam"
		"label"		""
		"apps"
		{
			"228980"		"434061032"
		}
	}
	"1" // a second disk
	{
		"PATH"		"/mnt/games/Steam \"Library\""
	}
	"2" { "label" "no path" }
}
)"),
              (Folders{"/home/u/.local/share/Steam", "/mnt/games/Steam \"Library\""}));
    EXPECT_EQ(SteamLibraryFolders("\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"16\"\n"
                                  "\t\"ContentStatsID\"\t\"-1\"\n\t\"1\"\t\"/mnt/a\"\n"
                                  "\t\"2\"\t\"D:\\\\Steam\" [$WIN32]\n}\n"),
              (Folders{"/mnt/a", "D:\\Steam"}));
    // Bare words and a condition after a block.
    EXPECT_EQ(SteamLibraryFolders("libraryfolders { 0 { path /mnt/b } [$LINUX] }"),
              Folders{"/mnt/b"});
}

TEST(SteamLibraryFolders, MalformedTextGivesNothing) {
    const std::string full = "\"libraryfolders\" { \"0\" { \"path\" \"/mnt/a\" } }";
    for (std::size_t length = 0; length < full.size(); ++length) {
        EXPECT_TRUE(SteamLibraryFolders(full.substr(0, length)).empty()) << length;
    }
    for (const char* bad : {"}", "\"a\" }", "{ \"a\" \"b\" }", "\"a\" \"b\" [$X", "\"unterminated",
                            "\"libraryfolders\" \"flat\"", "\"other\" { \"1\" \"/mnt\" }"}) {
        EXPECT_TRUE(SteamLibraryFolders(bad).empty()) << bad;
    }
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "a {";
    EXPECT_FALSE(ParseVdf(deep));
    std::string limit = "\"libraryfolders\" { \"0\" { \"path\" \"/p\" ";
    for (int i = 2; i < settings::prefixes::kMaxVdfDepth; ++i) limit += "x { ";
    for (int i = 2; i < settings::prefixes::kMaxVdfDepth; ++i) limit += "} ";
    EXPECT_EQ(SteamLibraryFolders(limit + "} }"), Folders{"/p"});
}

// --- Reading only the game's keys of a big system.reg ----------------------------------------

TEST(WineRegistryScan, StepsOverOtherSectionsAndStopsWhenBothViewsAreRead) {
    const std::string text = std::string("WINE REGISTRY Version 2\n#arch=win64\n\n") +
                             "[Software\\\\A]\n\"Bin\"=hex:00,01,\\\n"
                             "[Software\\\\Taldren\\\\Starfleet Command II]\n"  // in the hex list
                             "\"Text\"=\"[Software\\\\Taldren\\\\Starfleet Command II]\"\n"
                             "  [software\\\\wow6432node\\\\TALDREN\\\\Starfleet Command II] 17\n"
                             "\"Path\"=\"C:\\\\Wow\"\n"
                             "[Software\\\\Caf\\xe9]\n\"Path\"=\"x\"\n"
                             "[Software\\\\Taldren\\\\Starfleet Command II]\n"
                             "\"Path\"=\"D:\\\\Native\"\n"
                             "[Software\\\\Wow6432Node\\\\Taldren\\\\Starfleet Command II]\n"
                             "\"Path\"=\"C:\\\\Never read\"\n";
    EXPECT_EQ(ReadMachineString(text, wine_test::kGameKey, "Path"), "C:\\Wow");
    const std::string_view keys[] = {wine_test::kGameKey, wine_test::kGameKeyWow};
    const auto scanned = RegistryFile::ScanKeys(text, keys);
    ASSERT_TRUE(scanned);
    EXPECT_EQ(scanned->FindString(wine_test::kGameKey, "Path"), "D:\\Native");
    // The full reader agrees that the line after the hex list belongs to the list, and merges
    // the second copy in.
    const auto full = RegistryFile::Parse(text);
    ASSERT_TRUE(full);
    EXPECT_EQ(scanned->FindString(wine_test::kGameKey, "Text"), std::nullopt);
    EXPECT_EQ(full->FindString(wine_test::kGameKey, "Text"), std::nullopt);
    EXPECT_EQ(full->FindString(wine_test::kGameKeyWow, "Path"), "C:\\Never read");

    // A name spelt with escapes Wine would not write still counts.
    EXPECT_EQ(ReadMachineString("WINE REGISTRY Version 2\n#arch=win32\n[Software\\\\Other]\n"
                                "[Software\\\\Taldren\\\\Starfleet Command \\x49I]\n"
                                "\"Path\"=\"C:\\\\Escaped\"\n",
                                wine_test::kGameKey, "Path"),
              "C:\\Escaped");
}

}  // namespace
