#include "framework/wnd.h"

#include <algorithm>
#include <utility>
#include <vector>

using framework::GetPlatform;

CWnd::MessageScope::MessageScope(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam)
    : m_wnd(wnd),
      m_message(wnd.m_curMessage),
      m_wParam(wnd.m_curWParam),
      m_lParam(wnd.m_curLParam),
      m_deferDefault(wnd.m_deferDefault) {
    wnd.m_curMessage = message;
    wnd.m_curWParam = wParam;
    wnd.m_curLParam = lParam;
    wnd.m_deferDefault = false;
}

CWnd::MessageScope::~MessageScope() {
    m_wnd.m_curMessage = m_message;
    m_wnd.m_curWParam = m_wParam;
    m_wnd.m_curLParam = m_lParam;
    m_wnd.m_deferDefault = m_deferDefault;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    MessageScope scope(*this, message, wParam, lParam);
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = Default();
    return result;
}

bool CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

LRESULT CWnd::Default() {
    return DefaultProcessing(m_curMessage, m_curWParam, m_curLParam);
}

LRESULT CWnd::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd == nullptr) return 0;
    return GetPlatform().CallDefault(m_hWnd, message, wParam, lParam);
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (parent == nullptr || m_hWnd != nullptr) return false;
    framework::Handle control = GetPlatform().GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    if (control == nullptr) return false;
    m_hWnd = control;
    GetPlatform().Subclass(control, *this);
    // A dialog detaches it again when its modal run ends, so that a later run attaches anew.
    parent->NoteAttached(*this);
    return true;
}

void CWnd::NoteAttached(CWnd&) {}

framework::Handle CWnd::GetDlgItem(int id) const {
    return m_hWnd == nullptr ? nullptr : GetPlatform().GetDlgItem(m_hWnd, id);
}

LRESULT CWnd::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_hWnd == nullptr ? 0 : GetPlatform().Send(m_hWnd, message, wParam, lParam);
}

std::string CWnd::GetText() const {
    const LRESULT length = Send(framework::wm::GetTextLength);
    if (length <= 0) return {};
    return GetText(static_cast<int>(length));
}

std::string CWnd::GetText(int maxChars) const {
    if (maxChars <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(maxChars) + 1, '\0');
    const LRESULT copied =
        Send(framework::wm::GetText, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    if (copied <= 0) return {};
    const auto length = std::min(static_cast<std::size_t>(copied), buffer.size() - 1);
    return std::string(buffer.data(), length);
}

void CWnd::SetText(std::string_view text) const {
    const std::string terminated(text);
    Send(framework::wm::SetText, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
}

bool CWnd::EnableWindow(bool enable) const {
    return m_hWnd != nullptr && GetPlatform().EnableWindow(m_hWnd, enable);
}

bool CWnd::IsWindowEnabled() const {
    return m_hWnd != nullptr && GetPlatform().IsWindowEnabled(m_hWnd);
}

bool CWnd::IsIconic() const {
    return m_hWnd != nullptr && GetPlatform().IsIconic(m_hWnd);
}

framework::Rect CWnd::GetClientRect() const {
    return m_hWnd == nullptr ? framework::Rect{} : GetPlatform().GetClientRect(m_hWnd);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    framework::Handle item = GetDlgItem(id);
    return item == nullptr ? 0 : GetPlatform().Send(item, message, wParam, lParam);
}

std::string CWnd::GetItemText(int id, int maxChars) const {
    framework::Handle item = GetDlgItem(id);
    if (item == nullptr) return {};
    CWnd view(item);
    std::string text = view.GetText(maxChars);
    view.m_hWnd = nullptr;
    return text;
}

UINT CWnd::IsDlgButtonChecked(int id) const {
    return static_cast<UINT>(SendDlgItemMessage(id, framework::bm::GetCheck));
}

void CWnd::CheckDlgButton(int id, UINT check) const {
    SendDlgItemMessage(id, framework::bm::SetCheck, check);
}

void CEdit::LimitText(int chars) const {
    Send(framework::em::LimitText, static_cast<WPARAM>(chars));
}

UINT CButton::GetCheck() const {
    return static_cast<UINT>(Send(framework::bm::GetCheck));
}

void CButton::SetCheck(UINT check) const {
    Send(framework::bm::SetCheck, check);
}

void CSliderCtrl::SetRangeMin(int minimum, BOOL redraw) const {
    Send(framework::tbm::SetRangeMin, static_cast<WPARAM>(redraw), minimum);
}

void CSliderCtrl::SetRangeMax(int maximum, BOOL redraw) const {
    Send(framework::tbm::SetRangeMax, static_cast<WPARAM>(redraw), maximum);
}

void CSliderCtrl::SetLineSize(int size) const {
    Send(framework::tbm::SetLineSize, 0, size);
}

void CSliderCtrl::SetPageSize(int size) const {
    Send(framework::tbm::SetPageSize, 0, size);
}

void CSliderCtrl::SetPos(int position) const {
    Send(framework::tbm::SetPos, TRUE, position);
}

int CSliderCtrl::GetPos() const {
    return static_cast<int>(Send(framework::tbm::GetPos));
}
