#include "settings/ini/ini_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "support/utf16_file.h"

using namespace std::string_literals;

namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

template <class Case>
std::string CaseName(const testing::TestParamInfo<Case>& p) {
    return p.param.name;
}

// ---------------------------------------------------------------------------------------------
// Reading

struct ReadCase {
    const char* name;
    std::string bytes;
    std::string section;
    std::string key;
    std::string expected;
    std::size_t bufferSize = 64;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadRules : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadRules, ReadsWhatWindowsReads) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(settings::ini::GetString(c.bytes, c.section, c.key, c.bufferSize), c.expected);
}

const std::string kHundred(100, 'x');

INSTANTIATE_TEST_SUITE_P(
    Names, ReadRules,
    testing::Values(
        ReadCase{"CaseInsensitive", "[Section1]\r\nName1=val1", "section1", "NAME1", "val1"},
        ReadCase{"BlanksAroundEverything", "[ sec ]\r\n  key  =  value  ", "sec", "key", "value"},
        ReadCase{"InnerBlanksKept", "[s]\nmy key = a  b \n", "s", "my key", "a  b"},
        ReadCase{"TabAndVerticalTabAreBlanks", "[\ts\v]\n\t\vk\t=\v v \t\n", "s", "k", "v"},
        ReadCase{"SpacesAroundArgumentsIgnored", "[sec]\nkey=1\n", " sec ", " key ", "1"},
        ReadCase{"TabInArgumentNotStripped", "[sec]\nkey=1\n", "sec", "\tkey", ""},
        ReadCase{"FirstEqualsSplits", "[s]\nk=a=b\n", "s", "k", "a=b"},
        ReadCase{"FirstKeyWins", "[s]\nk=1\nK=2\n", "s", "k", "1"},
        ReadCase{"OnlyFirstSectionSearched", "[a]\nx=1\n[b]\ny=0\n[A]\ny=2\n", "a", "y", ""},
        ReadCase{"KeyOfNextSectionNotSeen", "[a]\n[b]\nk=1\n", "a", "k", ""},
        ReadCase{"MissingSection", "[a]\nk=1\n", "b", "k", ""},
        ReadCase{"MissingKey", "[a]\nk=1\n", "a", "m", ""},
        ReadCase{"EmptyValue", "[s]\nk=\n", "s", "k", ""},
        ReadCase{"BlankValue", "[s]\nk=   \n", "s", "k", ""},
        ReadCase{"EmptyFile", "", "s", "k", ""}),
    CaseName<ReadCase>);

INSTANTIATE_TEST_SUITE_P(
    Quotes, ReadRules,
    testing::Values(ReadCase{"Double", "[s]\na=\"abc\"", "s", "a", "abc"},
                    ReadCase{"Single", "[s]\nb='abc'", "s", "b", "abc"},
                    ReadCase{"BlanksInsideKept", "[s]\nc=  \"   x   \"  ", "s", "c", "   x   "},
                    ReadCase{"OnlyOnePair", "[s]\nn=\"\"abc\"\"", "s", "n", "\"abc\""},
                    ReadCase{"OtherQuoteInside", "[s]\nm='\"abc\"'", "s", "m", "\"abc\""},
                    ReadCase{"Unmatched", "[s]\nc=\"abc", "s", "c", "\"abc"},
                    ReadCase{"Mixed", "[s]\nd=\"abc'", "s", "d", "\"abc'"},
                    ReadCase{"Crossed", "[s]\nx='\"abc'\"", "s", "x", "'\"abc'\""},
                    ReadCase{"NotOuter", "[s]\ni=x\"abc\"", "s", "i", "x\"abc\""},
                    ReadCase{"EmptyPair", "[s]\ne=\"\"", "s", "e", ""},
                    ReadCase{"LoneQuote", "[s]\ne=\"", "s", "e", "\""},
                    ReadCase{"InnerQuoteKept", "[s]\nh=\"a\"b\"", "s", "h", "a\"b"}),
    CaseName<ReadCase>);

