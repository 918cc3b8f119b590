// The portable code speaks Win32's numbers (framework/win_types.h) and the Windows front end passes
// them straight through to user32, so each must be the real one. Nothing here runs: the file
// compiles only where every value agrees with <windows.h>.
// Values only, no calls: the headers may show the styles of Windows newer than the program's XP.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

#include <cstddef>
#include <type_traits>

#include "framework/dialog_template.h"
#include "framework/win_types.h"

static_assert(std::is_same_v<::BOOL, int> && std::is_same_v<::UINT, unsigned int>);
static_assert(sizeof(WPARAM) == sizeof(void*) && sizeof(LPARAM) == sizeof(void*));

static_assert(framework::wm::SetFocus == WM_SETFOCUS && framework::wm::KillFocus == WM_KILLFOCUS &&
              framework::wm::Enable == WM_ENABLE && framework::wm::SetText == WM_SETTEXT &&
              framework::wm::GetText == WM_GETTEXT &&
              framework::wm::GetTextLength == WM_GETTEXTLENGTH &&
              framework::wm::Paint == WM_PAINT && framework::wm::Close == WM_CLOSE &&
              framework::wm::IconEraseBkgnd == WM_ICONERASEBKGND &&
              framework::wm::QueryDragIcon == WM_QUERYDRAGICON &&
              framework::wm::Notify == WM_NOTIFY && framework::wm::Help == WM_HELP &&
              framework::wm::ContextMenu == WM_CONTEXTMENU &&
              framework::wm::SetIcon == WM_SETICON && framework::wm::GetDlgCode == WM_GETDLGCODE &&
              framework::wm::KeyDown == WM_KEYDOWN && framework::wm::KeyUp == WM_KEYUP &&
              framework::wm::SysKeyDown == WM_SYSKEYDOWN && framework::wm::VScroll == WM_VSCROLL &&
              framework::wm::Char == WM_CHAR && framework::wm::InitDialog == WM_INITDIALOG &&
              framework::wm::Command == WM_COMMAND && framework::wm::SysCommand == WM_SYSCOMMAND &&
              framework::wm::HScroll == WM_HSCROLL && framework::wm::MouseMove == WM_MOUSEMOVE &&
              framework::wm::LButtonDown == WM_LBUTTONDOWN &&
              framework::wm::LButtonUp == WM_LBUTTONUP && framework::wm::Cut == WM_CUT &&
              framework::wm::Copy == WM_COPY && framework::wm::Paste == WM_PASTE &&
              framework::wm::Clear == WM_CLEAR && framework::wm::Undo == WM_UNDO);
static_assert(framework::em::GetSel == EM_GETSEL && framework::em::SetSel == EM_SETSEL &&
              framework::em::ReplaceSel == EM_REPLACESEL &&
              framework::em::LimitText == EM_LIMITTEXT && framework::em::Undo == EM_UNDO &&
              framework::em::SetReadOnly == EM_SETREADONLY &&
              framework::em::GetLimitText == EM_GETLIMITTEXT);
static_assert(framework::en::SetFocus == EN_SETFOCUS && framework::en::KillFocus == EN_KILLFOCUS &&
              framework::en::Change == EN_CHANGE && framework::en::MaxText == EN_MAXTEXT);
static_assert(framework::bm::GetCheck == BM_GETCHECK && framework::bm::SetCheck == BM_SETCHECK &&
              framework::bm::Click == BM_CLICK && framework::bn::Clicked == BN_CLICKED);
static_assert(framework::bst::Unchecked == BST_UNCHECKED &&
              framework::bst::Checked == BST_CHECKED &&
              framework::bst::Indeterminate == BST_INDETERMINATE);
