#include "app/numeric_edit.h"

#include "base/numeric_text.h"

int OddsValue(std::string_view text) {
    const int value = base::ParseIntSaturating(text);
    return value > 100 ? 100 : value;
}

std::string NormalizeOdds(std::string_view text) {
    const int value = OddsValue(text);
    if (value == 0) return std::string(text);
    return base::FormatInt(value);
}

bool IsOddsCharacter(UINT character) {
    return (character >= '0' && character <= '9') || character == 8 || character == 9;
}

bool CNumericEdit::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    static const framework::MapEntry<CNumericEdit> kMap[] = {
        framework::OnMessage(framework::wm::Char, &CNumericEdit::OnChar),
        framework::OnMessage(framework::wm::KillFocus, &CNumericEdit::OnKillFocus),
    };
    return framework::DispatchMap<CNumericEdit>(*this, kMap, message, wParam, lParam, result) ||
           CEdit::OnWndMsg(message, wParam, lParam, result);
}

void CNumericEdit::OnChar(UINT nChar, UINT, UINT) {
    // Everything else is dropped without a sound, including the clipboard and undo shortcuts.
    if (IsOddsCharacter(nChar)) Default();
}

void CNumericEdit::OnKillFocus(framework::Handle) {
    Default();
    // Written back even when unchanged.
    SetText(NormalizeOdds(GetText(kMaxReadChars)));
}
