#pragma once
// The application object.
#include <string>

#include "framework/wnd.h"

class CWinApp : public CCmdTarget {
public:
    // No name given: the application's name is the executable's file name without extension.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // Command routing for commands no window handled (the Help command).
    virtual bool OnCmdMsg(UINT id);

    std::string GetAppName() const;

    CWnd* m_pMainWnd = nullptr;

protected:
    // The framework's default Help handler. No help file belongs to the program; front ends
    // route F1 here.
    virtual void OnHelp();

private:
    const char* m_appName;
};

CWinApp* AfxGetApp();
std::string AfxGetAppName();

namespace framework {
// What a front end's entry point does once the platform is set: runs InitInstance of the one
// application object. Returns the process exit status (0).
int RunApplication();
}  // namespace framework
