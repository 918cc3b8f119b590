#include "framework/dialog.h"

#include <exception>

#include "framework/app.h"

using framework::GetPlatform;

namespace {
// Thrown by CDataExchange::Fail and caught by UpdateData.
struct DataExchangeFailure {};
}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

INT_PTR CDialog::DoModal() {
    framework::Handle owner = m_parent != nullptr ? m_parent->m_hWnd : nullptr;
    if (owner == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != nullptr &&
        AfxGetApp()->m_pMainWnd != this) {
        // A dialog without a parent is owned by the application's main window.
        owner = AfxGetApp()->m_pMainWnd->m_hWnd;
    }
    // Once the run is over - also when it ends in an exception - the windows are gone and the
    // control objects no longer stand for anything.
    struct Detach {
        CDialog& dialog;
        ~Detach() {
            for (CWnd* control : dialog.m_attached) control->m_hWnd = nullptr;
            dialog.m_attached.clear();
            dialog.m_hWnd = nullptr;
        }
    } detach{*this};
    return GetPlatform().RunModalDialog(*this, m_templateId, owner);
}

void CDialog::EndDialog(int result) {
    if (m_hWnd != nullptr) GetPlatform().EndDialog(m_hWnd, result);
}

bool CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    MessageScope scope(*this, message, wParam, lParam);
    LRESULT value = 0;
    bool handled = false;
    try {
        handled = OnWndMsg(message, wParam, lParam, &value);
        if (!handled && message == framework::wm::Command && framework::HighWord(wParam) == 0 &&
            AfxGetApp() != nullptr) {
            // Commands no window handles go to the application (the Help command).
            handled = AfxGetApp()->OnCmdMsg(framework::LowWord(wParam));
        }
        if (m_deferDefault) handled = false;
    } catch (...) {
        // Nothing may unwind into the platform's dialog procedure: end the dialog instead.
        handled = true;
        value = 0;
        try {
            EndDialog(-1);
        } catch (...) {  // NOLINT(bugprone-empty-catch): already on the way out; nothing left to do
        }
    }
    if (result != nullptr) *result = value;
    return handled;
}

LRESULT CDialog::DefaultProcessing(UINT, WPARAM, LPARAM) {
    m_deferDefault = true;
    return 0;
}

bool CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == framework::wm::InitDialog) {
        const BOOL focusDefault = OnInitDialog();
        if (result != nullptr) *result = focusDefault;
        return true;
    }
    static const framework::MapEntry<CDialog> kMap[] = {
        framework::OnCommand<CDialog>(framework::bn::Clicked, framework::id::Ok, &CDialog::OnOK),
        framework::OnCommand<CDialog>(framework::bn::Clicked, framework::id::Cancel,
                                      &CDialog::OnCancel),
    };
    return framework::DispatchMap<CDialog>(*this, kMap, message, wParam, lParam, result) ||
           CWnd::OnWndMsg(message, wParam, lParam, result);
}

BOOL CDialog::OnInitDialog() {
    // The template's combo-box data, then the first exchange to the controls.
    for (const framework::DialogInitEntry& entry :
         GetPlatform().Resources().DialogInit(m_templateId)) {
        SendDlgItemMessage(entry.controlId, framework::cb::AddString, 0,
                           reinterpret_cast<LPARAM>(entry.text.c_str()));
    }
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(framework::id::Ok);
}

void CDialog::OnCancel() {
    EndDialog(framework::id::Cancel);
}

void CDialog::OnPaint() {
    Default();
}

void CDialog::OnSysCommand(UINT, LPARAM) {
    Default();
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId) const {
    for (int id = firstId; id <= lastId; ++id) {
        CheckDlgButton(id, id == checkId ? framework::bst::Checked : framework::bst::Unchecked);
    }
}

int CDialog::GetCheckedRadioButton(int firstId, int lastId) const {
    for (int id = firstId; id <= lastId; ++id) {
        if (IsDlgButtonChecked(id) != framework::bst::Unchecked) return id;
    }
    return 0;
}

int CDialog::ShowMessageBox(std::string_view text, const char* caption, UINT type) const {
    const std::string title = caption != nullptr ? std::string(caption) : AfxGetAppName();
    return GetPlatform().ShowMessageBox(m_hWnd, text, title, type);
}

int CDialog::ShowPathMessageBox(std::string_view text, const char* caption, UINT type) const {
    const std::string title = caption != nullptr ? std::string(caption) : AfxGetAppName();
    return GetPlatform().ShowPathMessageBox(m_hWnd, text, title, type);
}

void CDataExchange::Fail() {
    if (m_lastControl != nullptr) {
        GetPlatform().SetFocus(m_lastControl);
        if (m_lastIsEdit) GetPlatform().Send(m_lastControl, framework::em::SetSel, 0, -1);
    }
    throw DataExchangeFailure{};
}

framework::Handle CDataExchange::PrepareCtrl(int id) {
    framework::Handle control = m_pDlgWnd->GetDlgItem(id);
    if (control == nullptr) {
        // The template lacks a control the exchange names: a programming error, reported as a
        // failed exchange.
        m_lastControl = nullptr;
        throw DataExchangeFailure{};
    }
    m_lastControl = control;
    m_lastIsEdit = false;
    return control;
}

framework::Handle CDataExchange::PrepareEditCtrl(int id) {
    framework::Handle control = PrepareCtrl(id);
    m_lastIsEdit = true;
    return control;
}

std::string CDialog::GetAccessibleName(int) const {
    return {};
}
