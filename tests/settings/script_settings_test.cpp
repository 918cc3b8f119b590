#include "settings/record/script_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "base/numeric_text.h"
#include "settings/ini/ini_profile.h"
#include "settings/locate/folder_paths.h"
#include "settings/record/settings_keys.h"
#include "settings/store/file_store.h"
#include "support/case_names.h"
#include "support/comma_locale.h"
#include "support/game_folder_test.h"
#include "support/utf16_file.h"

namespace {

using test_support::GameFolderTest;

constexpr std::array<int, kOddsCount> kDefaultOdds = {80, 70, 50, 65, 60, 45,
                                                      55, 20, 30, 10, 10, 0};

const std::string kDefaultScripts =
    "[Mul_Tavrel]\r\n"
    "multiplier=1.10\r\n"
    "type=0\r\n"
    "rrace=-1\r\n"
    "srace=-1\r\n"
    "race=0\r\n"
    "hull=-1\r\n"
    "hullpercentA=1093813840\r\n"
    "hullpercentB=339160380\r\n"
    "hullpercentC=657950\r\n"
    "era=2\r\n"
    "ModSupport=-9\r\n";

std::vector<int> OddsOf(const CScriptSettings& record) {
    std::vector<int> odds;
    for (int element = 0; element < kOddsCount; ++element)
        odds.push_back(record.GetHullOdds(element));
    return odds;
}

const settings::KeySpec& KeyNamed(std::string_view name) {
    for (const settings::KeySpec& key : settings::KeysInWriteOrder()) {
        if (key.name == name) return key;
    }
    ADD_FAILURE() << "no key " << name;
    return settings::KeysInWriteOrder().front();
}

class ScriptSettingsTest : public GameFolderTest {
protected:
    std::string SavedScriptsValue(std::string_view key) const {
        return settings::ini::GetString(ReadBytes(ScriptsIni()), "Mul_Tavrel", key);
    }

    std::filesystem::path PathOf(settings::SettingsFile file) const {
        return file == settings::SettingsFile::kSfc ? SfcIni() : ScriptsIni();
    }

    std::string SavedValue(const settings::KeySpec& key) const {
        return settings::ini::GetString(ReadBytes(PathOf(key.file)), key.section, key.name);
    }

    // Fills every field with values that no default and no file of these tests produces.
    static void MarkRecord(CScriptSettings& record) {
        record.SetMultiplier(9.25f);
        record.SetRaceMode(1);
        record.ClearRaces();
        record.AddRace(RACE_GORN);
        record.SetRaceMode(0);
        record.ClearRaces();
        record.AddRace(RACE_ISC);
        record.ClearHulls();
        record.AddHull(HULL_CARRIER);
        for (int element = 0; element < kOddsCount; ++element) record.SetHullOdds(element, 33);
        record.SetEra(7);
        record.SetUIType(5);
        record.SetForceEra(0);
        record.SetModSupportBit3(1);
    }

