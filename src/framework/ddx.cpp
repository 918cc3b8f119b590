// Dialog data exchange: members <-> controls.
#include <algorithm>

#include "base/numeric_text.h"
#include "framework/dialog.h"

using framework::GetPlatform;

namespace {

LRESULT SendTo(framework::Handle control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return GetPlatform().Send(control, message, wParam, lParam);
}

std::string ReadText(framework::Handle control, int maxChars) {
    CWnd view(control);
    std::string text = view.GetText(maxChars);
    view.m_hWnd = nullptr;
    return text;
}

void WriteText(framework::Handle control, const std::string& text) {
    SendTo(control, framework::wm::SetText, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

// The float field's parse rule: blanks and tabs around one number and nothing else; a zero
// result counts only when the text starts with '0' (what the conversion returns for "no number").
bool ParseFloatField(const std::string& text, double& value) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlankOrTab(text[pos])) ++pos;
    const std::string_view rest = std::string_view(text).substr(pos);
    std::size_t consumed = 0;
    value = base::ParseDouble(rest, &consumed);
    if (value == 0.0 && (rest.empty() || rest.front() != '0')) return false;
    std::size_t end = consumed;
    while (end < rest.size() && IsBlankOrTab(rest[end])) ++end;
    return end == rest.size();
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd != nullptr) return;
    pDX->PrepareCtrl(id);
    control.SubclassDlgItem(static_cast<UINT>(id), pDX->m_pDlgWnd);
}

void DDX_Check(CDataExchange* pDX, int id, BOOL& value) {
    framework::Handle control = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<BOOL>(SendTo(control, framework::bm::GetCheck));
    } else {
        if (value < 0 || value > 2) value = 0;
        SendTo(control, framework::bm::SetCheck, static_cast<WPARAM>(value));
    }
}

void DDX_Text(CDataExchange* pDX, int id, float& value) {
    framework::Handle control = pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        double parsed = 0.0;
        if (!ParseFloatField(ReadText(control, 31), parsed)) {
            pDX->m_pDlgWnd->ShowMessageBox("Please enter a number.");
            pDX->Fail();
        }
        value = base::NarrowToFloat(parsed);
    } else {
        WriteText(control, base::FormatGeneral(static_cast<double>(value), 6));
    }
}

void DDX_CBString(CDataExchange* pDX, int id, std::string& value) {
    framework::Handle control = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        const LRESULT index = SendTo(control, framework::cb::GetCurSel);
        value.clear();
        if (index == framework::cb::Err) return;
        const LRESULT length =
            SendTo(control, framework::cb::GetLBTextLen, static_cast<WPARAM>(index));
        if (length <= 0) return;
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const LRESULT copied = SendTo(control, framework::cb::GetLBText, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? std::min(static_cast<std::size_t>(copied), text.size() - 1) : 0);
        value = text;
    } else {
        const LRESULT found = SendTo(control, framework::cb::SelectString, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(value.c_str()));
        // No item starts with the text: a drop-down list shows no free text, so this changes
        // nothing visible, as on Windows.
        if (found == framework::cb::Err) WriteText(control, value);
    }
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& index) {
    framework::Handle control = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        index = static_cast<int>(SendTo(control, framework::cb::GetCurSel));
    } else {
        SendTo(control, framework::cb::SetCurSel, static_cast<WPARAM>(index));
    }
}
