#pragma once
// Dialog templates as the dialog layer and its platforms read them: the dialog, its items in
// tab order, and the combo-box data that fills them. Where they come from is not this layer's
// business (see framework/dialog_resources.h).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/win_types.h"

namespace framework {

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
};

// One add-string request of a dialog's combo-box initialisation data.
struct DialogInitEntry {
    int controlId = 0;
    std::uint16_t message = 0x403;  // the framework's CB_ADDSTRING (0x401: LB_ADDSTRING)
    std::string text;
};

}  // namespace framework