INSTANTIATE_TEST_SUITE_P(
    CommentsAndHeaders, ReadRules,
    testing::Values(ReadCase{"CommentNeverAKey", "[s]\n;k=v\n", "s", ";k", ""},
                    ReadCase{"IndentedComment", "[s]\n \t;k=v\n", "s", ";k", ""},
                    ReadCase{"NoInlineComment", "[s]\nk=v ; inline\n", "s", "k", "v ; inline"},
                    ReadCase{"SemicolonInsideKey", "[s]\na;b=1\n", "s", "a;b", "1"},
                    ReadCase{"HashIsText", "[s]\n#h=hash\n", "s", "#h", "hash"},
                    ReadCase{"LineWithoutEqualsIsNoKey", "[s]\nk\nk2=1\n", "s", "k", ""},
                    ReadCase{"HeaderEndsAtFirstBracket", "[sec]whoops]\nk=1\n", "sec", "k", "1"},
                    ReadCase{"HeaderWithoutBracket", "[sec   \nk=2\n", "sec", "k", "2"},
                    ReadCase{"TextAfterHeaderIsNoKey", "[s]k=v\n", "s", "k", ""},
                    ReadCase{"IndentedHeader", "  \t[s]\nk=1\n", "s", "k", "1"},
                    ReadCase{"EmptySectionName", "[]\nk=1\n", "", "k", "1"},
                    ReadCase{"LinesBeforeFirstHeader", "k=1\n[s]\n", "", "k", ""},
                    ReadCase{"BracketLineStartsSection", "[s]\n[k=1\nk=2\n", "s", "k", ""}),
    CaseName<ReadCase>);

INSTANTIATE_TEST_SUITE_P(
    BytesAndBuffers, ReadRules,
    testing::Values(
        ReadCase{"LongValueCutTo63", "[s]\nk=" + kHundred, "s", "k", kHundred.substr(0, 63)},
        ReadCase{"Buffer100", "[s]\nk=" + kHundred, "s", "k", kHundred.substr(0, 99), 100},
        ReadCase{"Buffer101ExactFit", "[s]\nk=" + kHundred, "s", "k", kHundred, 101},
        ReadCase{"Buffer4", "[s]\nk=val1", "s", "k", "val", 4},
        ReadCase{"Buffer1", "[s]\nk=val1", "s", "k", "", 1},
        ReadCase{"Buffer0", "[s]\nk=val1", "s", "k", "", 0},
        ReadCase{"QuotesRemovedBeforeCut", "[s]\nk=\"abcdef\"", "s", "k", "abc", 4},
        ReadCase{"CrLf", "[s]\r\na=1\r\nk=2\r\n", "s", "k", "2"},
        ReadCase{"LfOnly", "[s]\na=1\nk=2\n", "s", "k", "2"},
        ReadCase{"CrOnly", "[s]\ra=1\rk=2\r", "s", "k", "2"},
        ReadCase{"LfCrIsTwoLineEnds", "[s]\n\rk=2\n\r", "s", "k", "2"},
        ReadCase{"NoFinalLineEnd", "[s]\r\nk=last", "s", "k", "last"},
        ReadCase{"NulEndsValue", "[s]\nk=ab\0cd\nm=2\n"s, "s", "k", "ab"},
        ReadCase{"LineAfterNulParses", "[s]\nk=ab\0cd\nm=2\n"s, "s", "m", "2"},
        ReadCase{"NulBeforeEqualsNoKey", "[s]\nk\0=1\n"s, "s", "k", ""},
        ReadCase{"NulInArgumentEndsIt", "[s]\nk=1\n", "s", "k\0junk"s, "1"},
        ReadCase{"Utf8BomHidesFirstHeader", "\xEF\xBB\xBF[s]\nk=1\n[t]\nk=2\n", "s", "k", ""},
        ReadCase{"Utf8BomLaterSectionsWork", "\xEF\xBB\xBF[s]\nk=1\n[t]\nk=2\n", "t", "k", "2"},
        ReadCase{"HighBytesAreText", "[s\xE9]\n\xC4=\xFF\xFE\n", "s\xE9", "\xC4", "\xFF\xFE"},
        ReadCase{"CaseFoldIsAsciiOnly", "[s]\n\xC4=1\n", "s", "\xE4", ""}),
    CaseName<ReadCase>);

