#pragma once
// The Windows types, message numbers, codes and styles that the portable code speaks, all of them
// here and nowhere else. Values are the real Win32 ones, so the Windows front end passes them
// straight through (platform/win32/win32_values.cpp checks each against <windows.h>); the names
// live in namespaces so they never collide with <windows.h> macros.
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using WPARAM = std::uintptr_t;
#if defined(_WIN32) && !defined(_WIN64)
// A 32-bit program's LONG_PTR is long, a type of its own beside intptr_t's int.
using LPARAM = long;
using LRESULT = long;
#else
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
#endif
using INT_PTR = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

namespace framework {

// Opaque window and icon handles: an HWND / HICON on Windows, a model object elsewhere.
using Handle = struct WindowTag*;
using IconHandle = struct IconTag*;
using PaintHandle = struct PaintTag*;

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Layout-compatible with Win32 NMHDR.
struct NMHDR {
    Handle hwndFrom;
    std::uintptr_t idFrom;
    UINT code;
};

namespace wm {
inline constexpr UINT SetFocus = 0x0007, KillFocus = 0x0008, Enable = 0x000A, SetText = 0x000C,
                      GetText = 0x000D, GetTextLength = 0x000E, Paint = 0x000F, Close = 0x0010,
                      IconEraseBkgnd = 0x0027, QueryDragIcon = 0x0037, Notify = 0x004E,
                      Help = 0x0053, ContextMenu = 0x007B, SetIcon = 0x0080, GetDlgCode = 0x0087,
                      KeyDown = 0x0100, KeyUp = 0x0101, Char = 0x0102, InitDialog = 0x0110,
                      SysKeyDown = 0x0104, Command = 0x0111, SysCommand = 0x0112, HScroll = 0x0114,
                      VScroll = 0x0115, MouseMove = 0x0200, LButtonDown = 0x0201,
                      LButtonUp = 0x0202, Cut = 0x0300, Copy = 0x0301, Paste = 0x0302,
                      Clear = 0x0303, Undo = 0x0304;
}
namespace em {
inline constexpr UINT GetSel = 0x00B0, SetSel = 0x00B1, ReplaceSel = 0x00C2, LimitText = 0x00C5,
                      Undo = 0x00C7, SetReadOnly = 0x00CF, GetLimitText = 0x00D5;
}
namespace en {
inline constexpr UINT SetFocus = 0x0100, KillFocus = 0x0200, Change = 0x0300, MaxText = 0x0501;
}
namespace bm {
inline constexpr UINT GetCheck = 0x00F0, SetCheck = 0x00F1, Click = 0x00F5;
}
namespace bn {
inline constexpr UINT Clicked = 0;
}
namespace bst {
inline constexpr UINT Unchecked = 0, Checked = 1, Indeterminate = 2;
}
namespace cb {
inline constexpr UINT GetCount = 0x0146, GetCurSel = 0x0147, GetLBText = 0x0148,
                      GetLBTextLen = 0x0149, ResetContent = 0x014B, SelectString = 0x014D,
                      SetCurSel = 0x014E, ShowDropDown = 0x014F, AddString = 0x0143,
                      FindStringExact = 0x0158, GetDroppedState = 0x0157;
inline constexpr LRESULT Err = -1;
}  // namespace cb
namespace cbn {
inline constexpr UINT SelChange = 1, SetFocus = 3, KillFocus = 4, DropDown = 7, CloseUp = 8,
                      SelEndOk = 9, SelEndCancel = 10;
}
namespace tbm {
inline constexpr UINT GetPos = 0x0400, GetRangeMin = 0x0401, GetRangeMax = 0x0402, SetPos = 0x0405,
                      SetRange = 0x0406, SetRangeMin = 0x0407, SetRangeMax = 0x0408,
                      SetPageSize = 0x0415, GetPageSize = 0x0416, SetLineSize = 0x0417,
                      GetLineSize = 0x0418;
}
namespace tb {
inline constexpr UINT LineUp = 0, LineDown = 1, PageUp = 2, PageDown = 3, ThumbPosition = 4,
                      ThumbTrack = 5, Top = 6, Bottom = 7, EndTrack = 8;
}
namespace nm {
inline constexpr UINT ReleasedCapture = 0u - 16u;  // NM_FIRST - 16
}
namespace vk {
inline constexpr UINT Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11,
                      Escape = 0x1B, Space = 0x20, Prior = 0x21, Next = 0x22, End = 0x23,
                      Home = 0x24, Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Insert = 0x2D,
                      Delete = 0x2E, F1 = 0x70, F4 = 0x73;
}
// KF_ALTDOWN where a key message's lParam carries it (the high word).
namespace kf {
inline constexpr LPARAM AltDown = 0x20000000;
}
// What a control tells the dialog manager about the keys it wants (WM_GETDLGCODE).
namespace dlgc {
inline constexpr LRESULT WantArrows = 0x0001, WantTab = 0x0002, WantAllKeys = 0x0004,
                         HasSetSel = 0x0008, DefPushButton = 0x0010, UndefPushButton = 0x0020,
                         RadioButton = 0x0040, WantChars = 0x0080, Static = 0x0100, Button = 0x2000;
}
namespace dm {
inline constexpr UINT GetDefId = 0x0400, SetDefId = 0x0401;
inline constexpr UINT HasDefId = 0x534B;  // DC_HASDEFID, the high word of a DM_GETDEFID result
}  // namespace dm
namespace mb {
inline constexpr UINT Ok = 0x0000, OkCancel = 0x0001, AbortRetryIgnore = 0x0002,
                      YesNoCancel = 0x0003, YesNo = 0x0004, RetryCancel = 0x0005, TypeMask = 0x000F;
}
namespace mf {
inline constexpr UINT String = 0x0000, Separator = 0x0800;
}
namespace sc {
inline constexpr UINT Size = 0xF000, Move = 0xF010, Minimize = 0xF020, Maximize = 0xF030,
                      Close = 0xF060, Restore = 0xF120;
}
namespace sm {
inline constexpr int CxIcon = 11, CyIcon = 12;
}
namespace icon {
inline constexpr WPARAM Small = 0, Big = 1;
}
// The buttons that end a dialog or a message box (IDOK, IDCANCEL...).
namespace id {
inline constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7,
                     Close = 8, Help = 9;
}
// The window, dialog and control styles of the templates, every name of these families that a
// resource script may use (Win32 values; the resource-script reader knows them by these names).
namespace ws {
inline constexpr std::uint32_t Overlapped = 0x0u, Popup = 0x80000000u, Child = 0x40000000u,
                               Minimize = 0x20000000u, Visible = 0x10000000u,
                               Disabled = 0x08000000u, ClipSiblings = 0x04000000u,
                               ClipChildren = 0x02000000u, Maximize = 0x01000000u,
                               Caption = 0x00C00000u, Border = 0x00800000u, DlgFrame = 0x00400000u,
                               VScroll = 0x00200000u, HScroll = 0x00100000u, SysMenu = 0x00080000u,
                               ThickFrame = 0x00040000u, Group = 0x00020000u, TabStop = 0x00010000u,
                               MinimizeBox = 0x00020000u, MaximizeBox = 0x00010000u;
inline constexpr std::uint32_t OverlappedWindow =
    Overlapped | Caption | SysMenu | ThickFrame | MinimizeBox | MaximizeBox;
inline constexpr std::uint32_t PopupWindow = Popup | Border | SysMenu;
// Extended styles (WS_EX_...).
inline constexpr std::uint32_t ExLeft = 0x0u, ExLtrReading = 0x0u, ExRightScrollBar = 0x0u,
                               ExDlgModalFrame = 0x1u, ExNoParentNotify = 0x4u, ExTopmost = 0x8u,
                               ExAcceptFiles = 0x10u, ExTransparent = 0x20u, ExMdiChild = 0x40u,
                               ExToolWindow = 0x80u, ExWindowEdge = 0x100u, ExClientEdge = 0x200u,
                               ExContextHelp = 0x400u, ExRight = 0x1000u, ExRtlReading = 0x2000u,
                               ExLeftScrollBar = 0x4000u, ExControlParent = 0x10000u,
                               ExStaticEdge = 0x20000u, ExAppWindow = 0x40000u,
                               ExLayered = 0x80000u, ExNoInheritLayout = 0x100000u,
                               ExLayoutRtl = 0x400000u, ExComposited = 0x2000000u,
                               ExNoActivate = 0x8000000u;
inline constexpr std::uint32_t ExOverlappedWindow = ExWindowEdge | ExClientEdge;
inline constexpr std::uint32_t ExPaletteWindow = ExWindowEdge | ExToolWindow | ExTopmost;
}  // namespace ws
namespace ds {
inline constexpr std::uint32_t AbsAlign = 0x1u, SysModal = 0x2u, ThreeDLook = 0x4u, FixedSys = 0x8u,
                               NoFailCreate = 0x10u, LocalEdit = 0x20u, SetFont = 0x40u,
                               ModalFrame = 0x80u, NoIdleMsg = 0x100u, SetForeground = 0x200u,
                               Control = 0x400u, Center = 0x800u, CenterMouse = 0x1000u,
                               ContextHelp = 0x2000u;
inline constexpr std::uint32_t ShellFont = SetFont | FixedSys;
}  // namespace ds
namespace bs {
inline constexpr std::uint32_t PushButton = 0x0u, DefPushButton = 0x1u, CheckBox = 0x2u,
                               AutoCheckBox = 0x3u, RadioButton = 0x4u, ThreeState = 0x5u,
                               AutoThreeState = 0x6u, GroupBox = 0x7u, UserButton = 0x8u,
                               AutoRadioButton = 0x9u, PushBox = 0xAu, OwnerDraw = 0xBu,
                               SplitButton = 0xCu, DefSplitButton = 0xDu, CommandLink = 0xEu,
                               DefCommandLink = 0xFu, TypeMask = 0xFu;
inline constexpr std::uint32_t Text = 0x0u, LeftText = 0x20u, RightButton = LeftText, Icon = 0x40u,
                               Bitmap = 0x80u, Left = 0x100u, Right = 0x200u, Center = 0x300u,
                               Top = 0x400u, Bottom = 0x800u, VCenter = 0xC00u, PushLike = 0x1000u,
                               Multiline = 0x2000u, Notify = 0x4000u, Flat = 0x8000u;
}  // namespace bs
namespace es {
inline constexpr std::uint32_t Left = 0x0u, Center = 0x1u, Right = 0x2u, Multiline = 0x4u,
                               Uppercase = 0x8u, Lowercase = 0x10u, Password = 0x20u,
                               AutoVScroll = 0x40u, AutoHScroll = 0x80u, NoHideSel = 0x100u,
                               OemConvert = 0x400u, ReadOnly = 0x800u, WantReturn = 0x1000u,
                               Number = 0x2000u;
}
namespace ss {
inline constexpr std::uint32_t Left = 0x0u, Center = 0x1u, Right = 0x2u, Icon = 0x3u,
                               BlackRect = 0x4u, GrayRect = 0x5u, WhiteRect = 0x6u,
                               BlackFrame = 0x7u, GrayFrame = 0x8u, WhiteFrame = 0x9u,
                               UserItem = 0xAu, Simple = 0xBu, LeftNoWordWrap = 0xCu,
                               OwnerDraw = 0xDu, Bitmap = 0xEu, EnhMetaFile = 0xFu,
                               EtchedHorz = 0x10u, EtchedVert = 0x11u, EtchedFrame = 0x12u,
                               TypeMask = 0x1Fu;
inline constexpr std::uint32_t RealSizeControl = 0x40u, NoPrefix = 0x80u, Notify = 0x100u,
                               CenterImage = 0x200u, RightJust = 0x400u, RealSizeImage = 0x800u,
                               Sunken = 0x1000u, EditControl = 0x2000u, EndEllipsis = 0x4000u,
                               PathEllipsis = 0x8000u, WordEllipsis = 0xC000u,
                               EllipsisMask = 0xC000u;
}  // namespace ss
namespace cbs {
inline constexpr std::uint32_t Simple = 0x1u, DropDown = 0x2u, DropDownList = 0x3u,
                               OwnerDrawFixed = 0x10u, OwnerDrawVariable = 0x20u,
                               AutoHScroll = 0x40u, OemConvert = 0x80u, Sort = 0x100u,
                               HasStrings = 0x200u, NoIntegralHeight = 0x400u,
                               DisableNoScroll = 0x800u, Uppercase = 0x2000u, Lowercase = 0x4000u;
inline constexpr std::uint32_t TypeMask = 0x3u;  // no CBS_ name: the three types' bits
}  // namespace cbs
namespace lbs {
inline constexpr std::uint32_t Notify = 0x1u, Sort = 0x2u, NoRedraw = 0x4u, MultipleSel = 0x8u,
                               OwnerDrawFixed = 0x10u, OwnerDrawVariable = 0x20u,
                               HasStrings = 0x40u, UseTabStops = 0x80u, NoIntegralHeight = 0x100u,
                               MultiColumn = 0x200u, WantKeyboardInput = 0x400u,
                               ExtendedSel = 0x800u, DisableNoScroll = 0x1000u, NoData = 0x2000u,
                               NoSel = 0x4000u, ComboBox = 0x8000u;
inline constexpr std::uint32_t Standard = Notify | Sort | ws::VScroll | ws::Border;
}  // namespace lbs
namespace sbs {
inline constexpr std::uint32_t Horz = 0x0u, Vert = 0x1u, TopAlign = 0x2u, LeftAlign = 0x2u,
                               BottomAlign = 0x4u, RightAlign = 0x4u, SizeBox = 0x8u,
                               SizeGrip = 0x10u;
}
namespace tbs {
inline constexpr std::uint32_t Horz = 0x0u, Bottom = 0x0u, Right = 0x0u, AutoTicks = 0x1u,
                               Vert = 0x2u, Top = 0x4u, Left = 0x4u, Both = 0x8u, NoTicks = 0x10u,
                               EnableSelRange = 0x20u, FixedLength = 0x40u, NoThumb = 0x80u,
                               ToolTips = 0x100u, Reversed = 0x200u, DownIsLeft = 0x400u,
                               NotifyBeforeMove = 0x800u, TransparentBkgnd = 0x1000u;
}

// The framework's Help command.
inline constexpr UINT ID_HELP = 0xE146;

}  // namespace framework
