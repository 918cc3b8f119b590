// The program's resource script as the non-Windows front ends read it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rcscript/embedded_script.h"
#include "rcscript/resource_set.h"
#include "resource.h"
#include "support/case_names.h"
#include "symbol_value.h"

namespace {

using framework::DialogTemplate;
using framework::ItemTemplate;
using rcscript::ResourceSet;
using rcscript_test::SymbolValue;

// Complete styles as the compiled templates hold them, written out rather than built from the
// reader's constants.
constexpr std::uint32_t kLabel = 0x50020000;      // Static: SS_LEFT | WS_GROUP
constexpr std::uint32_t kGroup = 0x50000007;      // Button: BS_GROUPBOX
constexpr std::uint32_t kCheck = 0x50010003;      // Button: BS_AUTOCHECKBOX | WS_TABSTOP
constexpr std::uint32_t kRadio = 0x50000009;      // Button: BS_AUTORADIOBUTTON
constexpr std::uint32_t kOdds = 0x50810080;       // Edit: WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL
constexpr std::uint32_t kPush = 0x50010000;       // Button: BS_PUSHBUTTON | WS_TABSTOP
constexpr std::uint32_t kDefPush = 0x50010001;    // Button: BS_DEFPUSHBUTTON | WS_TABSTOP
constexpr std::uint32_t kSlider = 0x50010010;     // trackbar: TBS_NOTICKS | WS_TABSTOP
constexpr std::uint32_t kValue = 0x50810881;      // Edit: centred, read-only, border, tab stop
constexpr std::uint32_t kAiCombo = 0x50210003;    // CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
constexpr std::uint32_t kRaceCombo = 0x50210103;  // the same, sorted

struct Row {
    int id;
    const char* className;
    const char* text;
    int x, y, cx, cy;
    std::uint32_t style;
};

// IDD_MAIN in template order (= Tab order and z-order).
const Row kMainItems[] = {
    {-1, "Button", "Difficulty", 7, 9, 272, 44, kGroup},
    {1033, "msctls_trackbar32", "Slider1", 13, 22, 100, 15, kSlider},
    {1000, "Edit", "", 119, 27, 40, 12, kValue},
    {-1, "Static", "Easy     Avg    Hard     Nasty", 17, 40, 90, 8, kLabel},
    {-1, "Static", "AI Intelligence:", 185, 14, 48, 8, kLabel},
    {1034, "ComboBox", "", 198, 27, 81, 52, kAiCombo},
    {1028, "Button", "", 15, 166, 8, 10, kCheck},
    {-1, "Static", "Battleship", 81, 166, 32, 8, kLabel},
    {1038, "Edit", "", 43, 166, 23, 14, kOdds},
    {-1, "Button", "Hulls", 7, 141, 272, 112, kGroup},
    {-1, "Static", "Dreadnought", 81, 183, 42, 8, kLabel},
    {1039, "Edit", "", 43, 183, 23, 14, kOdds},
    {1026, "Button", "", 15, 200, 8, 10, kCheck},
    {-1, "Static", "Carrier", 81, 200, 21, 8, kLabel},
    {1040, "Edit", "", 43, 200, 23, 14, kOdds},
    {1025, "Button", "", 15, 217, 8, 10, kCheck},
    {-1, "Static", "Heavy Battlecruiser", 81, 217, 62, 8, kLabel},
    {1041, "Edit", "", 43, 217, 23, 14, kOdds},
    {1024, "Button", "", 15, 234, 8, 10, kCheck},
    {-1, "Static", "New Heavy Cruiser", 81, 234, 62, 8, kLabel},
    {1042, "Edit", "", 43, 234, 23, 14, kOdds},
    {1023, "Button", "", 159, 166, 8, 10, kCheck},
    {1043, "Edit", "", 185, 166, 25, 14, kOdds},
    {-1, "Static", "Heavy Cruiser", 226, 166, 45, 8, kLabel},
    {1022, "Button", "", 159, 183, 8, 10, kCheck},
    {1044, "Edit", "", 185, 183, 25, 14, kOdds},
    {-1, "Static", "Light Cruiser", 225, 183, 40, 8, kLabel},
    {1021, "Button", "", 159, 200, 8, 10, kCheck},
    {1045, "Edit", "", 185, 200, 25, 14, kOdds},
    {-1, "Static", "War Destroyer", 225, 200, 46, 8, kLabel},
    {1020, "Button", "", 159, 217, 8, 10, kCheck},
    {1046, "Edit", "", 185, 217, 25, 14, kOdds},
    {-1, "Static", "Destroyer", 225, 217, 31, 8, kLabel},
    {1019, "Button", "", 159, 234, 8, 10, kCheck},
    {1047, "Edit", "", 185, 234, 25, 14, kOdds},
    {-1, "Static", "Frigate", 225, 234, 22, 8, kLabel},
    {2, "Button", "Cancel", 7, 285, 50, 14, kPush},
    {1012, "Button", "Reset Defaults", 64, 285, 56, 14, kPush},
    {1, "Button", "OK", 229, 285, 50, 14, kDefPush},
    {1027, "Button", "", 15, 183, 8, 10, kCheck},
    {-1, "Static", "Use?", 13, 153, 18, 8, kLabel},
    {-1, "Static", "Odds (%)", 41, 153, 29, 8, kLabel},
    {-1, "Static", "Hull Class", 82, 153, 32, 8, kLabel},
    {-1, "Static", "Use?", 155, 153, 18, 8, kLabel},
    {-1, "Static", "Odds (%)", 183, 153, 29, 8, kLabel},
    {-1, "Static", "Hull Class", 226, 153, 32, 8, kLabel},
    {-1, "Button", "Enemy Fleet Era", 202, 59, 77, 80, kGroup},
    {1057, "Button", "Early", 210, 76, 49, 16, kRadio},
    {1058, "Button", "Middle", 210, 97, 37, 16, kRadio},
    {1059, "Button", "Late", 210, 116, 30, 16, kRadio},
    {-1, "Button", "Races", 7, 59, 186, 80, kGroup},
    {-1, "Static", "Use:", 14, 72, 16, 8, kLabel},
    {1031, "ComboBox", "", 33, 70, 48, 56, kRaceCombo},
    {1001, "Button", "Federation", 14, 86, 49, 10, kCheck},
    {1005, "Button", "Lyran", 14, 122, 33, 10, kCheck},
    {1007, "Button", "Mirak", 72, 122, 33, 10, kCheck},
    {1002, "Button", "Klingon", 14, 98, 39, 10, kCheck},
    {1004, "Button", "Gorn", 72, 98, 31, 10, kCheck},
    {1008, "Button", "ISC", 72, 110, 27, 10, kCheck},
    {1010, "Button", "Monster (Odds %):", 117, 98, 73, 10, kCheck},
    {1003, "Button", "Romulan", 14, 110, 44, 10, kCheck},
    {1006, "Button", "Hydran", 72, 86, 39, 10, kCheck},
    {1009, "Button", "Unaligned Pirates", 117, 86, 71, 10, kCheck},
    {1048, "Edit", "", 129, 110, 22, 14, kOdds},
    {1060, "Button", "Force select of ships created in chosen era", 13, 268, 235, 9, kCheck},
    {-1, "Button", "Extra options", 7, 254, 272, 28, kGroup},
};

void ExpectItem(const ItemTemplate& item, const Row& row) {
    EXPECT_EQ(item.id, row.id);
    EXPECT_EQ(item.className, row.className);
    EXPECT_EQ(item.text, row.text);
    EXPECT_EQ(item.x, row.x);
    EXPECT_EQ(item.y, row.y);
    EXPECT_EQ(item.cx, row.cx);
    EXPECT_EQ(item.cy, row.cy);
    EXPECT_EQ(item.style, row.style) << std::hex << item.style << " vs " << row.style;
    EXPECT_EQ(item.exStyle, 0u);
}

const DialogTemplate& Dialog(unsigned id) {
    const DialogTemplate* d = ResourceSet::Program().FindDialog(id);
    if (!d) throw std::logic_error("dialog " + std::to_string(id) + " missing");
    return *d;
}

TEST(ProgramResources, ParsedOnceAndShared) {
    EXPECT_EQ(&ResourceSet::Program(), &ResourceSet::Program());
}

TEST(ProgramResources, MainDialogFrame) {
    const DialogTemplate& d = Dialog(IDD_MAIN);
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.caption, "Tavrel Customizer 4.0 for SFC-EAW");
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, 286);
    EXPECT_EQ(d.cy, 306);
    // WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK
    // | DS_SETFOREGROUND: no minimise or maximise box.
    EXPECT_EQ(d.style, 0x90C802C4u);
    EXPECT_EQ(d.exStyle, 0x00040000u);
    EXPECT_EQ(d.fontName, "MS Sans Serif");
    EXPECT_EQ(d.fontPointSize, 8);
    EXPECT_EQ(d.fontWeight, 0);
    EXPECT_FALSE(d.fontItalic);
    EXPECT_EQ(d.fontCharset, 1);
    EXPECT_EQ(d.items.size(), std::size(kMainItems));
}

