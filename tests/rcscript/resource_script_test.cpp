// The program's resource script as the non-Windows front ends read it, and the reader itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rcscript/embedded_script.h"
#include "rcscript/resource_set.h"
#include "resource.h"
#include "support/case_names.h"

namespace {

using framework::DialogTemplate;
using framework::ItemTemplate;
using rcscript::ResourceSet;

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

// ------------------------------------------------------------------ the program's resources

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

// The value `name` has at the end of a script and its header, as a control's id that names it;
// nullopt when the reader knows no number by that name.
std::optional<int> SymbolValue(std::string_view script, std::string_view header,
                               std::string_view name) {
    const std::string probe = std::string(script) +
                              "\n65000 DIALOG 0, 0, 9, 9\nBEGIN\n    LTEXT \"\", " +
                              std::string(name) + ", 0, 0, 9, 9\nEND\n";
    try {
        return ResourceSet::Parse(probe, header).FindDialog(65000)->items.at(0).id;
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
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

// ------------------------------------------------------------------ the reader

constexpr const char* kHeader =
    "// ids\n"
    "#define IDD_TEST 200\n"
    "#define IDC_A 1001\n"
    "#define IDC_B (IDC_A + 1)\n";

const DialogTemplate& OnlyDialog(const ResourceSet& r) {
    const DialogTemplate* d = r.FindDialog(200);
    if (!d) throw std::logic_error("no dialog 200");
    return *d;
}

ResourceSet ParseControls(const std::string& controls, const char* kind = "DIALOGEX") {
    return ResourceSet::Parse(
        std::string("IDD_TEST ") + kind + " 0, 0, 100, 50\nBEGIN\n" + controls + "\nEND\n",
        kHeader);
}

struct ControlCase {
    const char* statement;
    const char* className;
    std::uint32_t style;
};

class ControlStatement : public testing::TestWithParam<ControlCase> {};

// Implied class and styles as the Windows resource compiler applies them: its defaults stay
// when the script adds styles of its own, and NOT removes them.
TEST_P(ControlStatement, ImpliedClassAndStyle) {
    const ResourceSet r = ParseControls(GetParam().statement);
    const DialogTemplate& d = OnlyDialog(r);
    ASSERT_EQ(d.items.size(), 1u);
    EXPECT_EQ(d.items[0].className, GetParam().className);
    EXPECT_EQ(d.items[0].style, GetParam().style) << std::hex << d.items[0].style;
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, ControlStatement,
    testing::Values(
        ControlCase{"LTEXT \"a\",1,0,0,9,9", "Static", 0x50020000},
        ControlCase{"LTEXT \"a\",1,0,0,9,9,SS_NOPREFIX", "Static", 0x50020080},
        ControlCase{"LTEXT \"a\",1,0,0,9,9,NOT WS_GROUP", "Static", 0x50000000},
        ControlCase{"RTEXT \"a\",1,0,0,9,9", "Static", 0x50020002},
        ControlCase{"CTEXT \"a\",1,0,0,9,9", "Static", 0x50020001},
        ControlCase{"PUSHBUTTON \"a\",1,0,0,9,9", "Button", 0x50010000},
        ControlCase{"PUSHBUTTON \"a\",1,0,0,9,9,NOT WS_TABSTOP", "Button", 0x50000000},
        ControlCase{"DEFPUSHBUTTON \"a\",1,0,0,9,9,WS_GROUP", "Button", 0x50030001},
        ControlCase{"GROUPBOX \"a\",1,0,0,9,9", "Button", 0x50000007},
        ControlCase{"CHECKBOX \"a\",1,0,0,9,9", "Button", 0x50010002},
        ControlCase{"AUTOCHECKBOX \"a\",1,0,0,9,9", "Button", 0x50010003},
        ControlCase{"AUTOCHECKBOX \"a\",1,0,0,9,9,WS_GROUP", "Button", 0x50030003},
        ControlCase{"RADIOBUTTON \"a\",1,0,0,9,9", "Button", 0x50000004},
        ControlCase{"AUTORADIOBUTTON \"a\",1,0,0,9,9", "Button", 0x50010009},
        ControlCase{"STATE3 \"a\",1,0,0,9,9", "Button", 0x50010005},
        ControlCase{"AUTO3STATE \"a\",1,0,0,9,9", "Button", 0x50010006},
        ControlCase{"EDITTEXT 1,0,0,9,9", "Edit", 0x50810000},
        ControlCase{"EDITTEXT 1,0,0,9,9,ES_AUTOHSCROLL", "Edit", 0x50810080},
        ControlCase{"EDITTEXT 1,0,0,9,9,ES_NUMBER | NOT WS_BORDER", "Edit", 0x50012000},
        ControlCase{"COMBOBOX 1,0,0,9,9", "ComboBox", 0x50010001},
        ControlCase{"COMBOBOX 1,0,0,9,9,CBS_DROPDOWNLIST", "ComboBox", 0x50000003},
        ControlCase{"COMBOBOX 1,0,0,9,9,CBS_SORT | WS_VSCROLL", "ComboBox", 0x50200101},
        ControlCase{"LISTBOX 1,0,0,9,9", "ListBox", 0x50800001},
        ControlCase{"SCROLLBAR 1,0,0,9,9", "ScrollBar", 0x50000000},
        ControlCase{"ICON 128,1,5,6", "Static", 0x50000003},
        ControlCase{"CONTROL \"a\",1,\"button\",BS_AUTOCHECKBOX,0,0,9,9", "Button", 0x50000003},
        ControlCase{"CONTROL \"a\",1,\"Static\",SS_LEFT | NOT WS_VISIBLE,0,0,9,9", "Static",
                    0x40000000},
        ControlCase{"CONTROL \"\",1,\"MSCTLS_TRACKBAR32\",TBS_VERT,0,0,9,9", "msctls_trackbar32",
                    0x50000002},
        ControlCase{"CONTROL \"\",1,\"SysListView32\",WS_BORDER,0,0,9,9", "SysListView32",
                    0x50800000},
        ControlCase{"CONTROL \"\",1,0x85,CBS_DROPDOWN,0,0,9,9", "ComboBox", 0x50000002}),
    test_support::NameBy(&ControlCase::statement, true));

TEST(ResourceReader, ControlFieldsAndExpressions) {
    const ResourceSet r = ParseControls(
        "ICON 128,IDC_A,5,6\n"
        "CONTROL 2+3*4,IDC_B,\"Static\",SS_ICON,(10-4)/2,-1,0x10|0x01,~0 & 0xFF,"
        " WS_EX_CLIENTEDGE\n"
        "LTEXT \"say \"\"hi\"\"\\tnow\" \"!\",-1,0,0,9,9\n"
        "LTEXT \"\\101\\x42\\q\",IDC_STATIC,0,0,9,9");
    const DialogTemplate& d = OnlyDialog(r);
    ASSERT_EQ(d.items.size(), 4u);
    EXPECT_EQ(d.items[0].text, "128");
    EXPECT_EQ(d.items[0].id, 1001);
    EXPECT_EQ(d.items[0].cx, 0);  // the ICON statement without a size
    EXPECT_EQ(d.items[1].text, "14");
    EXPECT_EQ(d.items[1].id, 1002);
    EXPECT_EQ(d.items[1].x, 3);
    EXPECT_EQ(d.items[1].y, -1);
    EXPECT_EQ(d.items[1].cx, 17);
    EXPECT_EQ(d.items[1].cy, 255);
    EXPECT_EQ(d.items[1].exStyle, 0x200u);
    EXPECT_EQ(d.items[2].text, "say \"hi\"\tnow!");
    EXPECT_EQ(d.items[2].id, -1);
    EXPECT_EQ(d.items[3].text, "AB\\q");
}

TEST(ResourceReader, DialogStatementsAndDefaults) {
    const ResourceSet r = ResourceSet::Parse(
        "IDD_TEST DIALOG DISCARDABLE 1, 2, 30, 40\n"
        "BEGIN\nEND\n"
        "201 DIALOG 0, 0, 10, 10\nCAPTION \"c\"\nFONT 8, \"MS Sans Serif\"\nBEGIN\nEND\n"
        "202 DIALOGEX 0, 0, 10, 10\nSTYLE WS_CHILD | NOT WS_VISIBLE\n"
        "FONT 9, \"Tahoma\", 700, 1, 0xEE\nEXSTYLE WS_EX_TOOLWINDOW\n{\n}\n",
        kHeader);
    const DialogTemplate& plain = OnlyDialog(r);
    EXPECT_FALSE(plain.extended);
    EXPECT_EQ(plain.style, 0x80880000u);  // WS_POPUP | WS_BORDER | WS_SYSMENU
    EXPECT_EQ(plain.x, 1);
    EXPECT_EQ(plain.cy, 40);
    EXPECT_TRUE(plain.fontName.empty());

    const DialogTemplate* captioned = r.FindDialog(201);
    ASSERT_NE(captioned, nullptr);
    EXPECT_EQ(captioned->style, 0x80C80040u);  // + WS_CAPTION + DS_SETFONT
    EXPECT_EQ(captioned->fontCharset, 1);

    const DialogTemplate* ex = r.FindDialog(202);
    ASSERT_NE(ex, nullptr);
    EXPECT_EQ(ex->style, 0x40000040u);
    EXPECT_EQ(ex->exStyle, 0x80u);
    EXPECT_EQ(ex->fontWeight, 700);
    EXPECT_TRUE(ex->fontItalic);
    EXPECT_EQ(ex->fontCharset, 0xEE);
    EXPECT_EQ(r.FindDialog(999), nullptr);
}

TEST(ResourceReader, PreprocessorAndComments) {
    const std::string script =
        "#include <winres.h>\n"
        "#include \"resource.h\"\n"
        "#pragma code_page(1252)\n"
        "#define WIDE 40 /* a block comment\n"
        "                   across lines */\n"
        "#define TALL \\\n"
        "    (WIDE / 2)\n"
        "#ifdef IDC_A\n"
        "#define PICK 1\n"
        "#else\n"
        "#define PICK 2\n"
        "#endif\n"
        "#if defined(IDC_NOPE) || PICK > 1\n"
        "#error not taken\n"
        "#elif !defined IDC_B\n"
        "#error not taken either\n"
        "#else\n"
        "#define CHOSEN 3\n"
        "#endif\n"
        "#ifndef IDOK\n"
        "#error built-in ids count as defined\n"
        "#endif\n"
        "#define GONE 1\n"
        "#undef GONE\n"
        "IDD_TEST DIALOG 0, 0, WIDE, TALL // trailing comment\n"
        "BEGIN\n"
        "    LTEXT \"// not a comment /* either */\",CHOSEN,0,0,9,9\n"
        "END\n";
    const ResourceSet r = ResourceSet::Parse(script, kHeader);
    const DialogTemplate& d = OnlyDialog(r);
    EXPECT_EQ(d.cx, 40);
    EXPECT_EQ(d.cy, 20);
    ASSERT_EQ(d.items.size(), 1u);
    EXPECT_EQ(d.items[0].id, 3);
    EXPECT_EQ(d.items[0].text, "// not a comment /* either */");
    EXPECT_EQ(SymbolValue(script, kHeader, "IDC_B"), 1002);
    EXPECT_EQ(SymbolValue(script, kHeader, "PICK"), 1);
    EXPECT_EQ(SymbolValue(script, kHeader, "GONE"), std::nullopt);
}

TEST(ResourceReader, StringTableIconAndSkippedResources) {
    const ResourceSet r = ResourceSet::Parse(
        "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
        "1 TEXTINCLUDE\nBEGIN\n    \"resource.h\\0\"\nEND\n"
        "5 MENU\nBEGIN\n  POPUP \"&File\"\n  BEGIN\n    MENUITEM \"E&xit\", 1\n  END\nEND\n"
        "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"app.manifest\"\n"
        "2 24 \"other.manifest\"\n"
        "DATA RCDATA { 1, 2, \"x\" }\n"
        "IDD_TEST ICON MOVEABLE \"app.ico\"\n"
        "STRINGTABLE DISCARDABLE\nBEGIN\n  IDC_A, \"first\"\n  IDC_B \"sec\" \"ond\"\nEND\n",
        kHeader);
    EXPECT_EQ(r.String(1001), "first");
    EXPECT_EQ(r.String(1002), "second");
    EXPECT_EQ(r.IconFile(200), "app.ico");
    EXPECT_EQ(r.FindDialog(5), nullptr);
}

TEST(ResourceReader, DialogInitRawData) {
    // The layout as resource editors write it: words, and a string for a last odd byte.
    const ResourceSet r = ResourceSet::Parse(
        "IDD_TEST DLGINIT\nBEGIN\n"
        "    IDC_A, 0x403, 7, 0\n0x6953, 0x676e, 0x656c, \"\\000\"\n"
        "    IDC_B, 0x401, 4L\n\"ab\\0\\0\"\n"
        "    0\nEND\n",
        kHeader);
    const std::vector<framework::DialogInitEntry> e = r.DialogInit(200);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].controlId, 1001);
    EXPECT_EQ(e[0].text, "Single");
    EXPECT_EQ(e[1].controlId, 1002);
    EXPECT_EQ(e[1].message, 0x401);
    EXPECT_EQ(e[1].text, "ab");
    EXPECT_TRUE(r.DialogInit(201).empty());
}

TEST(ResourceReader, VersionInfoForms) {
    const ResourceSet r = ResourceSet::Parse(
        "1 VERSIONINFO\nFILEVERSION 1,2\nPRODUCTVERSION 3,4,5,6\nFILEFLAGS VS_FF_DEBUG\n"
        "BEGIN\n"
        "  BLOCK \"StringFileInfo\"\n  BEGIN\n"
        "    BLOCK \"040904E4\"\n    BEGIN\n"
        "      VALUE \"FileVersion\", \"1, 2\\0\"\n"
        "      VALUE \"Comments\", \"two \" \"parts\"\n"
        "    END\n"
        "    BLOCK \"040704B0\"\n    BEGIN\n      VALUE \"FileVersion\", \"other\"\n    END\n"
        "  END\n"
        "  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\", 0x409, 1252, 0x407, 1200\n"
        "  END\n"
        "END\n",
        kHeader);
    const rcscript::VersionInfo& v = r.Version();
    EXPECT_EQ(v.fileVersion[0], 1);
    EXPECT_EQ(v.fileVersion[1], 2);
    EXPECT_EQ(v.fileVersion[2], 0);
    EXPECT_EQ(v.productVersion[3], 6);
    EXPECT_EQ(v.fileFlags, 1u);
    EXPECT_EQ(v.stringBlock, "040904E4");
    EXPECT_EQ(v.Value("FileVersion"), "1, 2");
    EXPECT_EQ(v.Value("COMMENTS"), "two parts");
    EXPECT_EQ(v.translations.size(), 2u);
}

TEST(ResourceReader, DeepNestingIsAnErrorNotACrash) {
    const std::string deep = std::string(3000, '(') + "1" + std::string(3000, ')');
    EXPECT_THROW(ResourceSet::Parse("IDD_TEST DIALOG 0,0," + deep + ",1\nBEGIN\nEND\n", kHeader),
                 std::runtime_error);
    EXPECT_THROW(
        ResourceSet::Parse("IDD_TEST DIALOG 0,0,1," + std::string(3000, '-') + "1\nBEGIN\nEND\n",
                           kHeader),
        std::runtime_error);
    std::string chain = "#define IDD_TEST 200\n#define S0 1\n";
    for (int i = 1; i <= 300; ++i) {
        chain += "#define S" + std::to_string(i) + " S" + std::to_string(i - 1) + "\n";
    }
    EXPECT_THROW(ResourceSet::Parse("IDD_TEST DIALOG 0,0,S300,1\nBEGIN\nEND\n", chain),
                 std::runtime_error);
    // Moderate nesting is fine.
    const ResourceSet r =
        ResourceSet::Parse("IDD_TEST DIALOG 0,0,((((7)))),S0\nBEGIN\nEND\n", chain);
    EXPECT_EQ(OnlyDialog(r).cx, 7);
    EXPECT_EQ(OnlyDialog(r).cy, 1);
}

struct ErrorCase {
    const char* name;
    const char* script;
    const char* header;
    std::vector<const char*> expected;  // parts of the message
};

// Keeps test listings readable: the case's name instead of its bytes.
void PrintTo(const ErrorCase& c, std::ostream* out) {
    *out << c.name;
}

class ReaderError : public testing::TestWithParam<ErrorCase> {};

TEST_P(ReaderError, FailsWithLineAndReason) {
    const ErrorCase& c = GetParam();
    try {
        ResourceSet::Parse(c.script, c.header ? c.header : kHeader);
        FAIL() << "no error for: " << c.script;
    } catch (const std::runtime_error& e) {
        const std::string message = e.what();
        for (const char* part : c.expected) {
            EXPECT_NE(message.find(part), std::string::npos)
                << "'" << part << "' not in: " << message;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderError,
    testing::Values(
        ErrorCase{"UnknownControl",
                  "IDD_TEST DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\",1,0,0,9,9\n"
                  "  FOOBAR \"x\",1,0,0,9,9\nEND\n",
                  nullptr,
                  {"resource script line 4", "FOOBAR"}},
        ErrorCase{"UnknownResourceType",
                  "\n\nIDD_TEST DIALOGX 0, 0, 10, 10\n",
                  nullptr,
                  {"line 3", "unknown keyword 'DIALOGX'"}},
        ErrorCase{"UnknownTopLevelWord",
                  "FROB\nIDD_TEST DIALOG 0,0,1,1\nBEGIN\nEND\n",
                  nullptr,
                  {"line 1", "unknown keyword 'FROB'"}},
        ErrorCase{"UnknownDialogStatement",
                  "IDD_TEST DIALOG 0, 0, 10, 10\nSTYLEX WS_POPUP\nBEGIN\nEND\n",
                  nullptr,
                  {"line 2", "STYLEX"}},
        ErrorCase{"DialogWithoutEnd",
                  "IDD_TEST DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\",1,0,0,9,9\n",
                  nullptr,
                  {"line 2", "has no END"}},
        ErrorCase{"StringTableWithoutEnd",
                  "STRINGTABLE\nBEGIN\n  1 \"a\"\n",
                  nullptr,
                  {"line 2", "has no END"}},
        ErrorCase{"RawDataWithoutEnd",
                  "1 TEXTINCLUDE\nBEGIN\n \"x\"\n",
                  nullptr,
                  {"line 2", "has no END"}},
        ErrorCase{
            "CutShortStatement", "IDD_TEST DIALOG 0, 0, 10", nullptr, {"line 1", "unexpected end"}},
        ErrorCase{"StringNotClosed",
                  "STRINGTABLE\nBEGIN\n  1 \"abc\nEND\n",
                  nullptr,
                  {"line 3", "not closed"}},
        ErrorCase{"CommentNotClosed", "/* a\n b\n", nullptr, {"line 1", "comment"}},
        ErrorCase{"IfWithoutEndif", "#ifdef IDC_A\n", nullptr, {"line 1", "#endif"}},
        ErrorCase{"EndifWithoutIf", "\n#endif\n", nullptr, {"line 2", "#endif without #if"}},
        ErrorCase{"UnknownDirective", "#frobnicate 1\n", nullptr, {"#frobnicate"}},
        ErrorCase{"ErrorDirective", "#error stop here\n", nullptr, {"stop here"}},
        ErrorCase{"UnknownSymbol",
                  "IDD_TEST DIALOG 0, 0, 10, 10\nBEGIN\n  EDITTEXT IDC_NOPE,0,0,9,9\nEND\n",
                  nullptr,
                  {"line 3", "unknown symbol 'IDC_NOPE'"}},
        ErrorCase{"MissingComma",
                  "IDD_TEST DIALOG 0, 0, 10, 10\nBEGIN\n  EDITTEXT 1 0,0,9,9\nEND\n",
                  nullptr,
                  {"line 3", "expected ','"}},
        ErrorCase{"CoordinateOutOfRange",
                  "IDD_TEST DIALOG 0, 0, 40000, 10\nBEGIN\nEND\n",
                  nullptr,
                  {"line 1", "40000"}},
        ErrorCase{"DuplicateDialog",
                  "IDD_TEST DIALOG 0,0,1,1\nBEGIN\nEND\n200 DIALOG 0,0,1,1\nBEGIN\nEND\n",
                  nullptr,
                  {"line 4", "twice"}},
        ErrorCase{"DuplicateString",
                  "STRINGTABLE\nBEGIN\n 7 \"a\"\n 7 \"b\"\nEND\n",
                  nullptr,
                  {"line 4", "twice"}},
        ErrorCase{"DivisionByZero",
                  "IDD_TEST DIALOG 0, 0, 10/0, 10\nBEGIN\nEND\n",
                  nullptr,
                  {"division by zero"}},
        ErrorCase{"DialogNameNotASymbol",
                  "IDD_OTHER DIALOG 0, 0, 1, 1\nBEGIN\nEND\n",
                  nullptr,
                  {"IDD_OTHER", "numeric id"}},
        ErrorCase{"FontExtrasNeedDialogEx",
                  "IDD_TEST DIALOG 0,0,1,1\nFONT 8, \"x\", 700\nBEGIN\nEND\n",
                  nullptr,
                  {"line 2", "DIALOGEX"}},
        ErrorCase{"StrayCharacter", "IDD_TEST DIALOG 0,0,1,1 @\n", nullptr, {"line 1", "'@'"}},
        ErrorCase{
            "TextInHeader", "", "#define A 1\nA B\n", {"resource header line 2", "id header"}},
        ErrorCase{"SelfReference",
                  "IDD_TEST DIALOG 0,0,LOOP,1\nBEGIN\nEND\n",
                  "#define IDD_TEST 200\n#define LOOP (LOOP + 1)\n",
                  {"refers to itself"}},
        ErrorCase{"MacroWithParameters",
                  "",
                  "#define F(x) (x)\n",
                  {"resource header line 1", "parameters"}},
        ErrorCase{"DlgInitNotTerminated",
                  "IDD_TEST DLGINIT\nBEGIN\n IDC_A, 0x403, 2, 0, \"a\\0\"\nEND\n",
                  nullptr,
                  {"line 2", "terminating 0"}},
        ErrorCase{"DlgInitTextWithoutNul",
                  "IDD_TEST DLGINIT\nBEGIN\n IDC_A, 0x403, 2, 0, \"ab\", 0\nEND\n",
                  nullptr,
                  {"control 1001", "\\0"}},
        ErrorCase{"DlgInitLengthBeyondData",
                  "IDD_TEST DLGINIT\nBEGIN\n IDC_A, 0x403, 90, 0, \"ab\\0\", 0\nEND\n",
                  nullptr,
                  {"90 bytes"}},
        ErrorCase{"DlgInitOtherMessage",
                  "IDD_TEST DLGINIT\nBEGIN\n IDC_A, 0x1234, 2, 0, \"a\\0\", 0\nEND\n",
                  nullptr,
                  {"0x1234", "add-string"}},
        ErrorCase{"DlgInitWordTooLarge",
                  "IDD_TEST DLGINIT\nBEGIN\n 70000, 0\nEND\n",
                  nullptr,
                  {"line 3", "16 bits"}},
        ErrorCase{"SecondVersionInfo",
                  "1 VERSIONINFO\nBEGIN\nEND\n2 VERSIONINFO\nBEGIN\nEND\n",
                  nullptr,
                  {"line 4", "VERSIONINFO"}}),
    [](const testing::TestParamInfo<ErrorCase>& param) { return std::string(param.param.name); });

}  // namespace
