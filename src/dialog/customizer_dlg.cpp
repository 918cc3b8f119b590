#include "dialog/customizer_dlg.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <string_view>

#include "app/about_dlg.h"
#include "base/numeric_text.h"
#include "dialog/lookup_report.h"
#include "framework/platform.h"
#include "resource.h"
#include "settings/record/script_settings.h"
#include "settings/record/services.h"
#include "settings/record/settings_keys.h"
#include "settings/store/file_store.h"

namespace {

constexpr std::string_view kSingle = "Single";
constexpr std::string_view kMixed = "Mixed";

constexpr const char* kLoadError = "Error reading from scripts.ini; code %d.";
constexpr const char* kSaveError = "Error saving to scripts.ini; code %d.";
constexpr const char* kNoRaceText = "You must select at least one race to continue.";
constexpr const char* kNoRaceCaption = "No race selected!";

// F1 waits no longer than this for the list of other installations (a cold disk, many
// prefixes); it then shows what it found so far.
constexpr std::chrono::milliseconds kOthersSearchBudget{2000};
constexpr std::size_t kMaxPlaceLines = 20;

constexpr int kOddsTextLimit = 3;  // characters the user can type into an odds field
constexpr int kOddsReadChars = 3;  // characters OK reads back from one

constexpr int kSliderLineSize = 1;
constexpr int kSliderPageSize = 10;
// The slider's ends in the multiplier's terms.
constexpr float kMinMultiplier = CCustomizerDlg::MultiplierFromPosition(CCustomizerDlg::kSliderMin);
constexpr float kMaxMultiplier = CCustomizerDlg::MultiplierFromPosition(CCustomizerDlg::kSliderMax);
constexpr float kLineStep = 0.01f;
constexpr float kPageStep = 0.1f;

// What "Reset Defaults" puts back.
constexpr float kDefaultMultiplier = 1.7f;
constexpr int kDefaultAiLevel = 2;     // "Admiral"
constexpr int kDefaultRaceSet = 0xFF;  // the eight empires; no pirates, no monster
constexpr int kDefaultEra = 2;         // Late

// Era value -> radio button; any value past the end means the last one.
constexpr std::array<int, 3> kEraButtons = {IDC_ERA_EARLY, IDC_ERA_MIDDLE, IDC_ERA_LATE};

// Replaces the "%d" of a message with the number.
std::string FormatCode(std::string_view format, int code) {
    std::string text(format);
    const std::size_t at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, base::FormatInt(code));
    return text;
}

float StepDown(float value, float step) {
    const float result = value - step;
    return result < kMinMultiplier ? kMinMultiplier : result;
}

float StepUp(float value, float step) {
    const float result = value + step;
    return result > kMaxMultiplier ? kMaxMultiplier : result;
}

}  // namespace

std::span<const CCustomizerDlg::HullRow> CCustomizerDlg::Hulls() {
    using D = CCustomizerDlg;
    static constexpr HullRow kRows[kHullCount] = {
        {IDC_USE_BATTLESHIP, IDC_ODDS_BATTLESHIP, &D::m_useBattleship, &D::m_oddsBattleship,
         HULL_BATTLESHIP, 9},
        {IDC_USE_CARRIER, IDC_ODDS_CARRIER, &D::m_useCarrier, &D::m_oddsCarrier, HULL_CARRIER, 7},
        {IDC_USE_DESTROYER, IDC_ODDS_DESTROYER, &D::m_useDestroyer, &D::m_oddsDestroyer,
         HULL_DESTROYER, 1},
        {IDC_USE_DREADNOUGHT, IDC_ODDS_DREADNOUGHT, &D::m_useDreadnought, &D::m_oddsDreadnought,
         HULL_DREADNOUGHT, 8},
        {IDC_USE_FRIGATE, IDC_ODDS_FRIGATE, &D::m_useFrigate, &D::m_oddsFrigate, HULL_FRIGATE, 0},
        {IDC_USE_HEAVY_BATTLECRUISER, IDC_ODDS_HEAVY_BATTLECRUISER, &D::m_useHeavyBattlecruiser,
         &D::m_oddsHeavyBattlecruiser, HULL_HEAVY_BATTLECRUISER, 6},
        {IDC_USE_HEAVY_CRUISER, IDC_ODDS_HEAVY_CRUISER, &D::m_useHeavyCruiser,
         &D::m_oddsHeavyCruiser, HULL_HEAVY_CRUISER, 4},
        {IDC_USE_LIGHT_CRUISER, IDC_ODDS_LIGHT_CRUISER, &D::m_useLightCruiser,
         &D::m_oddsLightCruiser, HULL_LIGHT_CRUISER, 3},
        {IDC_USE_NEW_HEAVY_CRUISER, IDC_ODDS_NEW_HEAVY_CRUISER, &D::m_useNewHeavyCruiser,
         &D::m_oddsNewHeavyCruiser, HULL_NEW_HEAVY_CRUISER, 5},
        {IDC_USE_WAR_DESTROYER, IDC_ODDS_WAR_DESTROYER, &D::m_useWarDestroyer,
         &D::m_oddsWarDestroyer, HULL_WAR_DESTROYER, 2},
    };
    // The record's numbering ties the id, bit and element columns together.
    static_assert([] {
        for (const HullRow& row : kRows) {
            if (row.oddsIndex != row.hullBit - HULL_FIRST ||
                row.useId != IDC_USE_FRIGATE + row.oddsIndex ||
                row.oddsId != IDC_ODDS_FRIGATE - row.oddsIndex)
                return false;
        }
        return true;
    }());
    return kRows;
}