TEST(GetStrings, AnswersEachKeyAsGetStringDoes) {
    const std::string file =
        "[s]\r\nA=1\r\n;b=2\r\nc = \"3\"\r\na=dup\r\n[t]\r\nd=4\r\n[S]\r\ne=5\r\n";
    const std::vector<std::string_view> keys = {"a", "B", ";b", "c", "d", "e", "A", " c "};
    const std::vector<std::string> values = settings::ini::GetStrings(file, "S", keys);
    ASSERT_EQ(values.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(values[i], settings::ini::GetString(file, "S", keys[i])) << keys[i];
    }
    EXPECT_EQ(values[0], "1");
    EXPECT_EQ(values[3], "3");
    EXPECT_EQ(values[7], "3");
    EXPECT_TRUE(settings::ini::GetStrings(file, "s", {}).empty());
}

// ---------------------------------------------------------------------------------------------
// Writing: exact bytes

struct Edit {
    std::string section;
    std::string key;
    std::string value;
};

struct WriteCase {
    const char* name;
    std::string before;
    std::vector<Edit> edits;  // all in one section for the batch check
    std::string after;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteLayout : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteLayout, OneAtATime) {
    const WriteCase& c = GetParam();
    std::string bytes = c.before;
    for (const Edit& e : c.edits) settings::ini::SetString(bytes, e.section, e.key, e.value);
    EXPECT_EQ(bytes, c.after);
}