static_assert(framework::cb::GetCount == CB_GETCOUNT && framework::cb::GetCurSel == CB_GETCURSEL &&
              framework::cb::GetLBText == CB_GETLBTEXT &&
              framework::cb::GetLBTextLen == CB_GETLBTEXTLEN &&
              framework::cb::ResetContent == CB_RESETCONTENT &&
              framework::cb::SelectString == CB_SELECTSTRING &&
              framework::cb::SetCurSel == CB_SETCURSEL &&
              framework::cb::ShowDropDown == CB_SHOWDROPDOWN &&
              framework::cb::AddString == CB_ADDSTRING &&
              framework::cb::FindStringExact == CB_FINDSTRINGEXACT &&
              framework::cb::GetDroppedState == CB_GETDROPPEDSTATE && framework::cb::Err == CB_ERR);
static_assert(framework::cbn::SelChange == CBN_SELCHANGE &&
              framework::cbn::DropDown == CBN_DROPDOWN && framework::cbn::CloseUp == CBN_CLOSEUP &&
              framework::cbn::SelEndOk == CBN_SELENDOK &&
              framework::cbn::SetFocus == CBN_SETFOCUS &&
              framework::cbn::KillFocus == CBN_KILLFOCUS &&
              framework::cbn::SelEndCancel == CBN_SELENDCANCEL);
static_assert(framework::tbm::GetPos == TBM_GETPOS &&
              framework::tbm::GetRangeMin == TBM_GETRANGEMIN &&
              framework::tbm::GetRangeMax == TBM_GETRANGEMAX &&
              framework::tbm::SetPos == TBM_SETPOS && framework::tbm::SetRange == TBM_SETRANGE &&
              framework::tbm::SetRangeMin == TBM_SETRANGEMIN &&
              framework::tbm::SetRangeMax == TBM_SETRANGEMAX &&
              framework::tbm::SetPageSize == TBM_SETPAGESIZE &&
              framework::tbm::GetPageSize == TBM_GETPAGESIZE &&
              framework::tbm::SetLineSize == TBM_SETLINESIZE &&
              framework::tbm::GetLineSize == TBM_GETLINESIZE);
static_assert(framework::tb::LineUp == TB_LINEUP && framework::tb::LineDown == TB_LINEDOWN &&
              framework::tb::PageUp == TB_PAGEUP && framework::tb::PageDown == TB_PAGEDOWN &&
              framework::tb::ThumbPosition == TB_THUMBPOSITION &&
              framework::tb::ThumbTrack == TB_THUMBTRACK && framework::tb::Top == TB_TOP &&
              framework::tb::Bottom == TB_BOTTOM && framework::tb::EndTrack == TB_ENDTRACK);
static_assert(framework::nm::ReleasedCapture == static_cast<UINT>(NM_RELEASEDCAPTURE));
static_assert(framework::vk::Back == VK_BACK && framework::vk::Tab == VK_TAB &&
              framework::vk::Return == VK_RETURN && framework::vk::Shift == VK_SHIFT &&
              framework::vk::Control == VK_CONTROL && framework::vk::Escape == VK_ESCAPE &&
              framework::vk::Space == VK_SPACE && framework::vk::Prior == VK_PRIOR &&
              framework::vk::Next == VK_NEXT && framework::vk::End == VK_END &&
              framework::vk::Home == VK_HOME && framework::vk::Left == VK_LEFT &&
              framework::vk::Up == VK_UP && framework::vk::Right == VK_RIGHT &&
              framework::vk::Down == VK_DOWN && framework::vk::Insert == VK_INSERT &&
              framework::vk::Delete == VK_DELETE && framework::vk::F1 == VK_F1 &&
              framework::vk::F4 == VK_F4);
static_assert(framework::kf::AltDown == (static_cast<LPARAM>(KF_ALTDOWN) << 16));
static_assert(framework::dlgc::WantArrows == DLGC_WANTARROWS &&
              framework::dlgc::WantTab == DLGC_WANTTAB &&
              framework::dlgc::WantAllKeys == DLGC_WANTALLKEYS &&
              framework::dlgc::HasSetSel == DLGC_HASSETSEL &&
              framework::dlgc::DefPushButton == DLGC_DEFPUSHBUTTON &&
              framework::dlgc::UndefPushButton == DLGC_UNDEFPUSHBUTTON &&
              framework::dlgc::RadioButton == DLGC_RADIOBUTTON &&
              framework::dlgc::WantChars == DLGC_WANTCHARS &&
              framework::dlgc::Static == DLGC_STATIC && framework::dlgc::Button == DLGC_BUTTON);
