// The names a resource script may use without defining them: what <winres.h> defines.
#include <map>

#include "framework/win_types.h"
#include "rcscript/script_text.h"

namespace rcscript {
namespace {

using namespace framework;  // the ids and styles are the dialog layer's

struct NamedValue {
    std::string_view name;
    std::int64_t value;
};

// What <winres.h> and the headers it pulls in define, as far as resource scripts use it; the
// ids and styles take their values from the dialog layer.
// clang-format off
constexpr NamedValue kBuiltins[] = {
    // Command ids and the "no id" of static items.
    {"IDOK", id::Ok}, {"IDCANCEL", id::Cancel}, {"IDABORT", id::Abort}, {"IDRETRY", id::Retry},
    {"IDIGNORE", id::Ignore}, {"IDYES", id::Yes}, {"IDNO", id::No}, {"IDCLOSE", id::Close},
    {"IDHELP", id::Help}, {"IDC_STATIC", -1},
    // Window styles.
    {"WS_OVERLAPPED", ws::Overlapped}, {"WS_TILED", ws::Overlapped}, {"WS_POPUP", ws::Popup},
    {"WS_CHILD", ws::Child}, {"WS_CHILDWINDOW", ws::Child}, {"WS_MINIMIZE", ws::Minimize},
    {"WS_ICONIC", ws::Minimize}, {"WS_VISIBLE", ws::Visible}, {"WS_DISABLED", ws::Disabled},
    {"WS_CLIPSIBLINGS", ws::ClipSiblings}, {"WS_CLIPCHILDREN", ws::ClipChildren},
    {"WS_MAXIMIZE", ws::Maximize}, {"WS_CAPTION", ws::Caption}, {"WS_BORDER", ws::Border},
    {"WS_DLGFRAME", ws::DlgFrame}, {"WS_VSCROLL", ws::VScroll}, {"WS_HSCROLL", ws::HScroll},
    {"WS_SYSMENU", ws::SysMenu}, {"WS_THICKFRAME", ws::ThickFrame}, {"WS_SIZEBOX", ws::ThickFrame},
    {"WS_GROUP", ws::Group}, {"WS_TABSTOP", ws::TabStop}, {"WS_MINIMIZEBOX", ws::MinimizeBox},
    {"WS_MAXIMIZEBOX", ws::MaximizeBox}, {"WS_OVERLAPPEDWINDOW", ws::OverlappedWindow},
    {"WS_TILEDWINDOW", ws::OverlappedWindow}, {"WS_POPUPWINDOW", ws::PopupWindow},
    // Extended window styles.
    {"WS_EX_DLGMODALFRAME", ws::ExDlgModalFrame}, {"WS_EX_NOPARENTNOTIFY", ws::ExNoParentNotify},
    {"WS_EX_TOPMOST", ws::ExTopmost}, {"WS_EX_ACCEPTFILES", ws::ExAcceptFiles},
    {"WS_EX_TRANSPARENT", ws::ExTransparent}, {"WS_EX_MDICHILD", ws::ExMdiChild},
    {"WS_EX_TOOLWINDOW", ws::ExToolWindow}, {"WS_EX_WINDOWEDGE", ws::ExWindowEdge},
    {"WS_EX_CLIENTEDGE", ws::ExClientEdge}, {"WS_EX_CONTEXTHELP", ws::ExContextHelp},
    {"WS_EX_RIGHT", ws::ExRight}, {"WS_EX_LEFT", ws::ExLeft},
    {"WS_EX_RTLREADING", ws::ExRtlReading}, {"WS_EX_LTRREADING", ws::ExLtrReading},
    {"WS_EX_LEFTSCROLLBAR", ws::ExLeftScrollBar}, {"WS_EX_RIGHTSCROLLBAR", ws::ExRightScrollBar},
    {"WS_EX_CONTROLPARENT", ws::ExControlParent}, {"WS_EX_STATICEDGE", ws::ExStaticEdge},
    {"WS_EX_APPWINDOW", ws::ExAppWindow}, {"WS_EX_OVERLAPPEDWINDOW", ws::ExOverlappedWindow},
    {"WS_EX_PALETTEWINDOW", ws::ExPaletteWindow}, {"WS_EX_LAYERED", ws::ExLayered},
    {"WS_EX_NOINHERITLAYOUT", ws::ExNoInheritLayout}, {"WS_EX_LAYOUTRTL", ws::ExLayoutRtl},
    {"WS_EX_COMPOSITED", ws::ExComposited}, {"WS_EX_NOACTIVATE", ws::ExNoActivate},
    // Dialog styles.
    {"DS_ABSALIGN", ds::AbsAlign}, {"DS_SYSMODAL", ds::SysModal}, {"DS_3DLOOK", ds::ThreeDLook},
    {"DS_FIXEDSYS", ds::FixedSys}, {"DS_NOFAILCREATE", ds::NoFailCreate},
    {"DS_LOCALEDIT", ds::LocalEdit}, {"DS_SETFONT", ds::SetFont}, {"DS_MODALFRAME", ds::ModalFrame},
    {"DS_NOIDLEMSG", ds::NoIdleMsg}, {"DS_SETFOREGROUND", ds::SetForeground},
    {"DS_CONTROL", ds::Control}, {"DS_CENTER", ds::Center}, {"DS_CENTERMOUSE", ds::CenterMouse},
    {"DS_CONTEXTHELP", ds::ContextHelp}, {"DS_SHELLFONT", ds::ShellFont},
    // Button styles.
    {"BS_PUSHBUTTON", bs::PushButton}, {"BS_DEFPUSHBUTTON", bs::DefPushButton},
    {"BS_CHECKBOX", bs::CheckBox}, {"BS_AUTOCHECKBOX", bs::AutoCheckBox},
    {"BS_RADIOBUTTON", bs::RadioButton}, {"BS_3STATE", bs::ThreeState},
    {"BS_AUTO3STATE", bs::AutoThreeState}, {"BS_GROUPBOX", bs::GroupBox},
    {"BS_USERBUTTON", bs::UserButton}, {"BS_AUTORADIOBUTTON", bs::AutoRadioButton},
    {"BS_PUSHBOX", bs::PushBox}, {"BS_OWNERDRAW", bs::OwnerDraw},
    {"BS_SPLITBUTTON", bs::SplitButton}, {"BS_DEFSPLITBUTTON", bs::DefSplitButton},
    {"BS_COMMANDLINK", bs::CommandLink}, {"BS_DEFCOMMANDLINK", bs::DefCommandLink},
    {"BS_TYPEMASK", bs::TypeMask}, {"BS_LEFTTEXT", bs::LeftText},
    {"BS_RIGHTBUTTON", bs::RightButton}, {"BS_TEXT", bs::Text}, {"BS_ICON", bs::Icon},
    {"BS_BITMAP", bs::Bitmap}, {"BS_LEFT", bs::Left}, {"BS_RIGHT", bs::Right},
    {"BS_CENTER", bs::Center}, {"BS_TOP", bs::Top}, {"BS_BOTTOM", bs::Bottom},
    {"BS_VCENTER", bs::VCenter}, {"BS_PUSHLIKE", bs::PushLike}, {"BS_MULTILINE", bs::Multiline},
    {"BS_NOTIFY", bs::Notify}, {"BS_FLAT", bs::Flat},
    // Edit styles.
    {"ES_LEFT", es::Left}, {"ES_CENTER", es::Center}, {"ES_RIGHT", es::Right},
    {"ES_MULTILINE", es::Multiline}, {"ES_UPPERCASE", es::Uppercase},
    {"ES_LOWERCASE", es::Lowercase}, {"ES_PASSWORD", es::Password},
    {"ES_AUTOVSCROLL", es::AutoVScroll}, {"ES_AUTOHSCROLL", es::AutoHScroll},
    {"ES_NOHIDESEL", es::NoHideSel}, {"ES_OEMCONVERT", es::OemConvert},
    {"ES_READONLY", es::ReadOnly}, {"ES_WANTRETURN", es::WantReturn}, {"ES_NUMBER", es::Number},
    // Static styles.
    {"SS_LEFT", ss::Left}, {"SS_CENTER", ss::Center}, {"SS_RIGHT", ss::Right},
    {"SS_ICON", ss::Icon}, {"SS_BLACKRECT", ss::BlackRect}, {"SS_GRAYRECT", ss::GrayRect},
    {"SS_WHITERECT", ss::WhiteRect}, {"SS_BLACKFRAME", ss::BlackFrame},
    {"SS_GRAYFRAME", ss::GrayFrame}, {"SS_WHITEFRAME", ss::WhiteFrame},
    {"SS_USERITEM", ss::UserItem}, {"SS_SIMPLE", ss::Simple},
    {"SS_LEFTNOWORDWRAP", ss::LeftNoWordWrap}, {"SS_OWNERDRAW", ss::OwnerDraw},
    {"SS_BITMAP", ss::Bitmap}, {"SS_ENHMETAFILE", ss::EnhMetaFile},
    {"SS_ETCHEDHORZ", ss::EtchedHorz}, {"SS_ETCHEDVERT", ss::EtchedVert},
    {"SS_ETCHEDFRAME", ss::EtchedFrame}, {"SS_TYPEMASK", ss::TypeMask},
    {"SS_REALSIZECONTROL", ss::RealSizeControl}, {"SS_NOPREFIX", ss::NoPrefix},
    {"SS_NOTIFY", ss::Notify}, {"SS_CENTERIMAGE", ss::CenterImage}, {"SS_RIGHTJUST", ss::RightJust},
    {"SS_REALSIZEIMAGE", ss::RealSizeImage}, {"SS_SUNKEN", ss::Sunken},
    {"SS_EDITCONTROL", ss::EditControl}, {"SS_ENDELLIPSIS", ss::EndEllipsis},
    {"SS_PATHELLIPSIS", ss::PathEllipsis}, {"SS_WORDELLIPSIS", ss::WordEllipsis},
    {"SS_ELLIPSISMASK", ss::EllipsisMask},
    // Combo box styles.
    {"CBS_SIMPLE", cbs::Simple}, {"CBS_DROPDOWN", cbs::DropDown},
    {"CBS_DROPDOWNLIST", cbs::DropDownList}, {"CBS_OWNERDRAWFIXED", cbs::OwnerDrawFixed},
    {"CBS_OWNERDRAWVARIABLE", cbs::OwnerDrawVariable}, {"CBS_AUTOHSCROLL", cbs::AutoHScroll},
    {"CBS_OEMCONVERT", cbs::OemConvert}, {"CBS_SORT", cbs::Sort},
    {"CBS_HASSTRINGS", cbs::HasStrings}, {"CBS_NOINTEGRALHEIGHT", cbs::NoIntegralHeight},
    {"CBS_DISABLENOSCROLL", cbs::DisableNoScroll}, {"CBS_UPPERCASE", cbs::Uppercase},
    {"CBS_LOWERCASE", cbs::Lowercase},
    // List box and scroll bar styles.
    {"LBS_NOTIFY", lbs::Notify}, {"LBS_SORT", lbs::Sort}, {"LBS_NOREDRAW", lbs::NoRedraw},
    {"LBS_MULTIPLESEL", lbs::MultipleSel}, {"LBS_OWNERDRAWFIXED", lbs::OwnerDrawFixed},
    {"LBS_OWNERDRAWVARIABLE", lbs::OwnerDrawVariable}, {"LBS_HASSTRINGS", lbs::HasStrings},
    {"LBS_USETABSTOPS", lbs::UseTabStops}, {"LBS_NOINTEGRALHEIGHT", lbs::NoIntegralHeight},
    {"LBS_MULTICOLUMN", lbs::MultiColumn}, {"LBS_WANTKEYBOARDINPUT", lbs::WantKeyboardInput},
    {"LBS_EXTENDEDSEL", lbs::ExtendedSel}, {"LBS_DISABLENOSCROLL", lbs::DisableNoScroll},
    {"LBS_NODATA", lbs::NoData}, {"LBS_NOSEL", lbs::NoSel}, {"LBS_COMBOBOX", lbs::ComboBox},
    {"LBS_STANDARD", lbs::Standard}, {"SBS_HORZ", sbs::Horz}, {"SBS_VERT", sbs::Vert},
    {"SBS_TOPALIGN", sbs::TopAlign}, {"SBS_LEFTALIGN", sbs::LeftAlign},
    {"SBS_BOTTOMALIGN", sbs::BottomAlign}, {"SBS_RIGHTALIGN", sbs::RightAlign},
    {"SBS_SIZEBOX", sbs::SizeBox}, {"SBS_SIZEGRIP", sbs::SizeGrip},
    // Trackbar styles.
    {"TBS_AUTOTICKS", tbs::AutoTicks}, {"TBS_VERT", tbs::Vert}, {"TBS_HORZ", tbs::Horz},
    {"TBS_TOP", tbs::Top}, {"TBS_BOTTOM", tbs::Bottom}, {"TBS_LEFT", tbs::Left},
    {"TBS_RIGHT", tbs::Right}, {"TBS_BOTH", tbs::Both}, {"TBS_NOTICKS", tbs::NoTicks},
    {"TBS_ENABLESELRANGE", tbs::EnableSelRange}, {"TBS_FIXEDLENGTH", tbs::FixedLength},
    {"TBS_NOTHUMB", tbs::NoThumb}, {"TBS_TOOLTIPS", tbs::ToolTips}, {"TBS_REVERSED", tbs::Reversed},
    {"TBS_DOWNISLEFT", tbs::DownIsLeft}, {"TBS_NOTIFYBEFOREMOVE", tbs::NotifyBeforeMove},
    {"TBS_TRANSPARENTBKGND", tbs::TransparentBkgnd},
    // Languages.
    {"LANG_NEUTRAL", 0x00}, {"LANG_ENGLISH", 0x09}, {"SUBLANG_NEUTRAL", 0x00},
    {"SUBLANG_DEFAULT", 0x01}, {"SUBLANG_SYS_DEFAULT", 0x02}, {"SUBLANG_ENGLISH_US", 0x01},
    {"SUBLANG_ENGLISH_UK", 0x02},
    // Version information.
    {"VS_VERSION_INFO", 1}, {"VS_FFI_FILEFLAGSMASK", 0x3F}, {"VS_FF_DEBUG", 0x1},
    {"VS_FF_PRERELEASE", 0x2}, {"VS_FF_PATCHED", 0x4}, {"VS_FF_PRIVATEBUILD", 0x8},
    {"VS_FF_INFOINFERRED", 0x10}, {"VS_FF_SPECIALBUILD", 0x20}, {"VOS_UNKNOWN", 0x0},
    {"VOS_DOS", 0x10000}, {"VOS_OS216", 0x20000}, {"VOS_OS232", 0x30000}, {"VOS_NT", 0x40000},
    {"VOS__BASE", 0x0}, {"VOS__WINDOWS16", 0x1}, {"VOS__PM16", 0x2}, {"VOS__PM32", 0x3},
    {"VOS__WINDOWS32", 0x4}, {"VOS_DOS_WINDOWS16", 0x10001}, {"VOS_DOS_WINDOWS32", 0x10004},
    {"VOS_NT_WINDOWS32", 0x40004}, {"VFT_UNKNOWN", 0x0}, {"VFT_APP", 0x1}, {"VFT_DLL", 0x2},
    {"VFT_DRV", 0x3}, {"VFT_FONT", 0x4}, {"VFT_VXD", 0x5}, {"VFT_STATIC_LIB", 0x7},
    {"VFT2_UNKNOWN", 0x0},
    // Resource types and manifest ids.
    {"RT_CURSOR", 1}, {"RT_BITMAP", 2}, {"RT_ICON", 3}, {"RT_MENU", 4}, {"RT_DIALOG", 5},
    {"RT_STRING", 6}, {"RT_FONTDIR", 7}, {"RT_FONT", 8}, {"RT_ACCELERATOR", 9}, {"RT_RCDATA", 10},
    {"RT_MESSAGETABLE", 11}, {"RT_GROUP_CURSOR", 12}, {"RT_GROUP_ICON", 14}, {"RT_VERSION", 16},
    {"RT_DLGINCLUDE", 17}, {"RT_HTML", 23}, {"RT_MANIFEST", 24},
    {"CREATEPROCESS_MANIFEST_RESOURCE_ID", 1}, {"ISOLATIONAWARE_MANIFEST_RESOURCE_ID", 2},
    {"ISOLATIONAWARE_NOSTATICIMPORT_MANIFEST_RESOURCE_ID", 3},
};
// clang-format on

}  // namespace

std::optional<std::int64_t> Builtin(std::string_view name) {
    static const std::map<std::string_view, std::int64_t, std::less<>> table = [] {
        std::map<std::string_view, std::int64_t, std::less<>> m;
        for (const NamedValue& b : kBuiltins) m.emplace(b.name, b.value);
        return m;
    }();
    const auto it = table.find(name);
    if (it == table.end()) return std::nullopt;
    return it->second;
}

}  // namespace rcscript