std::span<const CCustomizerDlg::HullRow* const> CCustomizerDlg::HullsByOdds() {
    static const auto kOrder = [] {
        std::array<const HullRow*, kHullCount> order{};
        const auto rows = Hulls();
        std::transform(rows.begin(), rows.end(), order.begin(),
                       [](const HullRow& row) { return &row; });
        std::sort(order.begin(), order.end(),
                  [](const HullRow* a, const HullRow* b) { return a->oddsIndex < b->oddsIndex; });
        return order;
    }();
    return kOrder;
}

std::span<const CCustomizerDlg::RaceRow> CCustomizerDlg::Races() {
    using D = CCustomizerDlg;
    static constexpr RaceRow kRows[] = {
        {&D::m_raceFederation, RACE_FEDERATION}, {&D::m_raceGorn, RACE_GORN},
        {&D::m_raceHydran, RACE_HYDRAN},         {&D::m_raceIsc, RACE_ISC},
        {&D::m_raceKlingon, RACE_KLINGON},       {&D::m_raceLyran, RACE_LYRAN},
        {&D::m_raceMirak, RACE_MIRAK},           {&D::m_monster, RACE_MONSTER},
        {&D::m_racePirates, RACE_PIRATES},       {&D::m_raceRomulan, RACE_ROMULAN},
    };
    return kRows;
}

CCustomizerDlg::CCustomizerDlg(CWnd* parent)
    : CDialog(IDD_MAIN, parent), m_hIcon(framework::GetPlatform().LoadAppIcon(IDR_MAINFRAME)) {}

bool CCustomizerDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    using D = CCustomizerDlg;
    using framework::bn::Clicked;
    static const framework::MapEntry<D> kMap[] = {
        framework::OnMessage(framework::wm::SysCommand, &D::OnSysCommand),
        framework::OnMessage(framework::wm::Paint, &D::OnPaint),
        framework::OnMessage(framework::wm::QueryDragIcon, &D::OnQueryDragIcon),
        framework::OnCommand<D>(Clicked, IDC_RESET_DEFAULTS, &D::OnResetDefaults),
        framework::OnCommand<D>(framework::cbn::SelChange, IDC_RACE_MODE, &D::OnSelChangeRaceMode),
        framework::OnNotify<D>(framework::nm::ReleasedCapture, IDC_DIFFICULTY_SLIDER,
                               &D::OnReleasedCaptureSlider),
        framework::OnMessage(framework::wm::HScroll, &D::OnHScroll),
        framework::OnCommand<D>(Clicked, IDC_USE_BATTLESHIP, &D::OnUseBattleship),
        framework::OnCommand<D>(Clicked, IDC_USE_CARRIER, &D::OnUseCarrier),
        framework::OnCommand<D>(Clicked, IDC_USE_DESTROYER, &D::OnUseDestroyer),
        framework::OnCommand<D>(Clicked, IDC_USE_DREADNOUGHT, &D::OnUseDreadnought),
        framework::OnCommand<D>(Clicked, IDC_USE_FRIGATE, &D::OnUseFrigate),
        framework::OnCommand<D>(Clicked, IDC_USE_HEAVY_BATTLECRUISER, &D::OnUseHeavyBattlecruiser),
        framework::OnCommand<D>(Clicked, IDC_USE_HEAVY_CRUISER, &D::OnUseHeavyCruiser),
        framework::OnCommand<D>(Clicked, IDC_USE_LIGHT_CRUISER, &D::OnUseLightCruiser),
        framework::OnCommand<D>(Clicked, IDC_USE_NEW_HEAVY_CRUISER, &D::OnUseNewHeavyCruiser),
        framework::OnCommand<D>(Clicked, IDC_USE_WAR_DESTROYER, &D::OnUseWarDestroyer),
        framework::OnCommand<D>(Clicked, IDC_MONSTER_USE, &D::OnMonster),
    };
    return framework::DispatchMap<D>(*this, kMap, message, wParam, lParam, result) ||
           CDialog::OnWndMsg(message, wParam, lParam, result);
}

void CCustomizerDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MONSTER_ODDS, m_monsterOdds);
    for (const HullRow* row : HullsByOdds()) DDX_Control(pDX, row->oddsId, this->*row->odds);
    DDX_Control(pDX, IDC_DIFFICULTY_SLIDER, m_slider);
    DDX_Control(pDX, IDC_ERA_EARLY, m_eraEarly);
    DDX_Control(pDX, IDC_ERA_MIDDLE, m_eraMiddle);
    DDX_Control(pDX, IDC_ERA_LATE, m_eraLate);
    DDX_Check(pDX, IDC_USE_BATTLESHIP, m_useBattleship);
    DDX_Check(pDX, IDC_USE_CARRIER, m_useCarrier);
    DDX_Check(pDX, IDC_USE_DESTROYER, m_useDestroyer);
    DDX_Check(pDX, IDC_USE_DREADNOUGHT, m_useDreadnought);
    DDX_Text(pDX, IDC_DIFFICULTY_VALUE, m_difficulty);
    DDX_Check(pDX, IDC_RACE_FEDERATION, m_raceFederation);
    DDX_Check(pDX, IDC_USE_FRIGATE, m_useFrigate);
    DDX_Check(pDX, IDC_USE_HEAVY_BATTLECRUISER, m_useHeavyBattlecruiser);
    DDX_Check(pDX, IDC_USE_HEAVY_CRUISER, m_useHeavyCruiser);
    DDX_Check(pDX, IDC_USE_LIGHT_CRUISER, m_useLightCruiser);
    DDX_Check(pDX, IDC_USE_NEW_HEAVY_CRUISER, m_useNewHeavyCruiser);
    DDX_Check(pDX, IDC_USE_WAR_DESTROYER, m_useWarDestroyer);
    DDX_Check(pDX, IDC_RACE_GORN, m_raceGorn);
    DDX_Check(pDX, IDC_RACE_HYDRAN, m_raceHydran);
    DDX_Check(pDX, IDC_RACE_ISC, m_raceIsc);
    DDX_Check(pDX, IDC_RACE_KLINGON, m_raceKlingon);
    DDX_Check(pDX, IDC_RACE_LYRAN, m_raceLyran);
    DDX_Check(pDX, IDC_RACE_MIRAK, m_raceMirak);
    DDX_Check(pDX, IDC_MONSTER_USE, m_monster);
    DDX_Check(pDX, IDC_RACE_PIRATES, m_racePirates);
    DDX_Check(pDX, IDC_RACE_ROMULAN, m_raceRomulan);
    DDX_CBString(pDX, IDC_RACE_MODE, m_raceModeText);
    DDX_CBIndex(pDX, IDC_AI_LEVEL, m_aiLevel);
    DDX_Check(pDX, IDC_FORCE_ERA, m_forceEra);
}

int CCustomizerDlg::SliderPosition(float multiplier) {
    // Exact in double: the float's 24 bits times 100 fit, and so does the difference.
    return base::SaturatingTruncate(static_cast<double>(multiplier) * 100.0 - 100.0, kSliderMin,
                                    kSliderMax);
}

int CCustomizerDlg::IconOffset(int extent, int iconExtent) {
    // In 64 bits: extreme rectangles must not overflow.
    const std::int64_t spare = std::int64_t{extent} - iconExtent + 1;
    return static_cast<int>(spare / 2);
}

