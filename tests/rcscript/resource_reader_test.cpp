// The resource-script reader itself, on scripts of its own: each statement, the preprocessor,
// and the errors it reports.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "rcscript/resource_set.h"
#include "support/case_names.h"
#include "symbol_value.h"

namespace {

using framework::DialogTemplate;
using rcscript::ResourceSet;
using rcscript_test::SymbolValue;

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
