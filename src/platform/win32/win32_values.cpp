// The portable code speaks Win32's numbers (framework/win_types.h) and the Windows front end passes
// them straight through to user32, so each must be the real one. Nothing here runs: the file
// compiles only where every value agrees with <windows.h>.
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

static_assert(fw::wm::SetFocus == WM_SETFOCUS && fw::wm::KillFocus == WM_KILLFOCUS &&
              fw::wm::Enable == WM_ENABLE && fw::wm::SetText == WM_SETTEXT &&
              fw::wm::GetText == WM_GETTEXT && fw::wm::GetTextLength == WM_GETTEXTLENGTH &&
              fw::wm::Paint == WM_PAINT && fw::wm::Close == WM_CLOSE &&
              fw::wm::IconEraseBkgnd == WM_ICONERASEBKGND &&
              fw::wm::QueryDragIcon == WM_QUERYDRAGICON && fw::wm::Notify == WM_NOTIFY &&
              fw::wm::Help == WM_HELP && fw::wm::ContextMenu == WM_CONTEXTMENU &&
              fw::wm::SetIcon == WM_SETICON && fw::wm::GetDlgCode == WM_GETDLGCODE &&
              fw::wm::KeyDown == WM_KEYDOWN && fw::wm::KeyUp == WM_KEYUP &&
              fw::wm::SysKeyDown == WM_SYSKEYDOWN && fw::wm::VScroll == WM_VSCROLL &&
              fw::wm::Char == WM_CHAR && fw::wm::InitDialog == WM_INITDIALOG &&
              fw::wm::Command == WM_COMMAND && fw::wm::SysCommand == WM_SYSCOMMAND &&
              fw::wm::HScroll == WM_HSCROLL && fw::wm::MouseMove == WM_MOUSEMOVE &&
              fw::wm::LButtonDown == WM_LBUTTONDOWN && fw::wm::LButtonUp == WM_LBUTTONUP &&
              fw::wm::Cut == WM_CUT && fw::wm::Copy == WM_COPY && fw::wm::Paste == WM_PASTE &&
              fw::wm::Clear == WM_CLEAR && fw::wm::Undo == WM_UNDO);
static_assert(fw::em::GetSel == EM_GETSEL && fw::em::SetSel == EM_SETSEL &&
              fw::em::ReplaceSel == EM_REPLACESEL && fw::em::LimitText == EM_LIMITTEXT &&
              fw::em::Undo == EM_UNDO && fw::em::SetReadOnly == EM_SETREADONLY &&
              fw::em::GetLimitText == EM_GETLIMITTEXT);
static_assert(fw::en::SetFocus == EN_SETFOCUS && fw::en::KillFocus == EN_KILLFOCUS &&
              fw::en::Change == EN_CHANGE && fw::en::MaxText == EN_MAXTEXT);
static_assert(fw::bm::GetCheck == BM_GETCHECK && fw::bm::SetCheck == BM_SETCHECK &&
              fw::bm::Click == BM_CLICK && fw::bn::Clicked == BN_CLICKED);
static_assert(fw::bst::Unchecked == BST_UNCHECKED && fw::bst::Checked == BST_CHECKED &&
              fw::bst::Indeterminate == BST_INDETERMINATE);
static_assert(fw::cb::GetCount == CB_GETCOUNT && fw::cb::GetCurSel == CB_GETCURSEL &&
              fw::cb::GetLBText == CB_GETLBTEXT && fw::cb::GetLBTextLen == CB_GETLBTEXTLEN &&
              fw::cb::ResetContent == CB_RESETCONTENT && fw::cb::SelectString == CB_SELECTSTRING &&
              fw::cb::SetCurSel == CB_SETCURSEL && fw::cb::ShowDropDown == CB_SHOWDROPDOWN &&
              fw::cb::AddString == CB_ADDSTRING && fw::cb::FindStringExact == CB_FINDSTRINGEXACT &&
              fw::cb::GetDroppedState == CB_GETDROPPEDSTATE && fw::cb::Err == CB_ERR);
static_assert(fw::cbn::SelChange == CBN_SELCHANGE && fw::cbn::DropDown == CBN_DROPDOWN &&
              fw::cbn::CloseUp == CBN_CLOSEUP && fw::cbn::SelEndOk == CBN_SELENDOK &&
              fw::cbn::SetFocus == CBN_SETFOCUS && fw::cbn::KillFocus == CBN_KILLFOCUS &&
              fw::cbn::SelEndCancel == CBN_SELENDCANCEL);