class MainDialogItem : public testing::TestWithParam<std::size_t> {};

std::string MainItemName(std::size_t i) {
    return std::string(kMainItems[i].className) + " " + kMainItems[i].text;
}

TEST_P(MainDialogItem, MatchesLayout) {
    const DialogTemplate& d = Dialog(IDD_MAIN);
    const std::size_t i = GetParam();
    ASSERT_LT(i, d.items.size());
    SCOPED_TRACE("item #" + std::to_string(i + 1));
    ExpectItem(d.items[i], kMainItems[i]);
}

INSTANTIATE_TEST_SUITE_P(AllSixtySix, MainDialogItem,
                         testing::Range<std::size_t>(0, std::size(kMainItems)),
                         test_support::NameBy(MainItemName, true));

// The first item with that id, or nullptr.
const ItemTemplate* FindItem(const DialogTemplate& d, int id) {
    const auto found = std::find_if(d.items.begin(), d.items.end(),
                                    [id](const ItemTemplate& item) { return item.id == id; });
    return found == d.items.end() ? nullptr : &*found;
}

TEST(ProgramResources, TheFirstItemOfAnId) {
    const DialogTemplate& d = Dialog(IDD_MAIN);
    ASSERT_NE(FindItem(d, IDC_FORCE_ERA), nullptr);
    EXPECT_EQ(FindItem(d, IDC_FORCE_ERA)->text, "Force select of ships created in chosen era");
    ASSERT_NE(FindItem(d, -1), nullptr);
    EXPECT_EQ(FindItem(d, -1)->text, "Difficulty");
    EXPECT_EQ(FindItem(d, 4242), nullptr);
}