std::string CCustomizerDlg::GetAccessibleName(int id) const {
    // A hull row's box and field are named after the hull class its label shows.
    for (const HullRow& row : Hulls()) {
        if (id == row.useId) return "Use " + std::string(kRowLabel);
        if (id == row.oddsId) return std::string(kRowLabel) + " odds (%)";
    }
    // The other controls without text have their labels above them, or a group box's title.
    switch (id) {
        case IDC_MONSTER_ODDS:
            return "Monster odds (%)";
        case IDC_DIFFICULTY_SLIDER:
            return "Difficulty";
        case IDC_DIFFICULTY_VALUE:
            return "Difficulty value";
        case IDC_AI_LEVEL:
            return "AI Intelligence";
        case IDC_RACE_MODE:
            return "Races use";
        default:
            return CDialog::GetAccessibleName(id);
    }
}

BOOL CCustomizerDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    for (const HullRow* row : HullsByOdds()) (this->*row->odds).LimitText(kOddsTextLimit);
    m_monsterOdds.LimitText(kOddsTextLimit);

    framework::Platform& platform = framework::GetPlatform();
    if (platform.HasSystemMenu(m_hWnd)) {
        const std::string about = platform.Resources().String(IDS_ABOUTBOX);
        if (!about.empty()) {
            platform.AppendSystemMenuItem(m_hWnd, framework::mf::Separator, 0, "");
            platform.AppendSystemMenuItem(m_hWnd, framework::mf::String, IDM_ABOUTBOX, about);
        }
    }

    const auto icon = reinterpret_cast<LPARAM>(m_hIcon);
    Send(framework::wm::SetIcon, framework::icon::Big, icon);
    Send(framework::wm::SetIcon, framework::icon::Small, icon);

    m_slider.SetRangeMin(kSliderMin, FALSE);
    m_slider.SetRangeMax(kSliderMax, FALSE);
    m_slider.SetLineSize(kSliderLineSize);
    m_slider.SetPageSize(kSliderPageSize);

    if (!theSettings.Load()) {
        const int code = settings::store::LastErrorCode();
        ShowMessageBox(FormatCode(kLoadError, code));
        // The dialog stays up with its initial values; the user can still cancel.
        return FALSE;
    }

    // A hand-edited "-0" would show as "-0", which the value box's own exchange refuses to read
    // back ("Please enter a number." on every later exchange): zero is shown unsigned.
    const float multiplier = theSettings.GetMultiplier();
    m_difficulty = multiplier == 0.0f ? 0.0f : multiplier;
    m_slider.SetPos(SliderPosition(m_difficulty));
    m_slider.SetRangeMin(kSliderMin, TRUE);
    m_slider.SetRangeMax(kSliderMax, TRUE);

    m_raceModeText = std::string(theSettings.GetRaceMode() ? kMixed : kSingle);

    for (const HullRow& row : Hulls()) this->*row.use = theSettings.HasHull(row.hullBit) ? 1 : 0;
    for (const HullRow& row : Hulls()) {
        SendDlgItemMessage(row.useId, framework::bm::SetCheck, static_cast<WPARAM>(this->*row.use));
        EnableHullOdds(row);
    }

    for (const RaceRow& row : Races()) this->*row.flag = theSettings.HasRace(row.raceBit) ? 1 : 0;

    for (const HullRow* row : HullsByOdds()) {
        (this->*row->odds).SetText(base::FormatInt(theSettings.GetHullOdds(row->oddsIndex)));
        EnableHullOdds(*row);
    }
    m_monsterOdds.SetText(base::FormatInt(theSettings.GetHullOdds(kMonsterOddsElement)));
    EnableMonsterOdds();

    m_forceEra = theSettings.GetForceEra() ? 1 : 0;
    m_modSupportBit3 = theSettings.GetModSupportBit3() ? 1 : 0;

    CheckEra(theSettings.GetEra());

    m_aiLevel = theSettings.GetUIType();
    m_loadedAiLevel = m_aiLevel;

    UpdateData(FALSE);
    // Settles the race boxes and the monster's odds field the way a change of mode does.
    OnSelChangeRaceMode();
    return TRUE;
}

void CCustomizerDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0u) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        CDialog::OnSysCommand(id, lParam);
    }
}

void CCustomizerDlg::ShowWhereSettingsAre() {
    const settings::WhereSettingsAre where = settings::FindWhereSettingsAre(kOthersSearchBudget);
    ShowPathMessageBox(DescribeLookup(where.account, where.files, kMaxPlaceLines, where.others,
                                      framework::GetPlatform().ProgramAsStarted()));
}

void CCustomizerDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    framework::Platform& platform = framework::GetPlatform();
    framework::PaintHandle paint = platform.BeginPaint(m_hWnd);
    Send(framework::wm::IconEraseBkgnd, reinterpret_cast<WPARAM>(paint), 0);
    const int cxIcon = platform.GetSystemMetrics(framework::sm::CxIcon);
    const int cyIcon = platform.GetSystemMetrics(framework::sm::CyIcon);
    const framework::Rect rect = GetClientRect();
    const int x = IconOffset(rect.right - rect.left, cxIcon);
    const int y = IconOffset(rect.bottom - rect.top, cyIcon);
    platform.DrawIcon(paint, x, y, m_hIcon);
    platform.EndPaint(m_hWnd, paint);
}

framework::IconHandle CCustomizerDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CCustomizerDlg::OnReleasedCaptureSlider(framework::NMHDR*, LRESULT* result) {
    *result = 0;
}

void CCustomizerDlg::OnHScroll(UINT code, UINT position, framework::Handle) {
    // Starts from the value as shown, so repeated steps keep to two decimals.
    UpdateData(TRUE);
    switch (code) {
        case framework::tb::LineUp:
            m_difficulty = StepDown(m_difficulty, kLineStep);
            break;
        case framework::tb::LineDown:
            m_difficulty = StepUp(m_difficulty, kLineStep);
            break;
        case framework::tb::PageUp:
            m_difficulty = StepDown(m_difficulty, kPageStep);
            break;
        case framework::tb::PageDown:
            m_difficulty = StepUp(m_difficulty, kPageStep);
            break;
        case framework::tb::ThumbPosition:
        case framework::tb::ThumbTrack:
            // The signed position, widened by the message cracker.
            m_difficulty = MultiplierFromPosition(static_cast<int>(position));
            break;
        case framework::tb::Top:
            m_difficulty = kMinMultiplier;
            break;
        case framework::tb::Bottom:
            m_difficulty = kMaxMultiplier;
            break;
        default:
            break;
    }
    // The trackbar moves its own thumb by the same steps.
    UpdateData(FALSE);
}

void CCustomizerDlg::EnableOddsField(int useId, CNumericEdit& oddsField) {
    oddsField.EnableWindow(IsDlgButtonChecked(useId) != framework::bst::Unchecked);
}

void CCustomizerDlg::OnUseHull(int useId) {
    for (const HullRow& row : Hulls()) {
        if (row.useId == useId) EnableOddsField(row.useId, this->*row.odds);
    }
}

void CCustomizerDlg::OnUseBattleship() {
    OnUseHull(IDC_USE_BATTLESHIP);
}
void CCustomizerDlg::OnUseCarrier() {
    OnUseHull(IDC_USE_CARRIER);
}
void CCustomizerDlg::OnUseDestroyer() {
    OnUseHull(IDC_USE_DESTROYER);
}
void CCustomizerDlg::OnUseDreadnought() {
    OnUseHull(IDC_USE_DREADNOUGHT);
}
void CCustomizerDlg::OnUseFrigate() {
    OnUseHull(IDC_USE_FRIGATE);
}
void CCustomizerDlg::OnUseHeavyBattlecruiser() {
    OnUseHull(IDC_USE_HEAVY_BATTLECRUISER);
}
void CCustomizerDlg::OnUseHeavyCruiser() {
    OnUseHull(IDC_USE_HEAVY_CRUISER);
}
void CCustomizerDlg::OnUseLightCruiser() {
    OnUseHull(IDC_USE_LIGHT_CRUISER);
}
void CCustomizerDlg::OnUseNewHeavyCruiser() {
    OnUseHull(IDC_USE_NEW_HEAVY_CRUISER);
}
void CCustomizerDlg::OnUseWarDestroyer() {
    OnUseHull(IDC_USE_WAR_DESTROYER);
}

void CCustomizerDlg::EnableHullOdds(const HullRow& row) {
    (this->*row.odds).EnableWindow(this->*row.use != 0);
}

void CCustomizerDlg::EnableMonsterOdds() {
    m_monsterOdds.EnableWindow(m_monster != 0 && m_raceModeText == kMixed);
}

void CCustomizerDlg::OnMonster() {
    UpdateData(TRUE);
    EnableMonsterOdds();
}