static_assert(framework::dm::GetDefId == DM_GETDEFID && framework::dm::SetDefId == DM_SETDEFID &&
              framework::dm::HasDefId == DC_HASDEFID);
static_assert(framework::mb::OkCancel == MB_OKCANCEL &&
              framework::mb::AbortRetryIgnore == MB_ABORTRETRYIGNORE &&
              framework::mb::YesNoCancel == MB_YESNOCANCEL && framework::mb::YesNo == MB_YESNO &&
              framework::mb::RetryCancel == MB_RETRYCANCEL &&
              framework::mb::TypeMask == MB_TYPEMASK);
static_assert(framework::id::Ok == IDOK && framework::id::Cancel == IDCANCEL &&
              framework::id::Abort == IDABORT && framework::id::Retry == IDRETRY &&
              framework::id::Ignore == IDIGNORE && framework::id::Yes == IDYES &&
              framework::id::No == IDNO && framework::id::Close == IDCLOSE &&
              framework::id::Help == IDHELP && framework::ID_HELP == 0xE146);
static_assert(framework::mb::Ok == MB_OK && framework::mf::String == MF_STRING &&
              framework::mf::Separator == MF_SEPARATOR);
static_assert(framework::sc::Size == SC_SIZE && framework::sc::Move == SC_MOVE &&
              framework::sc::Minimize == SC_MINIMIZE && framework::sc::Maximize == SC_MAXIMIZE &&
              framework::sc::Close == SC_CLOSE && framework::sc::Restore == SC_RESTORE);
static_assert(framework::sm::CxIcon == SM_CXICON && framework::sm::CyIcon == SM_CYICON &&
              framework::icon::Small == ICON_SMALL && framework::icon::Big == ICON_BIG);

// Styles of the resource templates, every one the resource-script reader knows by name.
static_assert(framework::ws::Overlapped == WS_OVERLAPPED && framework::ws::Popup == WS_POPUP &&
              framework::ws::Child == WS_CHILD && framework::ws::Minimize == WS_MINIMIZE &&
              framework::ws::Visible == WS_VISIBLE && framework::ws::Disabled == WS_DISABLED &&
              framework::ws::ClipSiblings == WS_CLIPSIBLINGS &&
              framework::ws::ClipChildren == WS_CLIPCHILDREN &&
              framework::ws::Maximize == WS_MAXIMIZE && framework::ws::Caption == WS_CAPTION &&
              framework::ws::Border == WS_BORDER && framework::ws::DlgFrame == WS_DLGFRAME &&
              framework::ws::VScroll == WS_VSCROLL && framework::ws::HScroll == WS_HSCROLL &&
              framework::ws::SysMenu == WS_SYSMENU && framework::ws::ThickFrame == WS_THICKFRAME &&
              framework::ws::Group == WS_GROUP && framework::ws::TabStop == WS_TABSTOP &&
              framework::ws::MinimizeBox == WS_MINIMIZEBOX &&
              framework::ws::MaximizeBox == WS_MAXIMIZEBOX &&
              framework::ws::OverlappedWindow == WS_OVERLAPPEDWINDOW &&
              framework::ws::PopupWindow == WS_POPUPWINDOW);