TEST_P(WriteLayout, AsOneBatch) {
    const WriteCase& c = GetParam();
    std::vector<settings::ini::KeyValue> edits;
    for (const Edit& e : c.edits) edits.push_back({e.key, e.value});
    std::string bytes = c.before;
    settings::ini::SetStrings(bytes, c.edits.front().section, edits);
    EXPECT_EQ(bytes, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, WriteLayout,
    testing::Values(
        WriteCase{"NewFile", "", {{"App", "key", "string"}}, "[App]\r\nkey=string\r\n"},
        WriteCase{"NewKeysInCallOrder",
                  "",
                  {{"App", "key", "string"}, {"App", "key2", "v2"}},
                  "[App]\r\nkey=string\r\nkey2=v2\r\n"},
        WriteCase{"NewSectionAfterUnterminatedLine",
                  "[A]\r\nx=1",
                  {{"S", "K", "V"}},
                  "[A]\r\nx=1\r\n[S]\r\nK=V\r\n"},
        WriteCase{"NewSectionAfterBom",
                  "\xEF\xBB\xBF",
                  {{"S", "K", "V"}},
                  "\xEF\xBB\xBF\r\n[S]\r\nK=V\r\n"},
        WriteCase{"NewSectionAfterTrailingBlankLines",
                  "[A]\r\nx=1\r\n\r\n\r\n",
                  {{"S", "K", "V"}},
                  "[A]\r\nx=1\r\n\r\n\r\n[S]\r\nK=V\r\n"},
        WriteCase{"NewSectionAfterCrOnlyEnd",
                  "[A]\rx=1\r",
                  {{"S", "K", "V"}},
                  "[A]\rx=1\r[S]\r\nK=V\r\n"},
        WriteCase{"NewKeyBeforeTrailingCommentsAndBlanks",
                  "[S]\r\na=1\r\n;c\r\n\r\n[T]\r\nz=0\r\n",
                  {{"S", "b", "2"}},
                  "[S]\r\na=1\r\nb=2\r\n;c\r\n\r\n[T]\r\nz=0\r\n"},
        WriteCase{
            "CommentKeysLandAfterLastKey",
            "",
            {{"S", "z", ""}, {"S", ";y", ""}, {"S", "a", ""}, {"S", ";b", ""}, {"S", ";c", ""}},
            "[S]\r\nz=\r\na=\r\n;c=\r\n;b=\r\n;y=\r\n"},
        WriteCase{"CommentKeyNeverReplaced",
                  "[S]\r\n;k=1\r\n",
                  {{"S", ";k", "2"}},
                  "[S]\r\n;k=2\r\n;k=1\r\n"},
        WriteCase{"ReplaceKeepsSpelling",
                  "[Main]\r\nKey1=old\r\n",
                  {{"MAIN", "KEY1", "new"}},
                  "[Main]\r\nKey1=new\r\n"},
        WriteCase{"ReplaceUnterminatedLast", "[S]\r\nK=V", {{"S", "k", "W"}}, "[S]\r\nK=W\r\n"},
        WriteCase{"ReplaceThenAddAtUnterminatedEnd",
                  "[S]\r\nK=V",
                  {{"S", "k", "W"}, {"S", "n", "x"}},
                  "[S]\r\nK=W\r\nn=x\r\n"},
        WriteCase{
            "AddAfterUnterminatedLast", "[S]\r\nK=V", {{"S", "n", "x"}}, "[S]\r\nK=V\r\nn=x\r\n"},
        WriteCase{"AddAfterUnterminatedHeader", "[S]", {{"S", "n", "x"}}, "[S]\r\nn=x\r\n"},
        WriteCase{"AddToSectionOfOnlyComments",
                  "[S]\r\n;c\r\n",
                  {{"S", "k", "v"}},
                  "[S]\r\nk=v\r\n;c\r\n"},
        WriteCase{"OnlyFirstDuplicateReplaced",
                  "[s]\r\nk=1\r\nk=2\r\n",
                  {{"s", "k", "9"}},
                  "[s]\r\nk=9\r\nk=2\r\n"},
        WriteCase{"FirstOfDuplicateSectionsEdited",
                  "[a]\r\nx=1\r\n[b]\r\n[a]\r\ny=2\r\n",
                  {{"a", "y", "3"}},
                  "[a]\r\nx=1\r\ny=3\r\n[b]\r\n[a]\r\ny=2\r\n"},
        WriteCase{"ValueVerbatim", "", {{"s", "k", "  padded  "}}, "[s]\r\nk=  padded  \r\n"},
        WriteCase{"QuotesVerbatim", "", {{"s", "q", "\"quoted\""}}, "[s]\r\nq=\"quoted\"\r\n"},
        WriteCase{"ArgumentSpacesStripped", "", {{" sec ", " key ", "v"}}, "[sec]\r\nkey=v\r\n"},
        WriteCase{"EmptyValue", "[s]\r\nk=1\r\n", {{"s", "k", ""}}, "[s]\r\nk=\r\n"},
        WriteCase{"OtherLfLinesStayLf", "[s]\nk=1\nm=2\n", {{"s", "k", "3"}}, "[s]\nk=3\r\nm=2\n"},
        WriteCase{"AddAfterCrOnlyLastLine", "[S]\rk=1\r", {{"S", "n", "v"}}, "[S]\rk=1\rn=v\r\n"},
        WriteCase{"CrOnlyLineReplaced", "[S]\rk=1\rm=2", {{"S", "k", "3"}}, "[S]\rk=3\r\nm=2"},
        WriteCase{"IndentedKeyRewritten",
                  "[S]\r\n  Key = old  \r\n",
                  {{"S", "key", "new"}},
                  "[S]\r\nKey=new\r\n"},
        WriteCase{"LineWithoutEqualsCountsAsEntry",
                  "[S]\r\nk=1\r\njunk\r\n;c\r\n",
                  {{"S", "n", "v"}},
                  "[S]\r\nk=1\r\njunk\r\nn=v\r\n;c\r\n"},
        WriteCase{"NulEndsWrittenValue", "", {{"s", "k", "a\0b"s}}, "[s]\r\nk=a\r\n"},
        WriteCase{"OddBytesElsewhereKept",
                  "\0\xFF junk\r\n[S]\r\n\x01=\x02\0x\r\nk=1\r\n[T]\n\0"s,
                  {{"S", "k", "2"}, {"S", "n", "3"}},
                  "\0\xFF junk\r\n[S]\r\n\x01=\x02\0x\r\nk=2\r\nn=3\r\n[T]\n\0"s},
        WriteCase{"LineWithNulReplacedWhole",
                  "[S]\r\nk=1\0tail\r\n"s,
                  {{"S", "k", "2"}},
                  "[S]\r\nk=2\r\n"},
        WriteCase{"RepeatedKeyInBatch",
                  "[S]\r\na=0\r\n",
                  {{"S", "n", "1"}, {"S", "A", "1"}, {"S", "N", "2"}, {"S", "a", "2"}},
                  "[S]\r\na=2\r\nn=2\r\n"},
        WriteCase{"BlanksAroundNewKeyArgument",
                  "[S]\r\nk=1\r\n",
                  {{"S", "k\t", "2"}},
                  "[S]\r\nk=1\r\nk\t=2\r\n"},
        // UTF-16LE: the mark alone is a non-empty file, so a line end comes first.
        WriteCase{
            "Utf16MarkOnly", Utf16File(""), {{"S", "K", "V"}}, Utf16File("\r\n[S]\r\nK=V\r\n")},
        WriteCase{"Utf16EditInPlace",
                  Utf16File("[Main]\r\n  Key1 = a \r\n;c\n\r\n"),
                  {{"MAIN", "KEY1", "b"}, {"main", "n", "\x80\xE9"}},
                  Utf16File(u"[Main]\r\nKey1=b\r\nn=\u20AC\u00E9\r\n;c\n\r\n")},
        WriteCase{"Utf16OddByteStaysLast",
                  Utf16File("[S]\r\nk=1") + "A",
                  {{"S", "k", "2"}, {"S", "n", "3"}},
                  Utf16File("[S]\r\nk=2\r\nn=3\r\n") + "A"},
        WriteCase{"Utf16ForeignTextKept",
                  Utf16File(u"[S]\r\n;\u4E00\U0001F600\r\nk=1\r\nx=" + std::u16string(1, 0xD800) +
                            u"\r\n"),
                  {{"S", "k", "2"}},
                  Utf16File(u"[S]\r\n;\u4E00\U0001F600\r\nk=2\r\nx=" + std::u16string(1, 0xD800) +
                            u"\r\n")},
        WriteCase{"Utf16BigEndianMarkIsBytes",
                  "\xFE\xFF",
                  {{"S", "K", "V"}},
                  "\xFE\xFF\r\n[S]\r\nK=V\r\n"}),
    CaseName<WriteCase>);

TEST(SetString, ValueWithLineBreakWritesItVerbatim) {
    // What the Windows function does; the settings never write such values.
    std::string bytes = "[S]\r\nk=1\r\n";
    settings::ini::SetString(bytes, "S", "k", "2\r\n[T]\r\nx=y");
    EXPECT_EQ(bytes, "[S]\r\nk=2\r\n[T]\r\nx=y\r\n");
    EXPECT_EQ(settings::ini::GetString(bytes, "T", "x"), "y");
}

TEST(Utf16, ValuesComeOutInWindows1252) {
    const std::string bytes = Utf16File(u"[S]\r\na=caf\u00E9 \u20AC \u4E00 \U0001F600 " +
                                        std::u16string(1, 0xDC00) + u"\r\nb=\"q\"\r\n");
    EXPECT_EQ(settings::ini::GetString(bytes, "s", "A"), "caf\xE9 \x80 ? ? ?");
    EXPECT_EQ(settings::ini::GetString(bytes, "S", "b"), "q");
    EXPECT_EQ(settings::ini::GetString(Utf16File("[S]\r\nk=v") + "\x00", "S", "k"),
              "v");  // odd byte
    // Only FF FE is a mark: the same text with FE FF, or as UTF-8 after its mark, is bytes.
    std::string bigEndian = Utf16File("[S]\r\nk=v");
    std::swap(bigEndian[0], bigEndian[1]);
    EXPECT_EQ(settings::ini::GetString(bigEndian, "S", "k"), "");
    EXPECT_EQ(settings::ini::GetString("\xEF\xBB\xBF[S]\r\nk=v", "S", "k"), "");
}

// ---------------------------------------------------------------------------------------------
// SetStrings == one SetString per edit, on generated files and edits

class EditGenerator {
public:
    explicit EditGenerator(unsigned seed) : m_rng(seed) {}

    std::string File() {
        static const std::string kLines[] = {
            "[S]",      "[s]",
            " [ S ] ",  "[T]",
            "[S]junk]", "[S]s]",
            "[S",       "k=1",
            "K = 2",    "  k=3",
            "a=",       ";c",
            " ;k=1",    "",
            "\t",       "junk",
            "k",        "=e",
            "b=\"q\"",  "[]",
            "x=1=2",    "\xEF\xBB\xBF[S]",
            "k=\0n"s,   "\0"s,
            "[k=1",     "n=long value",
        };
        static const char* const kEnds[] = {"\r\n", "\n", "\r", "\r\n", "\r\n"};
        std::string file;
        const int lines = Pick(12);
        for (int i = 0; i < lines; ++i) {
            file.append(kLines[Pick(std::size(kLines))]);
            if (i + 1 < lines || Pick(2) == 0) file.append(kEnds[Pick(std::size(kEnds))]);
        }
        return file;
    }

    std::string Section() {
        static const char* const kSections[] = {"S", "s", " S ", "T", "U", "", "S]x", "\tS"};
        return kSections[Pick(std::size(kSections))];
    }

    settings::ini::KeyValue Edit() {
        static const char* const kKeys[] = {"k", "K",   " k ", "a",   "n",   "N", ";c", ";y",
                                            "",  "b=c", "[x",  "k\t", "\tk", "x", "m",  "e"};
        static const char* const kValues[] = {"",  "v",      "1",         " padded ", "\"q\"",
                                              "w", "a\r\nb", "x\n[S]\ny", "=",        ";"};
        return {kKeys[Pick(std::size(kKeys))], kValues[Pick(std::size(kValues))]};
    }

    int Pick(std::size_t n) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng));
    }

