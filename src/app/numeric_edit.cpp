#include "app/numeric_edit.h"

#include <climits>

#include "base/numeric_text.h"

namespace {

// The blanks of C isspace in the "C" locale.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int OddsValue(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Long runs of digits saturate at the int range, where atoi itself has no defined result.
    constexpr long long kCap = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > kCap) magnitude = kCap;
    }
    const long long value = negative ? -magnitude : magnitude;
    return value > 100 ? 100 : static_cast<int>(value);
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