static_assert(framework::ws::ExDlgModalFrame == WS_EX_DLGMODALFRAME &&
              framework::ws::ExNoParentNotify == WS_EX_NOPARENTNOTIFY &&
              framework::ws::ExTopmost == WS_EX_TOPMOST &&
              framework::ws::ExAcceptFiles == WS_EX_ACCEPTFILES &&
              framework::ws::ExTransparent == WS_EX_TRANSPARENT &&
              framework::ws::ExMdiChild == WS_EX_MDICHILD &&
              framework::ws::ExToolWindow == WS_EX_TOOLWINDOW &&
              framework::ws::ExWindowEdge == WS_EX_WINDOWEDGE &&
              framework::ws::ExClientEdge == WS_EX_CLIENTEDGE &&
              framework::ws::ExContextHelp == WS_EX_CONTEXTHELP &&
              framework::ws::ExRight == WS_EX_RIGHT && framework::ws::ExLeft == WS_EX_LEFT &&
              framework::ws::ExRtlReading == WS_EX_RTLREADING &&
              framework::ws::ExLtrReading == WS_EX_LTRREADING &&
              framework::ws::ExLeftScrollBar == WS_EX_LEFTSCROLLBAR &&
              framework::ws::ExRightScrollBar == WS_EX_RIGHTSCROLLBAR &&
              framework::ws::ExControlParent == WS_EX_CONTROLPARENT &&
              framework::ws::ExStaticEdge == WS_EX_STATICEDGE &&
              framework::ws::ExAppWindow == WS_EX_APPWINDOW &&
              framework::ws::ExOverlappedWindow == WS_EX_OVERLAPPEDWINDOW &&
              framework::ws::ExPaletteWindow == WS_EX_PALETTEWINDOW &&
              framework::ws::ExLayered == WS_EX_LAYERED &&
              framework::ws::ExNoInheritLayout == WS_EX_NOINHERITLAYOUT &&
              framework::ws::ExLayoutRtl == WS_EX_LAYOUTRTL &&
              framework::ws::ExComposited == WS_EX_COMPOSITED &&
              framework::ws::ExNoActivate == WS_EX_NOACTIVATE);
static_assert(framework::ds::AbsAlign == DS_ABSALIGN && framework::ds::SysModal == DS_SYSMODAL &&
              framework::ds::ThreeDLook == DS_3DLOOK && framework::ds::FixedSys == DS_FIXEDSYS &&
              framework::ds::NoFailCreate == DS_NOFAILCREATE &&
              framework::ds::LocalEdit == DS_LOCALEDIT && framework::ds::SetFont == DS_SETFONT &&
              framework::ds::ModalFrame == DS_MODALFRAME &&
              framework::ds::NoIdleMsg == DS_NOIDLEMSG &&
              framework::ds::SetForeground == DS_SETFOREGROUND &&
              framework::ds::Control == DS_CONTROL && framework::ds::Center == DS_CENTER &&
              framework::ds::CenterMouse == DS_CENTERMOUSE &&
              framework::ds::ContextHelp == DS_CONTEXTHELP &&
              framework::ds::ShellFont == DS_SHELLFONT);
static_assert(
    framework::bs::PushButton == BS_PUSHBUTTON &&
    framework::bs::DefPushButton == BS_DEFPUSHBUTTON && framework::bs::CheckBox == BS_CHECKBOX &&
    framework::bs::AutoCheckBox == BS_AUTOCHECKBOX &&
    framework::bs::RadioButton == BS_RADIOBUTTON && framework::bs::ThreeState == BS_3STATE &&
    framework::bs::AutoThreeState == BS_AUTO3STATE && framework::bs::GroupBox == BS_GROUPBOX &&
    framework::bs::UserButton == BS_USERBUTTON &&
    framework::bs::AutoRadioButton == BS_AUTORADIOBUTTON && framework::bs::PushBox == BS_PUSHBOX &&
    framework::bs::OwnerDraw == BS_OWNERDRAW && framework::bs::SplitButton == BS_SPLITBUTTON &&
    framework::bs::DefSplitButton == BS_DEFSPLITBUTTON &&
    framework::bs::CommandLink == BS_COMMANDLINK &&
    framework::bs::DefCommandLink == BS_DEFCOMMANDLINK && framework::bs::TypeMask == BS_TYPEMASK &&
    framework::bs::LeftText == BS_LEFTTEXT && framework::bs::RightButton == BS_RIGHTBUTTON &&
    framework::bs::Text == BS_TEXT && framework::bs::Icon == BS_ICON &&
    framework::bs::Bitmap == BS_BITMAP && framework::bs::Left == BS_LEFT &&
    framework::bs::Right == BS_RIGHT && framework::bs::Center == BS_CENTER &&
    framework::bs::Top == BS_TOP && framework::bs::Bottom == BS_BOTTOM &&
    framework::bs::VCenter == BS_VCENTER && framework::bs::PushLike == BS_PUSHLIKE &&
    framework::bs::Multiline == BS_MULTILINE && framework::bs::Notify == BS_NOTIFY &&
    framework::bs::Flat == BS_FLAT);