TEST(ProgramResources, ComboInitialisationData) {
    const std::vector<framework::DialogInitEntry> entries =
        ResourceSet::Program().DialogInit(IDD_MAIN);
    const std::vector<std::pair<int, std::string>> expected = {
        {1034, "Captain"}, {1034, "Commodore"}, {1034, "Admiral"},
        {1031, "Single"},  {1031, "Mixed"},
    };
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].controlId, expected[i].first);
        EXPECT_EQ(entries[i].text, expected[i].second);
        EXPECT_EQ(entries[i].message, 0x403);
        const ItemTemplate* combo = FindItem(Dialog(IDD_MAIN), entries[i].controlId);
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->className, "ComboBox");
    }
    EXPECT_TRUE(ResourceSet::Program().DialogInit(IDD_ABOUTBOX).empty());
}

TEST(ProgramResources, AboutBox) {
    const DialogTemplate& d = Dialog(IDD_ABOUTBOX);
    EXPECT_EQ(d.caption, "About Tavrel Customizer for EAW");
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, 235);
    EXPECT_EQ(d.cy, 55);
    // DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT: not visible, neither
    // centred nor absolutely aligned.
    EXPECT_EQ(d.style, 0x80C800C0u);
    EXPECT_EQ(d.fontName, "MS Sans Serif");
    EXPECT_EQ(d.fontPointSize, 8);
    ASSERT_EQ(d.items.size(), 5u);

    ExpectItem(d.items[0], {-1, "Static", "128", 11, 17, 20, 20, 0x50000003});
    ExpectItem(d.items[1],
               {-1, "Static", "Tavrel Customizer 4.0 for EAW", 40, 10, 119, 8, 0x50020080});
    ExpectItem(d.items[3], {1, "Button", "OK", 178, 7, 50, 14, 0x50030001});

    const std::string copyright = d.items[2].text;
    ExpectItem(d.items[2], {-1, "Static", copyright.c_str(), 40, 25, 120, 8, kLabel});
    EXPECT_NE(copyright.find("Tavrel Customizer authors"), std::string::npos);
    EXPECT_EQ(copyright, ResourceSet::Program().Version().Value("LegalCopyright"));
    const std::string credit = d.items[4].text;
    EXPECT_FALSE(credit.empty());
    ExpectItem(d.items[4], {-1, "Static", credit.c_str(), 40, 33, 64, 8, kLabel});
}

