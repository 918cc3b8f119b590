#pragma once
// The percentage field behind every odds box: only digits can be typed, and leaving the field
// brings the number down to at most 100.
#include <string>
#include <string_view>

#include "framework/wnd.h"

// The number an odds text stands for: read as atoi reads it (leading blanks, one optional sign,
// decimal digits up to the first other character, 0 without digits), then lowered to 100 when
// above. There is no lower bound. A run of digits too long for an int saturates instead of
// wrapping, so it can never turn into a small or negative number.
int OddsValue(std::string_view text);

// The focus-loss rule on the text alone: a value other than 0 becomes that value in plain
// decimal ("007" -> "7", "742" -> "100", " 42" -> "42", "12a" -> "12", "-5" -> "-5"); a value
// of 0 leaves the text exactly as it was ("", "00", "abc").
std::string NormalizeOdds(std::string_view text);

// Whether a typed character reaches the edit control: the ten ASCII digits, backspace and tab.
bool IsOddsCharacter(UINT character);

class CNumericEdit : public CEdit {
public:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKillFocus(framework::Handle newFocus);

    // Characters read back on focus loss.
    static constexpr int kMaxReadChars = 15;
};