static_assert(framework::es::Left == ES_LEFT && framework::es::Center == ES_CENTER &&
              framework::es::Right == ES_RIGHT && framework::es::Multiline == ES_MULTILINE &&
              framework::es::Uppercase == ES_UPPERCASE &&
              framework::es::Lowercase == ES_LOWERCASE && framework::es::Password == ES_PASSWORD &&
              framework::es::AutoVScroll == ES_AUTOVSCROLL &&
              framework::es::AutoHScroll == ES_AUTOHSCROLL &&
              framework::es::NoHideSel == ES_NOHIDESEL &&
              framework::es::OemConvert == ES_OEMCONVERT &&
              framework::es::ReadOnly == ES_READONLY &&
              framework::es::WantReturn == ES_WANTRETURN && framework::es::Number == ES_NUMBER);
static_assert(
    framework::ss::Left == SS_LEFT && framework::ss::Center == SS_CENTER &&
    framework::ss::Right == SS_RIGHT && framework::ss::Icon == SS_ICON &&
    framework::ss::BlackRect == SS_BLACKRECT && framework::ss::GrayRect == SS_GRAYRECT &&
    framework::ss::WhiteRect == SS_WHITERECT && framework::ss::BlackFrame == SS_BLACKFRAME &&
    framework::ss::GrayFrame == SS_GRAYFRAME && framework::ss::WhiteFrame == SS_WHITEFRAME &&
    framework::ss::UserItem == SS_USERITEM && framework::ss::Simple == SS_SIMPLE &&
    framework::ss::LeftNoWordWrap == SS_LEFTNOWORDWRAP &&
    framework::ss::OwnerDraw == SS_OWNERDRAW && framework::ss::Bitmap == SS_BITMAP &&
    framework::ss::EnhMetaFile == SS_ENHMETAFILE && framework::ss::EtchedHorz == SS_ETCHEDHORZ &&
    framework::ss::EtchedVert == SS_ETCHEDVERT && framework::ss::EtchedFrame == SS_ETCHEDFRAME &&
    framework::ss::TypeMask == SS_TYPEMASK &&
    framework::ss::RealSizeControl == SS_REALSIZECONTROL &&
    framework::ss::NoPrefix == SS_NOPREFIX && framework::ss::Notify == SS_NOTIFY &&
    framework::ss::CenterImage == SS_CENTERIMAGE && framework::ss::RightJust == SS_RIGHTJUST &&
    framework::ss::RealSizeImage == SS_REALSIZEIMAGE && framework::ss::Sunken == SS_SUNKEN &&
    framework::ss::EditControl == SS_EDITCONTROL && framework::ss::EndEllipsis == SS_ENDELLIPSIS &&
    framework::ss::PathEllipsis == SS_PATHELLIPSIS &&
    framework::ss::WordEllipsis == SS_WORDELLIPSIS &&
    framework::ss::EllipsisMask == SS_ELLIPSISMASK);
static_assert(framework::cbs::Simple == CBS_SIMPLE && framework::cbs::DropDown == CBS_DROPDOWN &&
              framework::cbs::DropDownList == CBS_DROPDOWNLIST &&
              framework::cbs::OwnerDrawFixed == CBS_OWNERDRAWFIXED &&
              framework::cbs::OwnerDrawVariable == CBS_OWNERDRAWVARIABLE &&
              framework::cbs::AutoHScroll == CBS_AUTOHSCROLL &&
              framework::cbs::OemConvert == CBS_OEMCONVERT && framework::cbs::Sort == CBS_SORT &&
              framework::cbs::HasStrings == CBS_HASSTRINGS &&
              framework::cbs::NoIntegralHeight == CBS_NOINTEGRALHEIGHT &&
              framework::cbs::DisableNoScroll == CBS_DISABLENOSCROLL &&
              framework::cbs::Uppercase == CBS_UPPERCASE &&
              framework::cbs::Lowercase == CBS_LOWERCASE);