static_assert(fw::tbm::GetPos == TBM_GETPOS && fw::tbm::GetRangeMin == TBM_GETRANGEMIN &&
              fw::tbm::GetRangeMax == TBM_GETRANGEMAX && fw::tbm::SetPos == TBM_SETPOS &&
              fw::tbm::SetRange == TBM_SETRANGE && fw::tbm::SetRangeMin == TBM_SETRANGEMIN &&
              fw::tbm::SetRangeMax == TBM_SETRANGEMAX && fw::tbm::SetPageSize == TBM_SETPAGESIZE &&
              fw::tbm::GetPageSize == TBM_GETPAGESIZE && fw::tbm::SetLineSize == TBM_SETLINESIZE &&
              fw::tbm::GetLineSize == TBM_GETLINESIZE);
static_assert(fw::tb::LineUp == TB_LINEUP && fw::tb::LineDown == TB_LINEDOWN &&
              fw::tb::PageUp == TB_PAGEUP && fw::tb::PageDown == TB_PAGEDOWN &&
              fw::tb::ThumbPosition == TB_THUMBPOSITION && fw::tb::ThumbTrack == TB_THUMBTRACK &&
              fw::tb::Top == TB_TOP && fw::tb::Bottom == TB_BOTTOM &&
              fw::tb::EndTrack == TB_ENDTRACK);
static_assert(fw::nm::ReleasedCapture == static_cast<UINT>(NM_RELEASEDCAPTURE));
static_assert(fw::vk::Back == VK_BACK && fw::vk::Tab == VK_TAB && fw::vk::Return == VK_RETURN &&
              fw::vk::Shift == VK_SHIFT && fw::vk::Control == VK_CONTROL &&
              fw::vk::Escape == VK_ESCAPE && fw::vk::Space == VK_SPACE &&
              fw::vk::Prior == VK_PRIOR && fw::vk::Next == VK_NEXT && fw::vk::End == VK_END &&
              fw::vk::Home == VK_HOME && fw::vk::Left == VK_LEFT && fw::vk::Up == VK_UP &&
              fw::vk::Right == VK_RIGHT && fw::vk::Down == VK_DOWN && fw::vk::Insert == VK_INSERT &&
              fw::vk::Delete == VK_DELETE && fw::vk::F1 == VK_F1 && fw::vk::F4 == VK_F4);
static_assert(fw::kf::AltDown == (static_cast<LPARAM>(KF_ALTDOWN) << 16));
static_assert(fw::dlgc::WantArrows == DLGC_WANTARROWS && fw::dlgc::WantTab == DLGC_WANTTAB &&
              fw::dlgc::WantAllKeys == DLGC_WANTALLKEYS && fw::dlgc::HasSetSel == DLGC_HASSETSEL &&
              fw::dlgc::DefPushButton == DLGC_DEFPUSHBUTTON &&
              fw::dlgc::UndefPushButton == DLGC_UNDEFPUSHBUTTON &&
              fw::dlgc::RadioButton == DLGC_RADIOBUTTON && fw::dlgc::WantChars == DLGC_WANTCHARS &&
              fw::dlgc::Static == DLGC_STATIC && fw::dlgc::Button == DLGC_BUTTON);
static_assert(fw::dm::GetDefId == DM_GETDEFID && fw::dm::SetDefId == DM_SETDEFID &&
              fw::dm::HasDefId == DC_HASDEFID);
static_assert(fw::mb::OkCancel == MB_OKCANCEL && fw::mb::AbortRetryIgnore == MB_ABORTRETRYIGNORE &&
              fw::mb::YesNoCancel == MB_YESNOCANCEL && fw::mb::YesNo == MB_YESNO &&
              fw::mb::RetryCancel == MB_RETRYCANCEL && fw::mb::TypeMask == MB_TYPEMASK);
static_assert(fw::id::Ok == IDOK && fw::id::Cancel == IDCANCEL && fw::id::Abort == IDABORT &&
              fw::id::Retry == IDRETRY && fw::id::Ignore == IDIGNORE && fw::id::Yes == IDYES &&
              fw::id::No == IDNO && fw::ID_HELP == 0xE146);
static_assert(fw::mb::Ok == MB_OK && fw::mf::String == MF_STRING &&
              fw::mf::Separator == MF_SEPARATOR);
static_assert(fw::sc::Size == SC_SIZE && fw::sc::Move == SC_MOVE &&
              fw::sc::Minimize == SC_MINIMIZE && fw::sc::Maximize == SC_MAXIMIZE &&
              fw::sc::Close == SC_CLOSE && fw::sc::Restore == SC_RESTORE);
