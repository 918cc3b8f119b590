#pragma once
// The box for long text with paths in it (F1's), on user32: laid out as a message box where
// its text fits; taller text scrolls inside a box that fits the work area, with OK on screen.
// The text is a read-only edit control, so the mouse and the keyboard select in it; Ctrl+C
// copies the selection, or all of the text when nothing is selected.
#include <string_view>

// clang-format off
#include <windows.h>
// clang-format on

namespace win32 {

// The id of the box's text, for whoever reads the box from outside.
inline constexpr int kTextBoxTextId = 100;

// Runs the box modally, owned by `owner` (may be null); returns IDOK.
int RunTextBox(HWND owner, std::string_view text, std::string_view caption);

}  // namespace win32
