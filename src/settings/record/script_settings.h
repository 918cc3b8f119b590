#pragma once
// The mission script's settings: the section Mul_Tavrel of Assets\Scripts\scripts.ini and the
// game's own "UIType" in section UI of sfc.ini, held in memory and moved to and from the files.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/record/settings_keys.h"

// Race bits of the race sets.
enum RaceBit : int {
    RACE_FEDERATION = 0,
    RACE_KLINGON = 1,
    RACE_ROMULAN = 2,
    RACE_LYRAN = 3,
    RACE_HYDRAN = 4,
    RACE_GORN = 5,
    RACE_ISC = 6,
    RACE_MIRAK = 7,
    RACE_PIRATES = 8,
    RACE_MONSTER = 9,
};

// Hull bits of the hull set; a hull's odds element is its bit minus HULL_FIRST.
enum HullBit : int {
    HULL_FRIGATE = 3,
    HULL_DESTROYER = 4,
    HULL_WAR_DESTROYER = 5,
    HULL_LIGHT_CRUISER = 6,
    HULL_HEAVY_CRUISER = 7,
    HULL_NEW_HEAVY_CRUISER = 8,
    HULL_HEAVY_BATTLECRUISER = 9,
    HULL_CARRIER = 10,
    HULL_DREADNOUGHT = 11,
    HULL_BATTLESHIP = 12,
    HULL_FIRST = HULL_FRIGATE,
};

class CScriptSettings {
public:
    CScriptSettings();  // every field zero; defaults come only from Load

    bool Load();
    bool Save();

    // The game folder with a trailing separator, and the scripts folder below it. On failure the
    // string is left unchanged.
    bool GetGamePath(std::string& path) const;
    bool GetScriptsPath(std::string& path) const;

    float GetMultiplier() const { return m_multiplier; }
    void SetMultiplier(float multiplier) { m_multiplier = multiplier; }

    bool GetRaceMode() const;  // true: Mixed
    // Stored as 1 (Mixed) when the low 8 bits are not 0, else 0 (Single): the record holds two
    // race sets only.
    void SetRaceMode(int mode);

    // The race operations act on the set of the current mode. Bits outside 0..31 and odds
    // elements outside 0..11 are ignored (false / 0 when read).
    int GetRaces() const;
    void ClearRaces();
    bool HasRace(int bit) const;
    void AddRace(int bit);

    void ClearHulls() { m_hulls = 0; }
    bool HasHull(int bit) const;
    void AddHull(int bit);

    std::int8_t GetHullOdds(int element) const;
    void SetHullOdds(int element, int value);

    int GetUIType() const { return m_uiType; }
    void SetUIType(int uiType) { m_uiType = uiType; }

    int GetEra() const { return m_era; }
    void SetEra(int era) { m_era = era; }

    bool GetForceEra() const;
    void SetForceEra(int flag);  // low 8 bits not 0: set
    bool GetModSupportBit3() const;
    void SetModSupportBit3(int flag);

private:
    // Stores the text Load fetched for the key (empty: the key's default).
    void ApplyText(const settings::KeySpec& key, std::string_view text);
    // The text Save writes for the key.
    std::string KeyText(const settings::KeySpec& key) const;
    int RaceSetIndex() const { return GetRaceMode() ? 1 : 0; }

    float m_multiplier;
    std::int32_t m_raceMode;
    std::int32_t m_hulls;
    std::int32_t m_uiType;
    std::int32_t m_races[2];
    std::int8_t m_hullOdds[kOddsCount];
    std::int32_t m_era;
    std::int32_t m_modSupport;
};

extern CScriptSettings theSettings;
