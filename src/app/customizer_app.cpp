#include "app/customizer_app.h"

#include "app/about_dlg.h"
#include "dialog/customizer_dlg.h"

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
    // F1 pressed inside the About box reaches us too; one box at a time is enough.
    static bool showing = false;
    if (showing) return;
    showing = true;
    CAboutDlg about;
    about.DoModal();
    showing = false;
}