private:
    std::mt19937 m_rng;
};

TEST(SetStrings, SameBytesAsOneSetStringPerEdit) {
    for (unsigned seed = 1; seed <= 4000; ++seed) {
        EditGenerator gen(seed);
        const std::string file = gen.File();
        const std::string section = gen.Section();
        std::vector<settings::ini::KeyValue> edits(static_cast<std::size_t>(1 + gen.Pick(6)));
        for (auto& e : edits) e = gen.Edit();

        std::string sequential = file;
        for (const auto& e : edits) settings::ini::SetString(sequential, section, e.key, e.value);
        std::string batch = file;
        settings::ini::SetStrings(batch, section, edits);
        ASSERT_EQ(batch, sequential) << "seed " << seed;
    }
}

TEST(SetStrings, PlainEditsReadBack) {
    // Keys and values that round-trip: each reads back as written, whatever the file held.
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        EditGenerator gen(seed);
        std::string bytes = gen.File();
        static const char* const kKeys[] = {"k", "K", "a", "n", "m", "e", "x"};
        static const char* const kValues[] = {"", "v", "1", "w x", "-1", "1.10"};
        std::vector<settings::ini::KeyValue> edits;
        for (int i = gen.Pick(5); i >= 0; --i) {
            edits.push_back({kKeys[gen.Pick(std::size(kKeys))], kValues[gen.Pick(6)]});
        }
        settings::ini::SetStrings(bytes, "S", edits);
        for (const auto& e : edits) {
            std::string_view last;  // the last edit of the same key, in any case, wins
            for (const auto& later : edits) {
                if (SameNoCase(later.key, e.key)) last = later.value;
            }
            ASSERT_EQ(settings::ini::GetString(bytes, "S", e.key), last)
                << "seed " << seed << " key " << e.key;
        }
    }
}

