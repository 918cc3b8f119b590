#pragma once
// Dialog templates as the dialog layer and its platforms read them: the dialog, its items in
// tab order, and the combo-box data that fills them. Where they come from is not this layer's
// business (see framework/dialog_resources.h).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Window, button, edit, static, combo box and trackbar styles the templates use (Win32 values).
// A template reader knows every style name of these families by its Win32 value; the constants
// here are the ones code tests for.
namespace ws {
inline constexpr std::uint32_t Popup = 0x80000000u, Child = 0x40000000u, Visible = 0x10000000u,
                               Disabled = 0x08000000u, Caption = 0x00C00000u, Border = 0x00800000u,
                               DlgFrame = 0x00400000u, SysMenu = 0x00080000u,
                               ThickFrame = 0x00040000u, VScroll = 0x00200000u,
                               HScroll = 0x00100000u, Group = 0x00020000u, TabStop = 0x00010000u,
                               MinimizeBox = 0x00020000u, MaximizeBox = 0x00010000u;
inline constexpr std::uint32_t ExAppWindow = 0x00040000u, ExClientEdge = 0x00000200u,
                               ExStaticEdge = 0x00020000u;
}  // namespace ws
namespace ds {
inline constexpr std::uint32_t SetFont = 0x40u, ModalFrame = 0x80u, SetForeground = 0x200u,
                               ThreeDLook = 0x4u, Center = 0x800u, AbsAlign = 0x1u, FixedSys = 0x8u,
                               Control = 0x400u;
}
namespace bs {
inline constexpr std::uint32_t PushButton = 0x0u, DefPushButton = 0x1u, CheckBox = 0x2u,
                               AutoCheckBox = 0x3u, RadioButton = 0x4u, ThreeState = 0x5u,
                               AutoThreeState = 0x6u, GroupBox = 0x7u, AutoRadioButton = 0x9u,
                               PushBox = 0xAu, TypeMask = 0xFu;
}
namespace es {
inline constexpr std::uint32_t Left = 0x0u, Center = 0x1u, AutoHScroll = 0x80u, ReadOnly = 0x800u,
                               Number = 0x2000u;
}
namespace ss {
inline constexpr std::uint32_t Left = 0x0u, Center = 0x1u, Right = 0x2u, Icon = 0x3u,
                               NoPrefix = 0x80u, TypeMask = 0x1Fu;
}
namespace cbs {
inline constexpr std::uint32_t Simple = 0x1u, DropDown = 0x2u, DropDownList = 0x3u, TypeMask = 0x3u,
                               Sort = 0x100u;
}
namespace lbs {
inline constexpr std::uint32_t Notify = 0x1u;
}
namespace tbs {
inline constexpr std::uint32_t Horz = 0x0u, NoTicks = 0x10u;
}

// Window classes as the templates name them, compared case-insensitively.
inline constexpr std::string_view kButtonClass = "Button";
inline constexpr std::string_view kEditClass = "Edit";
inline constexpr std::string_view kStaticClass = "Static";
inline constexpr std::string_view kComboBoxClass = "ComboBox";
inline constexpr std::string_view kListBoxClass = "ListBox";
inline constexpr std::string_view kScrollBarClass = "ScrollBar";
inline constexpr std::string_view kTrackbarClass = "msctls_trackbar32";

struct ItemTemplate {
    int id = -1;
    std::string className;  // one of the class names above, or a custom class as written
    std::string text;       // an ordinal (an icon static's icon id) as its decimal number
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::uint32_t style = 0;           // complete, including WS_CHILD | WS_VISIBLE
    std::uint32_t exStyle = 0;
};

struct DialogTemplate {
    unsigned id = 0;
    bool extended = false;  // DIALOGEX
    std::string caption;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::string fontName;
    int fontPointSize = 0;
    int fontWeight = 0;
    bool fontItalic = false;
    int fontCharset = 1;              // DEFAULT_CHARSET unless the FONT statement names one
    std::vector<ItemTemplate> items;  // template order: Tab order and z-order

    // The first item with that id, or nullptr.
    const ItemTemplate* FindItem(int itemId) const {
        for (const ItemTemplate& item : items) {
            if (item.id == itemId) return &item;
        }
        return nullptr;
    }
};

// One add-string request of a dialog's combo-box initialisation data.
struct DialogInitEntry {
    int controlId = 0;
    std::uint16_t message = 0x403;  // the framework's CB_ADDSTRING (0x401: LB_ADDSTRING)
    std::string text;
};

}  // namespace fw