    CScriptSettings m_record;
};

TEST_F(ScriptSettingsTest, ConstructedRecordIsAllZero) {
    EXPECT_EQ(m_record.GetMultiplier(), 0.0f);
    EXPECT_FALSE(m_record.GetRaceMode());
    EXPECT_EQ(m_record.GetRaces(), 0);
    EXPECT_FALSE(m_record.HasHull(HULL_FRIGATE));
    EXPECT_EQ(OddsOf(m_record), std::vector<int>(kOddsCount, 0));
    EXPECT_EQ(m_record.GetEra(), 0);
    EXPECT_EQ(m_record.GetUIType(), 0);
    EXPECT_FALSE(m_record.GetForceEra());
    EXPECT_FALSE(m_record.GetModSupportBit3());
}

// ---- Defaults ---------------------------------------------------------------------------------

enum class ScriptsState { kAbsent, kOtherSectionsOnly, kEmptySection, kDirectory };

std::string StateName(ScriptsState state) {
    switch (state) {
        case ScriptsState::kAbsent:
            return "Absent";
        case ScriptsState::kOtherSectionsOnly:
            return "OtherSectionsOnly";
        case ScriptsState::kEmptySection:
            return "EmptySection";
        case ScriptsState::kDirectory:
            return "Directory";
    }
    return "Unknown";
}

class DefaultsTest : public ScriptSettingsTest,
                     public ::testing::WithParamInterface<ScriptsState> {};

TEST_P(DefaultsTest, EveryKeyTakesItsDefault) {
    switch (GetParam()) {
        case ScriptsState::kAbsent:
            break;
        case ScriptsState::kOtherSectionsOnly:
            WriteBytes(ScriptsIni(), "[Mul_Other]\r\nmultiplier=2\r\ntype=1\r\nhull=5\r\n");
            break;
        case ScriptsState::kEmptySection:
            WriteBytes(ScriptsIni(), "[Mul_Tavrel]\r\nmultiplier=\r\ntype=\r\nera=  \r\n");
            break;
        case ScriptsState::kDirectory:
            std::filesystem::create_directory(ScriptsIni());
            break;
    }
    WriteBytes(SfcIni(), "[UI]\r\nUIType=2\r\n");
    MarkRecord(m_record);

    ASSERT_TRUE(m_record.Load());

    EXPECT_EQ(m_record.GetMultiplier(), 1.1f);
    EXPECT_FALSE(m_record.GetRaceMode());
    EXPECT_EQ(m_record.GetRaces(), -1);
    m_record.SetRaceMode(1);
    EXPECT_EQ(m_record.GetRaces(), -1);
    for (int bit = 0; bit < 32; ++bit) EXPECT_TRUE(m_record.HasHull(bit)) << bit;
    EXPECT_EQ(OddsOf(m_record), std::vector<int>(kDefaultOdds.begin(), kDefaultOdds.end()));
    EXPECT_EQ(m_record.GetEra(), 2);
    EXPECT_EQ(m_record.GetUIType(), 2);
    EXPECT_TRUE(m_record.GetForceEra());  // -9: every bit but bit 3
    EXPECT_FALSE(m_record.GetModSupportBit3());
}

INSTANTIATE_TEST_SUITE_P(States, DefaultsTest,
                         ::testing::Values(ScriptsState::kAbsent, ScriptsState::kOtherSectionsOnly,
                                           ScriptsState::kEmptySection, ScriptsState::kDirectory),
                         test_support::NameBy(StateName));

TEST_F(ScriptSettingsTest, UITypeDefaultsToZeroWithoutSfcIni) {
    MarkRecord(m_record);
    ASSERT_TRUE(m_record.Load());
    EXPECT_EQ(m_record.GetUIType(), 0);
}

// Each key read on its own: absent from its section (but present in a decoy section and in the
// other file) it takes its default while every other key keeps the value of the file.
std::string ReadKeyName(std::size_t i) {
    return std::string(settings::KeysInReadOrder()[i]->name) + "Missing";
}

class SingleDefaultTest : public ScriptSettingsTest,
                          public ::testing::WithParamInterface<std::size_t> {};

TEST_P(SingleDefaultTest, OnlyTheMissingKeyTakesItsDefault) {
    const settings::KeySpec& missing = *settings::KeysInReadOrder()[GetParam()];
    // Per file: its own section with the keys present, then the decoys.
    std::array<std::string, settings::kSettingsFileCount> files = {
        "[" + std::string(settings::kScriptsSection) + "]\r\n",
        "[" + std::string(settings::kSfcSection) + "]\r\n"};
    std::array<std::string, settings::kSettingsFileCount> decoys;
    for (const settings::KeySpec& key : settings::KeysInWriteOrder()) {
        const auto file = static_cast<std::size_t>(key.file);
        const std::string line = std::string(key.name) + "=1\r\n";
        if (&key == &missing) {
            decoys[file] += "[" + std::string(key.section) + "_decoy]\r\n" + line;
            decoys[1 - file] += "[" + std::string(key.section) + "]\r\n" + line;
        } else if (key.readOrder > 0) {
            files[file] += line;
        }
    }
    WriteBytes(ScriptsIni(), files[0] + decoys[0]);
    WriteBytes(SfcIni(), files[1] + decoys[1]);

    ASSERT_TRUE(m_record.Load());
    ASSERT_TRUE(m_record.Save());
    for (const settings::KeySpec* key : settings::KeysInReadOrder()) {
        const bool isFloat = key->conversion == settings::Conversion::kFloat;
        std::string expected = isFloat ? "1.00" : "1";
        if (key == &missing) {
            expected = isFloat ? base::FormatFixed2(
                                     static_cast<double>(base::NarrowToFloat(key->defaultValue)))
                               : base::FormatInt(base::TruncateToInt32Bits(key->defaultValue));
        }
        EXPECT_EQ(SavedValue(*key), expected)
            << key->name << " with " << missing.name << " missing";
    }
}

INSTANTIATE_TEST_SUITE_P(ReadKeys, SingleDefaultTest,
                         ::testing::Range<std::size_t>(0, settings::kReadKeyCount),
                         test_support::NameBy(ReadKeyName));

// ---- Bytes written ----------------------------------------------------------------------------

TEST_F(ScriptSettingsTest, SaveOfDefaultsCreatesBothFiles) {
    ASSERT_TRUE(m_record.Load());
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(ReadBytes(ScriptsIni()), kDefaultScripts);
    EXPECT_EQ(ReadBytes(SfcIni()), "[UI]\r\nUIType=0\r\n");
}

TEST_F(ScriptSettingsTest, SaveChangesOnlyTheKeyLinesOfAnExistingFile) {
    WriteBytes(ScriptsIni(),
               "; game scripts\r\n"
               "[Mul_Other]\r\n"
               "type=7\r\n"
               "\r\n"
               "[Mul_Tavrel]\r\n"
               "; tuned by hand\r\n"
               "Type=1\r\n"
               "srace=5\r\n"
               "hull=abc\r\n"
               "extra = keep me \r\n"
               "\r\n"
               "; trailing comment\r\n"
               "[Mul_Zeta]\r\n"
               "era=1\r\n"
               "tail without line end");
    WriteBytes(SfcIni(), "[Video]\r\nWidth=1024\r\n[UI]\r\nUIType=1\r\nShowTips=0\r\n");

    ASSERT_TRUE(m_record.Load());
    EXPECT_TRUE(m_record.GetRaceMode());
    EXPECT_EQ(m_record.GetRaces(), 5);
    EXPECT_FALSE(m_record.HasHull(HULL_FRIGATE));  // "abc" reads as 0
    EXPECT_EQ(m_record.GetEra(), 2);               // [Mul_Zeta] is not ours
    EXPECT_EQ(m_record.GetUIType(), 1);
    m_record.SetUIType(2);
    ASSERT_TRUE(m_record.Save());

    EXPECT_EQ(ReadBytes(ScriptsIni()),
              "; game scripts\r\n"
              "[Mul_Other]\r\n"
              "type=7\r\n"
              "\r\n"
              "[Mul_Tavrel]\r\n"
              "; tuned by hand\r\n"
              "Type=1\r\n"
              "srace=5\r\n"
              "hull=0\r\n"
              "extra = keep me \r\n"
              "multiplier=1.10\r\n"
              "rrace=-1\r\n"
              "race=5\r\n"
              "hullpercentA=1093813840\r\n"
              "hullpercentB=339160380\r\n"
              "hullpercentC=657950\r\n"
              "era=2\r\n"
              "ModSupport=-9\r\n"
              "\r\n"
              "; trailing comment\r\n"
              "[Mul_Zeta]\r\n"
              "era=1\r\n"
              "tail without line end");
    EXPECT_EQ(ReadBytes(SfcIni()), "[Video]\r\nWidth=1024\r\n[UI]\r\nUIType=2\r\nShowTips=0\r\n");
}

TEST_F(ScriptSettingsTest, UnicodeFilesAreReadAndWrittenAsUnicode) {
    WriteBytes(ScriptsIni(), Utf16File(u"; \u4E00\r\n[Mul_Tavrel]\r\nera=1\r\nModSupport=16\r\n"));
    WriteBytes(SfcIni(), Utf16File(""));
    ASSERT_TRUE(m_record.Load());
    EXPECT_EQ(m_record.GetEra(), 1);
    EXPECT_TRUE(m_record.GetForceEra());
    m_record.SetEra(0);
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(ReadBytes(ScriptsIni()),
              Utf16File(u"; \u4E00\r\n[Mul_Tavrel]\r\nera=0\r\n"
                        u"ModSupport=16\r\nmultiplier=1.10\r\ntype=0\r\n"
                        u"rrace=-1\r\nsrace=-1\r\nrace=0\r\nhull=-1\r\n"
                        u"hullpercentA=1093813840\r\nhullpercentB=339160380\r\n"
                        u"hullpercentC=657950\r\n"));
    EXPECT_EQ(ReadBytes(SfcIni()), Utf16File("\r\n[UI]\r\nUIType=0\r\n"));
}

TEST_F(ScriptSettingsTest, SecondSaveOfTheSameRecordChangesNothing) {
    WriteBytes(ScriptsIni(), "[A]\nx=1\n[Mul_Tavrel]\nera=1\n");
    ASSERT_TRUE(m_record.Load());
    ASSERT_TRUE(m_record.Save());
    const std::string first = ReadBytes(ScriptsIni());
    ASSERT_TRUE(m_record.Load());
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(ReadBytes(ScriptsIni()), first);
    EXPECT_EQ(SavedScriptsValue("era"), "1");
}

TEST_F(ScriptSettingsTest, RaceKeyFollowsTheMode) {
    ASSERT_TRUE(m_record.Load());
    m_record.SetRaceMode(1);
    m_record.ClearRaces();
    m_record.AddRace(RACE_FEDERATION);
    m_record.AddRace(RACE_ROMULAN);
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(SavedScriptsValue("type"), "1");
    EXPECT_EQ(SavedScriptsValue("srace"), "5");
    EXPECT_EQ(SavedScriptsValue("race"), "5");
    EXPECT_EQ(SavedScriptsValue("rrace"), "-1");

    m_record.SetRaceMode(0);
    m_record.ClearRaces();
    m_record.AddRace(RACE_KLINGON);
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(SavedScriptsValue("type"), "0");
    EXPECT_EQ(SavedScriptsValue("rrace"), "2");
    EXPECT_EQ(SavedScriptsValue("srace"), "5");
    EXPECT_EQ(SavedScriptsValue("race"), "0");
}

TEST_F(ScriptSettingsTest, SetterValuesAreWritten) {
    ASSERT_TRUE(m_record.Load());
    m_record.SetMultiplier(1.7f);
    m_record.ClearHulls();
    for (int bit = HULL_FRIGATE; bit <= HULL_BATTLESHIP; ++bit) m_record.AddHull(bit);
    m_record.SetHullOdds(0, 100);
    m_record.SetHullOdds(kSpareOddsElement, 9);  // never reaches the file
    m_record.SetEra(0);
    m_record.SetUIType(2);
    m_record.SetForceEra(0);
    m_record.SetModSupportBit3(1);
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(SavedScriptsValue("multiplier"), "1.70");
    EXPECT_EQ(SavedScriptsValue("hull"), "8184");
    EXPECT_EQ(SavedScriptsValue("hullpercentA"), "1093813860");
    EXPECT_EQ(SavedScriptsValue("hullpercentC"), "657950");
    EXPECT_EQ(m_record.GetHullOdds(kSpareOddsElement), 0);
    EXPECT_EQ(SavedScriptsValue("era"), "0");
    EXPECT_EQ(SavedScriptsValue("ModSupport"), "-17");  // bit 4 cleared, bit 3 set
    EXPECT_EQ(settings::ini::GetString(ReadBytes(SfcIni()), "UI", "UIType"), "2");
}

// ---- Conversions ------------------------------------------------------------------------------

struct ConversionCase {
    const char* key;
    std::string text;   // the value as it stands in the file
    const char* saved;  // what Save writes back for the key after Load
};

void PrintTo(const ConversionCase& c, std::ostream* out) {
    *out << c.key << "=" << c.text.substr(0, 20) << " -> " << c.saved;
}

std::string ConversionName(const ConversionCase& c) {
    return std::string(c.key) + " " + c.text.substr(0, 24);
}

class ConversionTest : public ScriptSettingsTest,
                       public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(ConversionTest, ValueSurvivesLoadAndSaveAs) {
    const ConversionCase& c = GetParam();
    const settings::KeySpec& key = KeyNamed(c.key);
    WriteBytes(PathOf(key.file),
               "[" + std::string(key.section) + "]\r\n" + c.key + "=" + c.text + "\r\n");
    ASSERT_TRUE(m_record.Load());
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(SavedValue(key), c.saved);
}

const std::string k63Zeros(63, '0');

INSTANTIATE_TEST_SUITE_P(
    Texts, ConversionTest,
    ::testing::Values(
        ConversionCase{"hull", "abc", "0"}, ConversionCase{"hull", "", "-1"},
        ConversionCase{"hull", "4294967295", "-1"}, ConversionCase{"hull", "-1", "-1"},
        ConversionCase{"hull", "+12xyz", "12"}, ConversionCase{"hull", "16.9", "16"},
        ConversionCase{"hull", "\"42\"", "42"}, ConversionCase{"hull", "1e999", "1"},
        ConversionCase{"hull", "-1e30", "-1"}, ConversionCase{"hull", "nan", "0"},
        ConversionCase{"hull", "inf", "0"}, ConversionCase{"rrace", "-2147483649", "2147483647"},
        ConversionCase{"srace", "123456789012345678901234567890", "1312754386"},
        ConversionCase{"era", "1e3", "1"}, ConversionCase{"era", "-9.5", "-9"},
        // Only 63 characters arrive: the digits after them are never seen.
        ConversionCase{"era", k63Zeros + "7", "0"},
        ConversionCase{"era", std::string(62, '0') + "12345", "1"},
        ConversionCase{"ModSupport", "16.9", "16"}, ConversionCase{"ModSupport", "-9.5", "-9"},
        ConversionCase{"ModSupport", "4294967295", "-1"},
        ConversionCase{"ModSupport", "4294967296", "0"},
        ConversionCase{"ModSupport", "1e3", "1000"}, ConversionCase{"ModSupport", "nan", "0"},
        ConversionCase{"ModSupport", "inf", "0"}, ConversionCase{"ModSupport", "1e999", "0"},
        ConversionCase{"ModSupport", "-1e30", "0"}, ConversionCase{"ModSupport", "junk", "0"},
        ConversionCase{"ModSupport", "", "-9"}, ConversionCase{"ModSupport", k63Zeros + "7", "0"},
        ConversionCase{"UIType", "2", "2"}, ConversionCase{"UIType", "1.99", "1"},
        ConversionCase{"UIType", "-0.5", "0"}, ConversionCase{"UIType", "nan", "0"},
        ConversionCase{"UIType", "", "0"}, ConversionCase{"multiplier", "2", "2.00"},
        ConversionCase{"multiplier", "", "1.10"}, ConversionCase{"multiplier", "abc", "0.00"},
        ConversionCase{"multiplier", "1,5", "1.00"}, ConversionCase{"multiplier", " .5e1x", "5.00"},
        ConversionCase{"multiplier", "1.125", "1.12"},
        // The floats of these lie just below the texts.
        ConversionCase{"multiplier", "1.175", "1.17"},
        ConversionCase{"multiplier", "1.005", "1.00"}, ConversionCase{"multiplier", "nan", "nan"},
        ConversionCase{"multiplier", "-nan", "-nan"}, ConversionCase{"multiplier", "inf", "inf"},
        ConversionCase{"multiplier", "1e999", "inf"},
        ConversionCase{"multiplier", "-1e30", "-1000000015047466219876688855040.00"},
        ConversionCase{"multiplier", "1e39", "inf"}, ConversionCase{"multiplier", "-1e39", "-inf"},
        ConversionCase{"multiplier", "1e-999", "0.00"},
        ConversionCase{"hullpercentC", "17435166", "657950"},  // spare byte 1, saved as 0
        ConversionCase{"hullpercentA", "-16751416", "-16751416"},
        ConversionCase{"hullpercentB", "4294967295", "-1"}, ConversionCase{"type", "2", "1"},
        ConversionCase{"type", "256", "0"}, ConversionCase{"type", "257", "1"},
        ConversionCase{"type", "-1", "1"}, ConversionCase{"type", "abc", "0"},
        ConversionCase{"type", "4294967040", "0"}),
    test_support::NameBy(ConversionName, true));

TEST_F(ScriptSettingsTest, OddsArePackedLittleEndian) {
    // 200, 100, 0, 255 -> 200 + 100 * 256 + 255 * 2^24 = 4278215880, i.e. -16751416
    WriteBytes(ScriptsIni(), "[Mul_Tavrel]\r\nhullpercentA=-16751416\r\nhullpercentC=17435166\r\n");
    ASSERT_TRUE(m_record.Load());
    EXPECT_EQ(m_record.GetHullOdds(0), -56);
    EXPECT_EQ(m_record.GetHullOdds(1), 100);
    EXPECT_EQ(m_record.GetHullOdds(2), 0);
    EXPECT_EQ(m_record.GetHullOdds(3), -1);
    EXPECT_EQ(m_record.GetHullOdds(4), 60);  // hullpercentB absent: defaults
    EXPECT_EQ(m_record.GetHullOdds(8), 30);
    EXPECT_EQ(m_record.GetHullOdds(kMonsterOddsElement), 10);
    EXPECT_EQ(m_record.GetHullOdds(kSpareOddsElement), 1);

    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(m_record.GetHullOdds(kSpareOddsElement), 0);  // the record keeps the zero
    EXPECT_EQ(SavedScriptsValue("hullpercentC"), "657950");
}

TEST_F(ScriptSettingsTest, OddsKeepTheLowEightBits) {
    m_record.SetHullOdds(0, 200);
    m_record.SetHullOdds(1, 356);
    m_record.SetHullOdds(2, -1);
    EXPECT_EQ(m_record.GetHullOdds(0), -56);
    EXPECT_EQ(m_record.GetHullOdds(1), 100);
    EXPECT_EQ(m_record.GetHullOdds(2), -1);
}

// ---- Race mode, bits and elements ------------------------------------------------------------

TEST_F(ScriptSettingsTest, RaceModeIsBroughtToZeroOrOne) {
    for (const auto& [mode, mixed] : std::vector<std::pair<int, bool>>{{0, false},
                                                                       {1, true},
                                                                       {2, true},
                                                                       {255, true},
                                                                       {256, false},
                                                                       {257, true},
                                                                       {-1, true},
                                                                       {-256, false},
                                                                       {0x7fffff00, false}}) {
        m_record.SetRaceMode(mode);
        EXPECT_EQ(m_record.GetRaceMode(), mixed) << mode;
    }
}

TEST_F(ScriptSettingsTest, RaceOperationsActOnTheSetOfTheMode) {
    WriteBytes(ScriptsIni(), "[Mul_Tavrel]\r\ntype=2\r\nrrace=3\r\nsrace=5\r\n");
    ASSERT_TRUE(m_record.Load());
    ASSERT_TRUE(m_record.GetRaceMode());
    EXPECT_EQ(m_record.GetRaces(), 5);
    EXPECT_TRUE(m_record.HasRace(RACE_ROMULAN));
    EXPECT_FALSE(m_record.HasRace(RACE_KLINGON));

    m_record.SetRaceMode(512);  // low 8 bits 0: Single
    EXPECT_EQ(m_record.GetRaces(), 3);
    m_record.ClearRaces();
    m_record.AddRace(RACE_MONSTER);
    m_record.AddRace(31);
    EXPECT_EQ(m_record.GetRaces(), static_cast<int>(0x80000200u));

    m_record.SetRaceMode(3);
    EXPECT_EQ(m_record.GetRaces(), 5);
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(SavedScriptsValue("type"), "1");
    EXPECT_EQ(SavedScriptsValue("rrace"), "-2147483136");
}

TEST_F(ScriptSettingsTest, BitsAndElementsOutOfRangeAreIgnored) {
    ASSERT_TRUE(m_record.Load());
    m_record.ClearRaces();
    m_record.ClearHulls();
    for (int bit : {-1, 32, 33, 64, 1000, -2147483647 - 1, 2147483647}) {
        m_record.AddRace(bit);
        m_record.AddHull(bit);
        EXPECT_FALSE(m_record.HasRace(bit)) << bit;
        EXPECT_FALSE(m_record.HasHull(bit)) << bit;
        m_record.SetHullOdds(bit, 77);
        EXPECT_EQ(m_record.GetHullOdds(bit), 0) << bit;
    }
    m_record.SetHullOdds(kOddsCount, 77);
    EXPECT_EQ(m_record.GetHullOdds(kOddsCount), 0);
    EXPECT_EQ(m_record.GetRaces(), 0);
    EXPECT_FALSE(m_record.HasHull(0));
    EXPECT_EQ(OddsOf(m_record), std::vector<int>(kDefaultOdds.begin(), kDefaultOdds.end()));
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(SavedScriptsValue("hull"), "0");
    EXPECT_EQ(SavedScriptsValue("rrace"), "0");
    EXPECT_EQ(SavedScriptsValue("hullpercentA"), "1093813840");
}

TEST_F(ScriptSettingsTest, OptionFlagsUseTheLowEightBitsOfTheArgument) {
    ASSERT_TRUE(m_record.Load());  // -9
    m_record.SetModSupportBit3(256);
    EXPECT_FALSE(m_record.GetModSupportBit3());
    m_record.SetModSupportBit3(2);
    EXPECT_TRUE(m_record.GetModSupportBit3());
    m_record.SetForceEra(0x100);
    EXPECT_FALSE(m_record.GetForceEra());
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(SavedScriptsValue("ModSupport"), "-17");
}

// ---- Game folder ------------------------------------------------------------------------------

TEST_F(ScriptSettingsTest, GamePathEndsInOneSeparator) {
    std::string path = "untouched";
    ASSERT_TRUE(m_record.GetGamePath(path));
    EXPECT_EQ(path, m_root.string() + settings::locate::kPathSeparator);

    m_locator->folder = m_root.string() + settings::locate::kPathSeparator;
    ASSERT_TRUE(m_record.GetGamePath(path));
    EXPECT_EQ(path, m_root.string() + settings::locate::kPathSeparator);

    ASSERT_TRUE(m_record.GetScriptsPath(path));
    const std::string sep(1, settings::locate::kPathSeparator);
    EXPECT_EQ(path, m_root.string() + sep + "Assets" + sep + "Scripts" + sep);
}

TEST_F(ScriptSettingsTest, FailedLookupLeavesThePathAlone) {
    m_locator->failFromCall = 1;
    std::string path = "untouched";
    EXPECT_FALSE(m_record.GetGamePath(path));
    EXPECT_FALSE(m_record.GetScriptsPath(path));
    EXPECT_EQ(path, "untouched");
}

TEST_F(ScriptSettingsTest, EachLoadAndSaveLooksUpTheFolderOncePerFile) {
    ASSERT_TRUE(m_record.Load());
    EXPECT_EQ(m_locator->calls, 2);
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(m_locator->calls, 4);
}

TEST_F(ScriptSettingsTest, FailedFirstLookupLeavesTheRecordUnchanged) {
    WriteBytes(ScriptsIni(), "[Mul_Tavrel]\r\nmultiplier=2\r\nera=1\r\n");
    MarkRecord(m_record);
    m_locator->failFromCall = 1;
    settings::store::SetLastErrorCode(0);
    EXPECT_FALSE(m_record.Load());
    EXPECT_EQ(settings::store::LastErrorCode(), test_support::kLookupErrorCode);
    EXPECT_EQ(m_record.GetMultiplier(), 9.25f);
    EXPECT_EQ(m_record.GetRaces(), 1 << RACE_ISC);
    EXPECT_EQ(m_record.GetEra(), 7);
    EXPECT_EQ(m_record.GetUIType(), 5);
    EXPECT_TRUE(m_record.GetModSupportBit3());
}

TEST_F(ScriptSettingsTest, FailedSecondLookupKeepsTheScriptsKeysRead) {
    WriteBytes(ScriptsIni(), "[Mul_Tavrel]\r\nmultiplier=2\r\nera=1\r\nModSupport=0\r\n");
    WriteBytes(SfcIni(), "[UI]\r\nUIType=2\r\n");
    MarkRecord(m_record);
    m_locator->failFromCall = 2;
    EXPECT_FALSE(m_record.Load());
    EXPECT_EQ(m_record.GetMultiplier(), 2.0f);
    EXPECT_EQ(m_record.GetEra(), 1);
    EXPECT_EQ(m_record.GetRaces(), -1);
    EXPECT_EQ(m_record.GetHullOdds(0), 80);
    EXPECT_EQ(m_record.GetUIType(), 5);         // not reached
    EXPECT_TRUE(m_record.GetModSupportBit3());  // read after UIType: not reached either
    EXPECT_FALSE(m_record.GetForceEra());
}

TEST_F(ScriptSettingsTest, FailedLookupOnSaveWritesNothing) {
    for (int failFrom : {1, 2}) {
        m_locator->calls = 0;
        m_locator->failFromCall = failFrom;
        EXPECT_FALSE(m_record.Save()) << failFrom;
        EXPECT_FALSE(std::filesystem::exists(ScriptsIni())) << failFrom;
        EXPECT_FALSE(std::filesystem::exists(SfcIni())) << failFrom;
    }
}

TEST_F(ScriptSettingsTest, FolderNamesAreFoundWhateverTheirCase) {
    std::filesystem::remove_all(m_root / "Assets");
    std::filesystem::create_directories(m_root / "ASSETS" / "scripts");
    WriteBytes(m_root / "ASSETS" / "scripts" / "Scripts.INI", "[Mul_Tavrel]\r\nera=1\r\n");
    ASSERT_TRUE(m_record.Load());
    EXPECT_EQ(m_record.GetEra(), 1);
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(settings::ini::GetString(ReadBytes(m_root / "ASSETS" / "scripts" / "Scripts.INI"),
                                       "Mul_Tavrel", "multiplier"),
              "1.10");
}

// ---- Save failures ----------------------------------------------------------------------------

TEST_F(ScriptSettingsTest, ReadOnlyScriptsIniIsNotTouched) {
    const std::string original = "[Mul_Tavrel]\r\nera=1\r\n";
    WriteBytes(ScriptsIni(), original);
    std::filesystem::permissions(ScriptsIni(),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    ASSERT_TRUE(m_record.Load());
    settings::store::SetLastErrorCode(0);
    EXPECT_FALSE(m_record.Save());
    EXPECT_NE(settings::store::LastErrorCode(), 0);
    EXPECT_EQ(ReadBytes(ScriptsIni()), original);
    EXPECT_FALSE(std::filesystem::exists(SfcIni()));  // scripts.ini failed first
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ScriptsIni().parent_path()),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left
}

TEST_F(ScriptSettingsTest, DirectoryInPlaceOfAFileFailsBeforeAnyWrite) {
    for (bool scriptsIsDirectory : {true, false}) {
        std::filesystem::remove_all(ScriptsIni());
        std::filesystem::remove_all(SfcIni());
        const std::string scripts = "[Mul_Tavrel]\r\nera=1\r\n";
        const std::string sfc = "[UI]\r\nUIType=1\r\n";
        if (scriptsIsDirectory) {
            std::filesystem::create_directory(ScriptsIni());
            WriteBytes(SfcIni(), sfc);
        } else {
            WriteBytes(ScriptsIni(), scripts);
            std::filesystem::create_directory(SfcIni());
        }
        ASSERT_TRUE(m_record.Load());
        m_record.SetEra(0);
        settings::store::SetLastErrorCode(0);
        EXPECT_FALSE(m_record.Save());
        EXPECT_NE(settings::store::LastErrorCode(), 0);
        if (scriptsIsDirectory) {
            EXPECT_TRUE(std::filesystem::is_directory(ScriptsIni()));
            EXPECT_EQ(ReadBytes(SfcIni()), sfc);
        } else {
            EXPECT_EQ(ReadBytes(ScriptsIni()), scripts);
            EXPECT_TRUE(std::filesystem::is_directory(SfcIni()));
        }
    }
}

TEST_F(ScriptSettingsTest, MissingScriptsFolderFailsWithoutWriting) {
    std::filesystem::remove_all(m_root / "Assets");
    ASSERT_TRUE(m_record.Load());
    settings::store::SetLastErrorCode(0);
    EXPECT_FALSE(m_record.Save());
    EXPECT_NE(settings::store::LastErrorCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(SfcIni()));
}

#ifndef _WIN32
// sfc.ini cannot be written: scripts.ini, ready first, is not replaced either, and the save
// reports failure.
TEST_F(ScriptSettingsTest, FailureOnSfcIniChangesNeitherFile) {
    // A link into a folder that does not exist reads as an absent file but cannot be written.
    std::filesystem::create_symlink(m_root / "missing" / "sfc.ini", SfcIni());
    const bool scriptsExisted = std::filesystem::exists(ScriptsIni());
    const std::string scripts = scriptsExisted ? ReadBytes(ScriptsIni()) : "";
    ASSERT_TRUE(m_record.Load());
    m_record.SetEra(1);
    settings::store::SetLastErrorCode(0);
    EXPECT_FALSE(m_record.Save());
    EXPECT_NE(settings::store::LastErrorCode(), 0);
    EXPECT_EQ(std::filesystem::exists(ScriptsIni()), scriptsExisted);
    if (scriptsExisted) {
        EXPECT_EQ(ReadBytes(ScriptsIni()), scripts);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(SfcIni()));
    EXPECT_FALSE(std::filesystem::exists(m_root / "missing"));
}
#endif

// ---- Locale ---------------------------------------------------------------------------------

class CommaLocaleSettingsTest : public ScriptSettingsTest {
protected:
    void SetUp() override {
        ScriptSettingsTest::SetUp();
        if (!m_locale.Active()) GTEST_SKIP() << "no locale with a comma decimal separator";
    }
    ScopedCommaLocale m_locale;
};

TEST_F(CommaLocaleSettingsTest, NumbersKeepTheirDecimalPoint) {
    WriteBytes(ScriptsIni(), "[Mul_Tavrel]\r\nmultiplier=2.5\r\nModSupport=16.9\r\n");
    WriteBytes(SfcIni(), "[UI]\r\nUIType=1.5\r\n");
    ASSERT_TRUE(m_record.Load());
    EXPECT_EQ(m_record.GetMultiplier(), 2.5f);
    EXPECT_EQ(m_record.GetUIType(), 1);
    m_record.SetMultiplier(1.7f);
    ASSERT_TRUE(m_record.Save());
    EXPECT_EQ(SavedScriptsValue("multiplier"), "1.70");
    EXPECT_EQ(SavedScriptsValue("ModSupport"), "16");
}

}  // namespace
