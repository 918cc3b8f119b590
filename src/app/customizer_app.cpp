#include "app/customizer_app.h"

#include "dialog/customizer_dlg.h"
#include "framework/platform.h"

// theApp and theSettings (script_settings.cpp) live in different translation units, so their
// relative construction order is not fixed; neither touches the other while being constructed
// or destroyed, and both exist before the front end calls RunApplication.
CCustomizerApp theApp;

BOOL CCustomizerApp::InitInstance() {
    // Nothing to switch on for a 3D look: every platform draws its dialogs that way already.
    CCustomizerDlg dlg;
    m_pMainWnd = &dlg;
    // Saving happens inside the dialog on OK, and Cancel saves nothing: the end code tells us
    // nothing we need.
    dlg.DoModal();
    m_pMainWnd = nullptr;  // the dialog object goes away with this scope
    return FALSE;
}

void CCustomizerApp::OnHelp() {
    // F1 pressed inside a box (the About box, a message box) reaches us too. While a box is up
    // its owner, the main dialog, is disabled: one box at a time is enough.
    auto* dialog = dynamic_cast<CCustomizerDlg*>(m_pMainWnd);
    if (dialog == nullptr || dialog->m_hWnd == nullptr ||
        !framework::GetPlatform().IsWindowEnabled(dialog->m_hWnd)) {
        return;
    }
    dialog->ShowWhereSettingsAre();
}
