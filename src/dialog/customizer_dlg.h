#pragma once
// The main dialog: every setting of the mission script on one page, filled from the settings
// record when it opens and written back on OK.
#include <cstddef>
#include <span>
#include <string>

#include "app/numeric_edit.h"
#include "framework/dialog.h"

class CCustomizerDlg : public CDialog {
public:
    explicit CCustomizerDlg(CWnd* parent = nullptr);

    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // Hull rows by their class ("Use Battleship", "Battleship odds (%)"), the rest by what
    // the labels beside them say.
    std::string GetAccessibleName(int id) const override;
    // F1: a message box saying where the settings are, or where the game was looked for. The
    // game folder is looked up as Load looks it up, and the box tells what that lookup did.
    void ShowWhereSettingsAre();

    // Slider position for a multiplier: m * 100 - 100 truncated toward zero (1.15f, held just
    // below 1.15, gives 14), saturated to the slider's range so that no value, however large or
    // not a number at all, reaches an undefined conversion.
    static int SliderPosition(float multiplier);
    // Multiplier for a slider position: p / 100 + 1 (any int lies well inside the float range).
    static constexpr float MultiplierFromPosition(int position) {
        return static_cast<float>(position / 100.0 + 1.0);
    }
    // Where an icon of `iconExtent` goes to sit centred in `extent`; the division truncates
    // toward zero, so a client area one pixel too small gives 0, not -1.
    static int IconOffset(int extent, int iconExtent);

    static constexpr int kSliderMin = -50;
    static constexpr int kSliderMax = 200;

protected:
    // System menu, minimised painting and drag image.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    framework::IconHandle OnQueryDragIcon();

    void OnResetDefaults();
    void OnSelChangeRaceMode();
    void OnReleasedCaptureSlider(framework::NMHDR* header, LRESULT* result);
    void OnHScroll(UINT code, UINT position, framework::Handle scrollBar);

    void OnUseBattleship();
    void OnUseCarrier();
    void OnUseDestroyer();
    void OnUseDreadnought();
    void OnUseFrigate();
    void OnUseHeavyBattlecruiser();
    void OnUseHeavyCruiser();
    void OnUseLightCruiser();
    void OnUseNewHeavyCruiser();
    void OnUseWarDestroyer();
    void OnMonster();

    // Enables the odds field exactly while the Use? box is checked.
    void EnableOddsField(int useId, CNumericEdit& oddsField);

private:
    // One hull class: its Use? box and flag, its odds field, its bit in the record's hull set,
    // and its odds element.
    struct HullRow {
        int useId;
        int oddsId;
        BOOL CCustomizerDlg::*use;
        CNumericEdit CCustomizerDlg::*odds;
        int hullBit;
        int oddsIndex;
    };
    // One race flag (the monster counts as a race) and its bit in the record's race sets.
    struct RaceRow {
        BOOL CCustomizerDlg::*flag;
        int raceBit;
    };
    static constexpr std::size_t kHullCount = 10;

    // Hulls in the order of the message map, the transfer from and to the record and the hull
    // flags (Battleship first, by name); HullsByOdds gives them by odds element (Frigate first),
    // the order of the odds fields' limits, texts and defaults.
    static std::span<const HullRow> Hulls();
    static std::span<const HullRow* const> HullsByOdds();
    static std::span<const RaceRow> Races();

    void OnUseHull(int useId);
    void EnableHullOdds(const HullRow& row);
    // The monster's odds count only in Mixed mode.
    void EnableMonsterOdds();
    // Adds the checked races (the monster among them) to the record's current race set.
    void AddCheckedRaces() const;
    void CheckEra(int era);
    int CheckedEra() const;

    CNumericEdit m_monsterOdds;
    CNumericEdit m_oddsFrigate;
    CNumericEdit m_oddsDestroyer;
    CNumericEdit m_oddsWarDestroyer;
    CNumericEdit m_oddsLightCruiser;
    CNumericEdit m_oddsHeavyCruiser;
    CNumericEdit m_oddsNewHeavyCruiser;
    CNumericEdit m_oddsHeavyBattlecruiser;
    CNumericEdit m_oddsCarrier;
    CNumericEdit m_oddsDreadnought;
    CNumericEdit m_oddsBattleship;
    CSliderCtrl m_slider;
    CButton m_eraEarly;
    CButton m_eraMiddle;
    CButton m_eraLate;
    BOOL m_useBattleship = 0;
    BOOL m_useCarrier = 0;
    BOOL m_useDestroyer = 0;
    BOOL m_useDreadnought = 0;
    float m_difficulty = 0.0f;
    BOOL m_raceFederation = 0;
    BOOL m_useFrigate = 0;
    BOOL m_useHeavyBattlecruiser = 0;
    BOOL m_useHeavyCruiser = 0;
    BOOL m_useLightCruiser = 0;
    BOOL m_useNewHeavyCruiser = 0;
    BOOL m_useWarDestroyer = 0;
    BOOL m_raceGorn = 0;
    BOOL m_raceHydran = 0;
    BOOL m_raceIsc = 0;
    BOOL m_raceKlingon = 0;
    BOOL m_raceLyran = 0;
    BOOL m_raceMirak = 0;
    BOOL m_monster = 0;
    BOOL m_racePirates = 0;
    BOOL m_raceRomulan = 0;
    BOOL m_modSupportBit3 = 0;  // ModSupport bit 3, carried from load to save; no control
    std::string m_raceModeText;
    int m_aiLevel = -1;
    BOOL m_forceEra = 0;
    framework::IconHandle m_hIcon;
    // The AI level as loaded: what OK keeps when "AI Intelligence:" has no selection (a loaded
    // value outside the list), rather than writing -1 over the game's setting.
    int m_loadedAiLevel = -1;
};
