#pragma once
// The application object: runs the main dialog once and lets the process end when it closes.
#include "framework/app.h"

class CCustomizerApp : public CWinApp {
public:
    // No name of its own: message boxes are captioned with the executable's name.
    CCustomizerApp() = default;

    // Runs the main dialog modally and returns FALSE, so no message loop follows.
    BOOL InitInstance() override;

protected:
    // The program has no help file: the Help command (F1) tells where the settings are.
    void OnHelp() override;
};

// The one application object. A front end's entry point refers to it so that it is linked in.
extern CCustomizerApp theApp;