static_assert(framework::lbs::Notify == LBS_NOTIFY && framework::lbs::Sort == LBS_SORT &&
              framework::lbs::NoRedraw == LBS_NOREDRAW &&
              framework::lbs::MultipleSel == LBS_MULTIPLESEL &&
              framework::lbs::OwnerDrawFixed == LBS_OWNERDRAWFIXED &&
              framework::lbs::OwnerDrawVariable == LBS_OWNERDRAWVARIABLE &&
              framework::lbs::HasStrings == LBS_HASSTRINGS &&
              framework::lbs::UseTabStops == LBS_USETABSTOPS &&
              framework::lbs::NoIntegralHeight == LBS_NOINTEGRALHEIGHT &&
              framework::lbs::MultiColumn == LBS_MULTICOLUMN &&
              framework::lbs::WantKeyboardInput == LBS_WANTKEYBOARDINPUT &&
              framework::lbs::ExtendedSel == LBS_EXTENDEDSEL &&
              framework::lbs::DisableNoScroll == LBS_DISABLENOSCROLL &&
              framework::lbs::NoData == LBS_NODATA && framework::lbs::NoSel == LBS_NOSEL &&
              framework::lbs::ComboBox == LBS_COMBOBOX && framework::lbs::Standard == LBS_STANDARD);
static_assert(framework::sbs::Horz == SBS_HORZ && framework::sbs::Vert == SBS_VERT &&
              framework::sbs::TopAlign == SBS_TOPALIGN &&
              framework::sbs::LeftAlign == SBS_LEFTALIGN &&
              framework::sbs::BottomAlign == SBS_BOTTOMALIGN &&
              framework::sbs::RightAlign == SBS_RIGHTALIGN &&
              framework::sbs::SizeBox == SBS_SIZEBOX && framework::sbs::SizeGrip == SBS_SIZEGRIP);
static_assert(framework::tbs::AutoTicks == TBS_AUTOTICKS && framework::tbs::Vert == TBS_VERT &&
              framework::tbs::Horz == TBS_HORZ && framework::tbs::Top == TBS_TOP &&
              framework::tbs::Bottom == TBS_BOTTOM && framework::tbs::Left == TBS_LEFT &&
              framework::tbs::Right == TBS_RIGHT && framework::tbs::Both == TBS_BOTH &&
              framework::tbs::NoTicks == TBS_NOTICKS &&
              framework::tbs::EnableSelRange == TBS_ENABLESELRANGE &&
              framework::tbs::FixedLength == TBS_FIXEDLENGTH &&
              framework::tbs::NoThumb == TBS_NOTHUMB && framework::tbs::ToolTips == TBS_TOOLTIPS &&
              framework::tbs::Reversed == TBS_REVERSED &&
              framework::tbs::DownIsLeft == TBS_DOWNISLEFT &&
              framework::tbs::NotifyBeforeMove == TBS_NOTIFYBEFOREMOVE &&
              framework::tbs::TransparentBkgnd == TBS_TRANSPARENTBKGND);
static_assert(framework::kTrackbarClass == TRACKBAR_CLASSA);

// WM_NOTIFY headers are built by the controls and read through framework::NMHDR.
static_assert(sizeof(framework::NMHDR) == sizeof(::NMHDR) &&
              alignof(framework::NMHDR) == alignof(::NMHDR));
static_assert(offsetof(framework::NMHDR, hwndFrom) == offsetof(::NMHDR, hwndFrom) &&
              offsetof(framework::NMHDR, idFrom) == offsetof(::NMHDR, idFrom) &&
              offsetof(framework::NMHDR, code) == offsetof(::NMHDR, code));
static_assert(sizeof(framework::Handle) == sizeof(HWND) &&
              sizeof(framework::IconHandle) == sizeof(HICON));