TEST(ProgramResources, PlaceholderDialog) {
    const DialogTemplate& d = Dialog(IDD_PLACEHOLDER);
    const DialogTemplate& about = Dialog(IDD_ABOUTBOX);
    EXPECT_EQ(d.caption, "placeholder enhanced shiplist");
    EXPECT_EQ(d.cx, 186);
    EXPECT_EQ(d.cy, 95);
    EXPECT_EQ(d.style, about.style);
    EXPECT_EQ(d.fontName, about.fontName);
    EXPECT_EQ(d.fontPointSize, about.fontPointSize);
    ASSERT_EQ(d.items.size(), 2u);
    ExpectItem(d.items[0], {1, "Button", "OK", 129, 7, 50, 14, kDefPush});
    ExpectItem(d.items[1], {2, "Button", "Cancel", 129, 24, 50, 14, kPush});
}

TEST(ProgramResources, StringsIconAndSymbols) {
    const ResourceSet& r = ResourceSet::Program();
    EXPECT_EQ(r.String(IDS_ABOUTBOX), "&About TavrelCustomizer...");
    EXPECT_EQ(r.String(102), "");
    EXPECT_EQ(r.IconFile(IDR_MAINFRAME), "TavrelCustomizer.ico");
    EXPECT_EQ(r.IconFile(1), "");
    const auto symbol = [](std::string_view name) {
        return SymbolValue(rcscript::kResourceScript, rcscript::kResourceHeader, name);
    };
    EXPECT_EQ(symbol("IDD_MAIN"), 102);
    EXPECT_EQ(symbol("IDM_ABOUTBOX"), 0x10);
    EXPECT_EQ(symbol("IDC_ERA_LATE"), IDC_ERA_LATE);
    EXPECT_EQ(symbol("IDOK"), 1);
    EXPECT_EQ(symbol("IDC_STATIC"), -1);
    EXPECT_EQ(symbol("IDC_NO_SUCH_CONTROL"), std::nullopt);
}

TEST(ProgramResources, VersionInformation) {
    const rcscript::VersionInfo& v = ResourceSet::Program().Version();
    EXPECT_EQ(std::vector<std::uint16_t>(v.fileVersion, v.fileVersion + 4),
              (std::vector<std::uint16_t>{4, 0, 0, 0}));
    EXPECT_EQ(std::vector<std::uint16_t>(v.productVersion, v.productVersion + 4),
              (std::vector<std::uint16_t>{2, 0, 3, 6}));
    EXPECT_EQ(v.fileOs, 0x4u);    // VOS__WINDOWS32
    EXPECT_EQ(v.fileType, 0x1u);  // VFT_APP
    EXPECT_EQ(v.stringBlock, "040904B0");
    ASSERT_EQ(v.translations.size(), 1u);
    EXPECT_EQ(v.translations[0], (std::pair<std::uint16_t, std::uint16_t>{0x409, 1200}));

    EXPECT_EQ(v.Value("FileVersion"), "4.00");
    EXPECT_EQ(v.Value("ProductVersion"), "2.0.3.6");
    EXPECT_EQ(v.Value("ProductName"), "Tavrel Customizer 4.0 for EAW");
    EXPECT_EQ(v.Value("FileDescription"), "Tavrel Customizer");
    EXPECT_EQ(v.Value("InternalName"), "TavrelCustomizer");
    EXPECT_EQ(v.Value("OriginalFilename"), "TavrelCustomizer.exe");
    EXPECT_EQ(v.Value("productname"), "Tavrel Customizer 4.0 for EAW");
    for (const char* empty :
         {"Comments", "CompanyName", "LegalTrademarks", "PrivateBuild", "SpecialBuild"}) {
        const auto it = std::find_if(v.strings.begin(), v.strings.end(),
                                     [&](const auto& kv) { return kv.first == empty; });
        ASSERT_NE(it, v.strings.end()) << empty;
        EXPECT_EQ(it->second, "") << empty;
    }
    EXPECT_EQ(v.Value("NoSuchValue"), "");
}

TEST(ProgramResources, CutShortScriptFailsCleanly) {
    // Every prefix of the real script either parses or fails with a message; nothing else.
    const std::string script = rcscript::kResourceScript;
    const std::size_t step = script.size() / 59 + 1;  // cuts land everywhere: odd step
    for (std::size_t n = 0; n < script.size(); n += step | 1) {
        try {
            ResourceSet::Parse(std::string_view(script).substr(0, n), rcscript::kResourceHeader);
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("line"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
