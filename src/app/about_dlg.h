#pragma once
// The About box, opened from the main dialog's system menu.
#include "framework/dialog.h"

class CAboutDlg : public CDialog {
public:
    // No parent: the application's main window owns it while it runs. Its OK button and close
    // box end it through CDialog; no control is bound and it handles no message of its own.
    // Its template has neither a position nor a centring style, so where it appears (centred
    // on its owner) is left to the platform that creates it.
    CAboutDlg();
};