TEST(SetStrings, NoEditsChangesNothing) {
    std::string bytes = "junk";
    settings::ini::SetStrings(bytes, "S", {});
    EXPECT_EQ(bytes, "junk");
}

TEST(Utf16, SameRulesAsTheBytes) {
    // Any file of Latin-1 text behaves as UTF-16LE exactly as it does as bytes.
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        EditGenerator gen(seed);
        const std::string file = gen.File();
        if (file.empty()) continue;  // the mark alone is not an empty file
        const std::string section = gen.Section();
        std::vector<settings::ini::KeyValue> edits(static_cast<std::size_t>(1 + gen.Pick(4)));
        for (auto& e : edits) e = gen.Edit();

        std::string bytes = file;
        settings::ini::SetStrings(bytes, section, edits);
        std::string wide = Utf16File(file);
        settings::ini::SetStrings(wide, section, edits);
        ASSERT_EQ(wide, Utf16File(bytes)) << "seed " << seed;
        for (const auto& e : edits) {
            ASSERT_EQ(settings::ini::GetString(wide, section, e.key),
                      settings::ini::GetString(bytes, section, e.key))
                << "seed " << seed;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Hostile input: garbage, binary, huge lines. Everything must stay defined.

TEST(HostileInput, RandomBytesKeepPrefixAndReadBack) {
    std::mt19937 rng(7);
    const std::string alphabet = "[]=;\r\n\0 \t\vksS\"'x\xFF"s;
    for (int round = 0; round < 500; ++round) {
        std::string bytes(static_cast<std::size_t>(rng() % 300), '\0');
        for (char& c : bytes) {
            c = (rng() % 4 == 0) ? static_cast<char>(rng() % 256)
                                 : alphabet[rng() % alphabet.size()];
        }
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{64}}) {
            const std::string value = settings::ini::GetString(bytes, "s", "k", size);
            EXPECT_LE(value.size(), size == 0 ? 0 : size - 1);
            EXPECT_EQ(value.find_first_of("\r\n"s + '\0'), std::string::npos);
        }
        const std::string before = bytes;
        settings::ini::SetString(bytes, "Mul_Tavrel", "type", "1");
        EXPECT_EQ(settings::ini::GetString(bytes, "Mul_Tavrel", "type"), "1");
        if (settings::ini::GetString(before, "Mul_Tavrel", "type").empty()) {
            EXPECT_EQ(bytes.compare(0, before.size(), before), 0);  // appended
        }
        settings::ini::SetString(bytes, "s", "k", "value");
        EXPECT_EQ(settings::ini::GetString(bytes, "s", "k"), "value");
        EXPECT_EQ(settings::ini::GetString(bytes, "Mul_Tavrel", "type"), "1");
    }
}