static_assert(fw::sm::CxIcon == SM_CXICON && fw::sm::CyIcon == SM_CYICON &&
              fw::icon::Small == ICON_SMALL && fw::icon::Big == ICON_BIG);

// Styles of the resource templates, as the resource compiler writes them.
static_assert(fw::ws::Popup == WS_POPUP && fw::ws::Child == WS_CHILD &&
              fw::ws::Visible == WS_VISIBLE && fw::ws::Disabled == WS_DISABLED &&
              fw::ws::Caption == WS_CAPTION && fw::ws::Border == WS_BORDER &&
              fw::ws::SysMenu == WS_SYSMENU && fw::ws::VScroll == WS_VSCROLL &&
              fw::ws::HScroll == WS_HSCROLL && fw::ws::Group == WS_GROUP &&
              fw::ws::TabStop == WS_TABSTOP && fw::ws::DlgFrame == WS_DLGFRAME &&
              fw::ws::ThickFrame == WS_THICKFRAME && fw::ws::MinimizeBox == WS_MINIMIZEBOX &&
              fw::ws::MaximizeBox == WS_MAXIMIZEBOX && fw::ws::ExAppWindow == WS_EX_APPWINDOW &&
              fw::ws::ExClientEdge == WS_EX_CLIENTEDGE && fw::ws::ExStaticEdge == WS_EX_STATICEDGE);
static_assert(fw::ds::SetFont == DS_SETFONT && fw::ds::ModalFrame == DS_MODALFRAME &&
              fw::ds::SetForeground == DS_SETFOREGROUND && fw::ds::ThreeDLook == DS_3DLOOK &&
              fw::ds::Center == DS_CENTER && fw::ds::AbsAlign == DS_ABSALIGN &&
              fw::ds::FixedSys == DS_FIXEDSYS && fw::ds::Control == DS_CONTROL &&
              fw::ds::CenterMouse == DS_CENTERMOUSE);
static_assert(fw::bs::PushButton == BS_PUSHBUTTON && fw::bs::DefPushButton == BS_DEFPUSHBUTTON &&
              fw::bs::CheckBox == BS_CHECKBOX && fw::bs::AutoCheckBox == BS_AUTOCHECKBOX &&
              fw::bs::RadioButton == BS_RADIOBUTTON && fw::bs::GroupBox == BS_GROUPBOX &&
              fw::bs::AutoRadioButton == BS_AUTORADIOBUTTON && fw::bs::TypeMask == BS_TYPEMASK &&
              fw::bs::ThreeState == BS_3STATE && fw::bs::AutoThreeState == BS_AUTO3STATE &&
              fw::bs::PushBox == BS_PUSHBOX);
static_assert(fw::es::Left == ES_LEFT && fw::es::Center == ES_CENTER &&
              fw::es::AutoHScroll == ES_AUTOHSCROLL && fw::es::ReadOnly == ES_READONLY &&
              fw::es::Number == ES_NUMBER);
static_assert(fw::ss::Left == SS_LEFT && fw::ss::Icon == SS_ICON &&
              fw::ss::NoPrefix == SS_NOPREFIX && fw::ss::Center == SS_CENTER &&
              fw::ss::Right == SS_RIGHT && fw::ss::TypeMask == SS_TYPEMASK);
static_assert(fw::cbs::DropDownList == CBS_DROPDOWNLIST && fw::cbs::Sort == CBS_SORT &&
              fw::cbs::Simple == CBS_SIMPLE && fw::cbs::DropDown == CBS_DROPDOWN);
static_assert(fw::lbs::Notify == LBS_NOTIFY);
static_assert(fw::tbs::Horz == TBS_HORZ && fw::tbs::Vert == TBS_VERT &&
              fw::tbs::NoTicks == TBS_NOTICKS);
static_assert(fw::kTrackbarClass == TRACKBAR_CLASSA);

// WM_NOTIFY headers are built by the controls and read through fw::NMHDR.
static_assert(sizeof(fw::NMHDR) == sizeof(::NMHDR) && alignof(fw::NMHDR) == alignof(::NMHDR));
static_assert(offsetof(fw::NMHDR, hwndFrom) == offsetof(::NMHDR, hwndFrom) &&
              offsetof(fw::NMHDR, idFrom) == offsetof(::NMHDR, idFrom) &&
              offsetof(fw::NMHDR, code) == offsetof(::NMHDR, code));
static_assert(sizeof(fw::Handle) == sizeof(HWND) && sizeof(fw::IconHandle) == sizeof(HICON));