void CCustomizerDlg::AddCheckedRaces() const {
    for (const RaceRow& row : Races()) {
        if (this->*row.flag != 0) theSettings.AddRace(row.raceBit);
    }
}

void CCustomizerDlg::OnSelChangeRaceMode() {
    // The race flags still hold the boxes of the mode being left, and so does the record's mode.
    UpdateData(TRUE);
    theSettings.ClearRaces();
    AddCheckedRaces();
    theSettings.SetRaceMode(m_raceModeText == kSingle ? 0 : 1);
    for (const RaceRow& row : Races()) this->*row.flag = theSettings.HasRace(row.raceBit) ? 1 : 0;
    EnableMonsterOdds();
    UpdateData(FALSE);
}

void CCustomizerDlg::CheckEra(int era) {
    const int button = era >= 0 && era < static_cast<int>(kEraButtons.size())
                           ? kEraButtons[static_cast<std::size_t>(era)]
                           : kEraButtons.back();
    CheckRadioButton(kEraButtons.front(), kEraButtons.back(), button);
}

int CCustomizerDlg::CheckedEra() const {
    const int button = GetCheckedRadioButton(kEraButtons.front(), kEraButtons.back());
    const auto found = std::find(kEraButtons.begin(), kEraButtons.end(), button);
    // No button checked counts as the last era.
    return found == kEraButtons.end() ? static_cast<int>(kEraButtons.size()) - 1
                                      : static_cast<int>(found - kEraButtons.begin());
}

void CCustomizerDlg::OnResetDefaults() {
    // Nothing is read from the controls: every bound member is given its value here.
    m_difficulty = kDefaultMultiplier;
    m_aiLevel = kDefaultAiLevel;
    m_slider.SetPos(SliderPosition(kDefaultMultiplier));
    m_raceModeText = std::string(kSingle);
    theSettings.SetRaceMode(0);
    for (const HullRow& row : Hulls()) this->*row.use = 1;
    for (const HullRow* row : HullsByOdds()) {
        (this->*row->odds)
            .SetText(base::FormatInt(kDefaultHullOdds[static_cast<std::size_t>(row->oddsIndex)]));
        EnableHullOdds(*row);
    }
    m_monsterOdds.SetText(base::FormatInt(kDefaultHullOdds[kMonsterOddsElement]));
    EnableMonsterOdds();
    for (const RaceRow& row : Races()) this->*row.flag = (kDefaultRaceSet >> row.raceBit) & 1;
    CheckEra(kDefaultEra);
    m_modSupportBit3 = 0;
    m_forceEra = 0;
    UpdateData(FALSE);
    // Rebuilds the Single race set from the boxes just set; the Mixed set is left alone.
    OnSelChangeRaceMode();
}

void CCustomizerDlg::OnOK() {
    UpdateData(TRUE);

    theSettings.SetMultiplier(m_difficulty);
    // The record's mode already equals the dialog's, so the set emptied here is the one
    // refilled below.
    theSettings.ClearRaces();
    theSettings.SetRaceMode(m_raceModeText == kMixed ? 1 : 0);
    AddCheckedRaces();
    theSettings.SetModSupportBit3(m_modSupportBit3);
    theSettings.SetForceEra(m_forceEra);

    theSettings.ClearHulls();
    for (const HullRow& row : Hulls()) {
        if (this->*row.use != 0) theSettings.AddHull(row.hullBit);
        // A disabled field's odds are kept as well. Text above 100 gets here when Enter is
        // pressed inside the field, before its own rule has run: the same rule applies.
        theSettings.SetHullOdds(row.oddsIndex, OddsValue(GetItemText(row.oddsId, kOddsReadChars)));
    }
    theSettings.SetHullOdds(kMonsterOddsElement,
                            OddsValue(GetItemText(IDC_MONSTER_ODDS, kOddsReadChars)));

    theSettings.SetEra(CheckedEra());
    theSettings.SetUIType(m_aiLevel >= 0 ? m_aiLevel : m_loadedAiLevel);

    // Decided before anything is written, so a press of OK without a race changes no file.
    if (theSettings.GetRaces() == 0) {
        ShowMessageBox(kNoRaceText, kNoRaceCaption);
        return;
    }
    if (!theSettings.Save()) {
        const int code = settings::store::LastErrorCode();
        ShowMessageBox(FormatCode(kSaveError, code));
        // Stays open with every value, so the user can retry or cancel.
        return;
    }
    CDialog::OnOK();
}