TEST(HostileInput, HugeLines) {
    const std::string huge(100000, 'v');
    std::string bytes = std::string(100000, 'g') + "\r\n[s]\r\n" + std::string(100000, ';') +
                        "\r\nk=" + huge + "\r\n" + std::string(100000, '[');
    EXPECT_EQ(settings::ini::GetString(bytes, "s", "k"), huge.substr(0, 63));
    EXPECT_EQ(settings::ini::GetString(bytes, "s", "k", huge.size() + 1), huge);
    const std::string tail = bytes.substr(bytes.size() - 100000);
    settings::ini::SetString(bytes, "s", "n", huge);
    EXPECT_EQ(settings::ini::GetString(bytes, "s", "n", huge.size() + 1), huge);
    settings::ini::SetString(bytes, "s", "k", "short");
    EXPECT_EQ(settings::ini::GetString(bytes, "s", "k"), "short");
    EXPECT_EQ(bytes.substr(bytes.size() - 100000), tail);
    // A header line of 100000 '[' has no ']': its name is the rest of the line.
    EXPECT_EQ(settings::ini::GetString(bytes + "\r\nz=1", std::string(99999, '['), "z"), "1");
}

TEST(HostileInput, SectionAmongThousands) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) {
        bytes += "[Sec" + std::to_string(i) + "]\r\nkey=value\r\n";
        if (i == 2500) bytes += "[Mul_Tavrel]\r\nera=1\r\n;tail\r\n";
    }
    const std::string original = bytes;
    const settings::ini::KeyValue edits[] = {{"era", "2"}, {"type", "0"}, {"hull", "-1"}};
    settings::ini::SetStrings(bytes, "Mul_Tavrel", edits);
    const std::string expected_section = "[Mul_Tavrel]\r\nera=2\r\ntype=0\r\nhull=-1\r\n;tail\r\n";
    const std::size_t at = original.find("[Mul_Tavrel]");
    EXPECT_EQ(bytes.substr(0, at), original.substr(0, at));
    EXPECT_EQ(bytes.substr(at, expected_section.size()), expected_section);
    EXPECT_EQ(bytes.substr(at + expected_section.size()),
              original.substr(original.find("[Sec2501]")));
}

}  // namespace
